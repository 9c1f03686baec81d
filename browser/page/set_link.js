// SPDX-License-Identifier: GPL-3.0-or-later
// A level set opened by a link, the page's `?levels=LINK`: a set published to a hall server (its
// address, the SHA-256 of its levels.ko, on the server that serves this page under /play/, or its
// link on any hall server, SERVER/api/level-sets/ADDRESS, as the desktop's `zapwall --levels`
// takes it), or any http(s) address of a level text or a levels.ko that lets the page read it.
// The set is downloaded once, within the game's size limit and a time, a published one checked
// against its address and a text compiled by the level editor's module with the game's rules,
// and kept beside the editor's sets as level-sets/KEY.ko, with its title and hall server in
// level-sets/KEY.json, so it plays offline afterwards. KEY is a published set's address, and the
// SHA-256 of any other address. page.js plays it as a kept set (sets/KEY holds its players, hall
// of fame and replays) and offers its results to the hall server it came from.
'use strict';

window.ZapwallSetLink = (() => {
  const { boundedBytes } = window.ZapwallTools;
  const KEPT_SETS = 'level-sets';  // the level editor's, editor.js
  // A set as large as the game plays comes within this on any line a player would use.
  const DOWNLOAD_MILLIS = 60000;
  // The hall's list of sets is read up to this.
  const MAX_LIST_BYTES = 4 << 20;
  // The name a level text is compiled under, which the reasons of a refusal name.
  const TEXT_NAME = 'sada.txt';

  const utf8 = (text) => new TextEncoder().encode(text);

  // SHA-256 of the bytes in hexadecimal, also where the page is no secure context (a hall server
  // on a home network over http), which has no crypto.subtle. The constants are the first 32 bits
  // of the fractions of the primes' square and cube roots.
  function sha256(bytes) {
    const primes = [];
    for (let n = 2; primes.length < 64; ++n) {
      if (primes.every((p) => n % p !== 0)) primes.push(n);
    }
    const fraction = (x) => Math.floor((x - Math.floor(x)) * 2 ** 32) >>> 0;
    const rounds = primes.map((p) => fraction(Math.cbrt(p)));
    const hash = primes.slice(0, 8).map((p) => fraction(Math.sqrt(p)));
    const padded = new Uint8Array((((bytes.length + 8) >> 6) + 1) << 6);
    padded.set(bytes);
    padded[bytes.length] = 0x80;
    const view = new DataView(padded.buffer);
    view.setUint32(padded.length - 8, Math.floor(bytes.length / 2 ** 29));
    view.setUint32(padded.length - 4, (bytes.length << 3) >>> 0);
    const rotate = (x, n) => (x >>> n) | (x << (32 - n));
    const w = new Uint32Array(64);
    for (let block = 0; block < padded.length; block += 64) {
      for (let i = 0; i < 16; ++i) w[i] = view.getUint32(block + i * 4);
      for (let i = 16; i < 64; ++i) {
        const s0 = rotate(w[i - 15], 7) ^ rotate(w[i - 15], 18) ^ (w[i - 15] >>> 3);
        const s1 = rotate(w[i - 2], 17) ^ rotate(w[i - 2], 19) ^ (w[i - 2] >>> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
      }
      let [a, b, c, d, e, f, g, h] = hash;
      for (let i = 0; i < 64; ++i) {
        const t1 = h + (rotate(e, 6) ^ rotate(e, 11) ^ rotate(e, 25)) + ((e & f) ^ (~e & g)) +
                   rounds[i] + w[i];
        const t2 = (rotate(a, 2) ^ rotate(a, 13) ^ rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        [h, g, f, e, d, c, b, a] = [g, f, e, (d + t1) >>> 0, c, b, a, (t1 + t2) >>> 0];
      }
      [a, b, c, d, e, f, g, h].forEach((x, i) => { hash[i] = (hash[i] + x) >>> 0; });
    }
    return hash.map((x) => x.toString(16).padStart(8, '0')).join('');
  }

  // What `link` names: { key, server, url, most }, `server` the hall server of a published set
  // ('' for any other address), `url` where its file is and `most` the largest file the game
  // reads. Throws with the Czech reason when it names no set.
  function resolve(module, link) {
    // The hall serves the page under SERVER/play/: a bare address is a set of that server.
    const named = /^[0-9a-f]{64}$/.test(link)
      ? `${new URL('../', location.href).href}api/level-sets/${link}` : link;
    const [server, address] = module.ccall('zw_published_set', 'string', ['string'], [named])
      .split('\n');
    const most = module._zw_largest_level_file();
    if (server) {
      return { key: address, server, url: `${server}/api/level-sets/${address}/levels.ko`, most };
    }
    if (/^https?:\/\//i.test(link)) return { key: sha256(utf8(link)), server: '', url: link, most };
    throw new Error(address);
  }

  // The answer to a GET of `url` within DOWNLOAD_MILLIS and `most` bytes: { bytes, type }.
  async function fetchBounded(url, most) {
    const stop = new AbortController();
    let why = '';
    const end = (reason) => {
      why = why || reason;
      stop.abort();
    };
    const timer = setTimeout(() => end('server neodpověděl včas'), DOWNLOAD_MILLIS);
    const tooLarge = `soubor je větší než ${most >> 20} MiB`;
    try {
      const answer = await fetch(url, { cache: 'no-store', signal: stop.signal });
      if (!answer.ok) throw new Error(`server odpověděl HTTP ${answer.status}`);
      const bytes = await boundedBytes(answer, most, () => end(tooLarge));
      if (!bytes) throw new Error(tooLarge);
      return { bytes, type: answer.headers.get('Content-Type') || '' };
    } catch (error) {
      // A fetch that fails says only that it failed: no answer, or none the page may read.
      const reason = why || (error instanceof TypeError
        ? 'adresa neodpovídá, nebo stránce nedovoluje soubor číst' : error.message);
      throw new Error(`${url}: sadu nelze stáhnout: ${reason}`);
    } finally {
      clearTimeout(timer);
    }
  }

  // The published set's title as its server lists it; '' when the list says nothing of it.
  async function hallTitle(found) {
    try {
      const { bytes } = await fetchBounded(`${found.server}/api/level-sets`, MAX_LIST_BYTES);
      const { levelSets } = JSON.parse(new TextDecoder().decode(bytes));
      return levelSets.find((set) => set.address === found.key)?.name || '';
    } catch {
      return '';
    }
  }

  // Downloads the set `found` names: { levels, title, server }, the levels.ko to play. Throws
  // with the Czech reason when it cannot be had or the game would refuse it; `levelEditor()`
  // gives the level editor (editor.js), whose module compiles a level text.
  async function download(found, levelEditor) {
    const { bytes, type } = await fetchBounded(found.url, found.most);
    if (found.server) {
      if (sha256(bytes) !== found.key) {
        throw new Error(`${found.url}: stažený soubor není sada s touto adresou`);
      }
      return { levels: bytes, title: (await hallTitle(found)) || found.key, server: found.server };
    }
    const path = new URL(found.url).pathname;
    let name = path.slice(path.lastIndexOf('/') + 1);
    try {
      name = decodeURIComponent(name);
    } catch {
      // shown as the address writes it
    }
    let levels = bytes;
    if (!/\.ko$/i.test(path) && (/\.txt$/i.test(path) || /^text\//i.test(type))) {
      const { problem, files } = await (await levelEditor()).keptFromFile(TEXT_NAME, bytes);
      if (problem) throw new Error(problem);
      levels = Object.entries(files).find(([kept]) => kept.endsWith('.ko'))[1];
    }
    return { levels, title: name || found.url, server: '' };
  }

  const keptPath = (key, extension) => `${KEPT_SETS}/${key}${extension}`;

  // The set kept as `key`: { levels, title, server } (an editor's set has no title or server),
  // or null when the browser holds none; for a published set `found`, none but its own bytes.
  async function kept(key, found) {
    if (!window.ZapwallFiles || !window.ZapwallFiles.canKeep()) return null;
    const levels = await window.ZapwallFiles.storedFile(keptPath(key, '.ko'));
    if (!levels || (found && found.server && sha256(levels) !== found.key)) return null;
    const about = await window.ZapwallFiles.storedFile(keptPath(key, '.json'));
    const { title = '', server = '' } = about ? JSON.parse(new TextDecoder().decode(about)) : {};
    return { levels, title, server };
  }

  // Keeps a downloaded set as `key`, once the game has taken it.
  function keep(key, { levels, title, server }) {
    if (!window.ZapwallFiles || !window.ZapwallFiles.canKeep()) return Promise.resolve(false);
    return window.ZapwallFiles.storeFiles({
      [keptPath(key, '.ko')]: levels,
      [keptPath(key, '.json')]: utf8(JSON.stringify({ title, server })),
    });
  }

  // The sets kept from links, for the menu's choice of the set: [{ key, title }].
  async function keptSets() {
    if (!window.ZapwallFiles || !window.ZapwallFiles.canKeep()) return [];
    const keys = (await window.ZapwallFiles.storedNames(KEPT_SETS))
      .filter((name) => name.endsWith('.json')).map((name) => name.slice(0, -'.json'.length));
    return Promise.all(keys.map(async (key) => ({ key, title: (await kept(key))?.title || key })));
  }

  return { resolve, download, kept, keep, keptSets };
})();
