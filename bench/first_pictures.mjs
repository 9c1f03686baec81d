// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's first picture of several copies of the site (a build before and after a change),
// each start in a new browser with a new profile, the copies taking turns within each round so
// that a busy machine weighs on all of them alike; with --slow on the start test's slow line.
// bench/README.md quotes its medians.
//
//   scripts/install-node-modules
//   node bench/first_pictures.mjs ROUNDS [--slow] SITE...    e.g. 7 /tmp/site-before build-web/site
//
// It prints each copy's median and times.
import path from 'node:path';
import { serve } from '../browser/tests/browser.mjs';
import { SLOW_LINE, firstPicture, report } from '../browser/tests/first_picture.mjs';

const [roundsArgument, ...rest] = process.argv.slice(2);
const rounds = Number(roundsArgument);
const slow = rest[0] === '--slow';
const sites = (slow ? rest.slice(1) : rest).map((site) => path.resolve(site));
if (!(rounds > 0) || sites.length === 0) {
  console.error('usage: node bench/first_pictures.mjs ROUNDS [--slow] SITE...');
  process.exit(2);
}

const servers = await Promise.all(sites.map(serve));
try {
  const times = sites.map(() => []);
  for (let round = 0; round < rounds; ++round) {
    for (const [i, server] of servers.entries()) {
      times[i].push(await firstPicture(server.url, slow ? SLOW_LINE : null));
    }
  }
  sites.forEach((site, i) => report(`${site}${slow ? ', slow line' : ''}`, times[i]));
} finally {
  await Promise.all(servers.map((server) => server.stop()));
}
