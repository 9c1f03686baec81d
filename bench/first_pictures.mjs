// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's first picture of several copies of the site (a build before and after a change),
// each start in a new browser with a new profile, or with --running in a new context of one
// browser started before (as a player's browser runs when the link is opened), the copies taking
// turns within each round so that a busy machine weighs on all of them alike; with --slow on the
// start test's slow line. bench/README.md quotes its medians.
//
//   scripts/install-node-modules
//   node bench/first_pictures.mjs ROUNDS [--running] [--slow] SITE...
//                                               e.g. 7 /tmp/site-before build-web/site
//
// It prints each copy's median and times.
import path from 'node:path';
import { launch, serve } from '../browser/tests/browser.mjs';
import { SLOW_LINE, firstPicture, report } from '../browser/tests/first_picture.mjs';

const [roundsArgument, ...rest] = process.argv.slice(2);
const rounds = Number(roundsArgument);
const options = new Set(rest.filter((word) => word.startsWith('--')));
const sites = rest.filter((word) => !word.startsWith('--')).map((site) => path.resolve(site));
if (!(rounds > 0) || sites.length === 0 ||
    [...options].some((option) => option !== '--slow' && option !== '--running')) {
  console.error('usage: node bench/first_pictures.mjs ROUNDS [--running] [--slow] SITE...');
  process.exit(2);
}
const line = options.has('--slow') ? SLOW_LINE : null;
const how = [options.has('--running') && 'in a running browser', line && 'slow line']
  .filter(Boolean).join(', ');

const servers = await Promise.all(sites.map(serve));
const running = options.has('--running') ? await launch('running') : null;
try {
  // One start untimed, so that no copy pays for the running browser's own start.
  if (running) await firstPicture(servers[0].url, line, running);
  const times = sites.map(() => []);
  for (let round = 0; round < rounds; ++round) {
    for (const [i, server] of servers.entries()) {
      times[i].push(await firstPicture(server.url, line, running));
    }
  }
  sites.forEach((site, i) => report(how ? `${site}, ${how}` : site, times[i]));
} finally {
  if (running) await running.close();
  await Promise.all(servers.map((server) => server.stop()));
}
