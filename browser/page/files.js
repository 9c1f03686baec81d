// SPDX-License-Identifier: GPL-3.0-or-later
// The player's files in the browser: players.ko, hall.ko, tick.ko, the kept copies of damaged
// ones and the replays, byte for byte as the desktop game writes them. The engine reads and writes
// them in the folder /user of the module's (in-memory) file system with the desktop's own code;
// this script fills that folder from IndexedDB before the game starts and stores what changed
// after the game wrote, each time in one IndexedDB transaction, so a save lands whole or not at
// all. One tab at a time holds the Web Lock "zapwall"; a second one is refused.
//
// It also gives the page its "Soubory" dialog: download the files and the replays, and bring in
// files made by the desktop game, checked by the engine's own readers before anything stored is
// replaced.
//
// The page calls `await ZapwallFiles.mount(Module)` before the game reads a file (it rejects with
// a Czech message when another tab runs the game) and `ZapwallFiles.persist()` after the game
// may have written one.
'use strict';

window.ZapwallFiles = (() => {
  const { element, keepKeysIn, outsideGames } = window.ZapwallTools;
  // The file names and limits of the desktop's code, as the build wrote them (page_design.js).
  const { numbers, files: names } = window.ZapwallDesign;
  const FOLDER = names['user-folder'];
  const REPLAYS = names.replays;
  const REPLAY_EXTENSION = names['replay-extension'];
  const LEVEL_SETS = 'level-sets';  // the level editor's, editor.js
  const KEPT_FILES = [
    [names.players, 'hráči'],
    [names.hall, 'síň slávy'],
    [names.tick, 'rychlost hry'],
  ];
  const DATABASE = 'zapwall';
  const STORE = 'files';
  const LOCK = 'zapwall';
  // A folder of its own, in the module's file system, for a file being checked.
  const CHECK_FOLDER = '/import-check';
  // The largest file the game reads (a replay's limit); larger files are refused unread.
  const MAX_IMPORT_BYTES = numbers['largest-file-bytes'];
  const BUSY_TEXT =
    'Zapwall už běží v jiné kartě tohoto prohlížeče. Hrajte v ní, nebo ji zavřete a tuto ' +
    'stránku načtěte znovu.';

  let module = null;
  let database = null;
  // What IndexedDB holds, as last stored: a file's path relative to FOLDER → its signature.
  const stored = new Map();
  // Stores run one after another; a call while one runs is served by the next one.
  let storing = Promise.resolve();
  let nextStore = null;
  // The files chosen for import that passed the check: name → bytes.
  let accepted = new Map();
  // Set once imported files are stored and the page starts again: what the game still writes
  // while it closes (its menu saves the roster it holds) must not replace them.
  let restarting = false;
  // The keys of the program's files in IndexedDB start with this: empty for the game's own set.
  let prefix = '';

  // --- IndexedDB -------------------------------------------------------------------------

  function requestDone(request) {
    return new Promise((resolve, reject) => {
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  }

  function transactionDone(transaction) {
    return new Promise((resolve, reject) => {
      transaction.oncomplete = () => resolve();
      transaction.onerror = () => reject(transaction.error);
      transaction.onabort = () => reject(transaction.error || new Error('transakce zrušena'));
    });
  }

  function openDatabase() {
    const request = indexedDB.open(DATABASE, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    return requestDone(request);
  }

  // Puts and removes files (relative path → bytes, or null to remove) in one transaction. The
  // transaction is made before the first wait, so one asked for while the page is being left
  // still goes out, ahead of whatever the next page reads.
  async function storeChanges(changes, under = prefix) {
    if (!database) throw new Error('prohlížeč nedovoluje hru ukládat');
    const transaction = database.transaction(STORE, 'readwrite');
    const store = transaction.objectStore(STORE);
    for (const [path, bytes] of changes) {
      if (bytes) store.put(bytes, under + path);
      else store.delete(under + path);
    }
    if (transaction.commit) transaction.commit();
    await transactionDone(transaction);
  }

  function problemText(error) {
    if (error && error.name === 'QuotaExceededError') return 'úložiště prohlížeče je plné';
    return (error && (error.message || error.name)) || 'neznámá chyba';
  }

  // --- The module's file system -------------------------------------------------------------

  // Changes whenever the engine writes the file: every write makes a new file and renames it
  // over the old one, which gives a new inode; the time and the size catch any other write.
  function signature(stat) {
    return `${stat.ino}:${stat.mtime.getTime()}:${stat.size}`;
  }

  // Every file under FOLDER: relative path → signature. Names starting with a dot are the
  // temporary files of a replacement, never a finished file.
  function listFiles() {
    const FS = module.FS;
    const files = new Map();
    const walk = (relative) => {
      for (const name of FS.readdir(relative ? `${FOLDER}/${relative}` : FOLDER)) {
        if (name.startsWith('.')) continue;
        const path = relative ? `${relative}/${name}` : name;
        const stat = FS.stat(`${FOLDER}/${path}`);
        if (FS.isDir(stat.mode)) walk(path);
        else if (FS.isFile(stat.mode)) files.set(path, signature(stat));
      }
    };
    walk('');
    return files;
  }

  function parentOf(path) {
    return path.slice(0, path.lastIndexOf('/'));
  }

  function readFile(path) {
    return module.FS.readFile(`${FOLDER}/${path}`);
  }

  async function loadStoredFiles() {
    const transaction = database.transaction(STORE, 'readonly');
    const store = transaction.objectStore(STORE);
    const [paths, contents] = await Promise.all([
      requestDone(store.getAllKeys()),
      requestDone(store.getAll()),
    ]);
    paths.forEach((key, i) => {
      if (!key.startsWith(prefix)) return;
      const full = `${FOLDER}/${key.slice(prefix.length)}`;
      module.FS.mkdirTree(parentOf(full));
      module.FS.writeFile(full, contents[i]);
    });
    for (const [path, sig] of listFiles()) stored.set(path, sig);
  }

  async function storeNow() {
    if (!database || restarting) return false;
    const now = listFiles();
    const changes = new Map();
    for (const [path, sig] of now) {
      if (stored.get(path) !== sig) changes.set(path, readFile(path));
    }
    for (const path of stored.keys()) {
      if (!now.has(path)) changes.set(path, null);
    }
    if (changes.size === 0) return true;
    try {
      await storeChanges(changes);
    } catch (error) {
      showProblem(`Hru se nepodařilo uložit do prohlížeče (${problemText(error)}). Uložené ` +
                  'soubory zůstaly, jak byly; hra to zkusí znovu při dalším ukládání.');
      return false;
    }
    for (const [path, bytes] of changes) {
      if (bytes) stored.set(path, now.get(path));
      else stored.delete(path);
    }
    hideProblem();
    return true;
  }

  // Runs `job` after every store before it; calls made while one waits share it.
  function queue(job) {
    const run = storing.then(job);
    storing = run.catch(() => {});
    return run;
  }

  function persist() {
    if (!module) return Promise.resolve(false);
    if (!nextStore) {
      nextStore = queue(() => {
        nextStore = null;
        return storeNow();
      });
    }
    return nextStore;
  }

  // --- Files of the page's own tools -------------------------------------------------------

  // The level editor keeps its sets among the player's files (paths relative to the player's
  // folder, as IndexedDB holds them), whatever set the program running now plays: straight in
  // the database, each write a transaction of its own. The player's own program finds them in
  // its folder when it next starts, and "Soubory" lists them.
  function canKeep() {
    return Boolean(database);
  }

  async function storedNames(folder) {
    const keys = await requestDone(database.transaction(STORE).objectStore(STORE).getAllKeys());
    return keys.filter((key) => key.startsWith(`${folder}/`) && !key.slice(folder.length + 1).includes('/'))
      .map((key) => key.slice(folder.length + 1)).sort();
  }

  function storedFile(path) {
    return requestDone(database.transaction(STORE).objectStore(STORE).get(path));
  }

  // Resolves with whether the files (path → bytes, or null to remove) were stored.
  function storeFiles(files) {
    return queue(() => storeChanges(new Map(Object.entries(files)), '')).then(() => true, (error) => {
      showProblem(`Soubor se nepodařilo uložit do prohlížeče (${problemText(error)}).`);
      return false;
    });
  }

  // --- The lock between tabs --------------------------------------------------------------

  // Resolves, once this tab holds the lock, with the function that gives it back; rejects with
  // the Czech message when another tab holds it. Without Web Locks (a page not served from a
  // secure address) the game runs unguarded, as the desktop game runs where it cannot make its
  // lock.
  function takeLock() {
    if (!navigator.locks) return Promise.resolve(() => {});
    return new Promise((resolve, reject) => {
      navigator.locks
        .request(LOCK, { ifAvailable: true }, (lock) => {
          if (!lock) {
            reject(new Error(BUSY_TEXT));
            return undefined;
          }
          return new Promise((release) => resolve(release));
        })
        .catch(reject);
    });
  }

  // --- Messages on the page -----------------------------------------------------------------

  function showProblem(text) {
    let line = document.getElementById('zapwall-files-problem');
    if (!line) {
      line = element('p', { id: 'zapwall-files-problem', role: 'alert' });
      document.body.append(line);
    }
    line.textContent = text;
    line.hidden = false;
  }

  function hideProblem() {
    const line = document.getElementById('zapwall-files-problem');
    if (line) line.hidden = true;
  }

  // --- Downloads ------------------------------------------------------------------------------

  function baseName(path) {
    return path.slice(path.lastIndexOf('/') + 1);
  }

  function download(path) {
    const url = URL.createObjectURL(
      new Blob([readFile(path)], { type: 'application/octet-stream' }));
    const link = element('a', { href: url, download: baseName(path), hidden: true });
    document.body.append(link);
    link.click();
    link.remove();
    // The download has taken the bytes long before; the address is only given back.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  function sizeText(bytes) {
    let unit = 'bajtů';
    if (bytes === 1) unit = 'bajt';
    else if (bytes >= 2 && bytes <= 4) unit = 'bajty';
    return `${bytes.toLocaleString('cs-CZ')} ${unit}`;
  }

  function fileSize(path) {
    return module.FS.stat(`${FOLDER}/${path}`).size;
  }

  function downloadButton(path) {
    return element('button', {
      type: 'button',
      className: 'zapwall-files-download',
      textContent: 'Stáhnout',
      title: `Stáhnout ${baseName(path)}`,
      onclick: () => download(path),
    });
  }

  function fileRow(files, path, what) {
    const present = files.has(path);
    return element('tr', { data: { file: path } }, [
      element('td', {}, [element('code', { textContent: path })]),
      element('td', { textContent: what }),
      element('td', { textContent: present ? sizeText(fileSize(path)) : 'zatím neuložen' }),
      element('td', {}, present ? [downloadButton(path)] : []),
    ]);
  }

  function keptFilesSection(files) {
    const rows = KEPT_FILES.map(([name, what]) => fileRow(files, name, what));
    for (const path of [...files.keys()].sort()) {
      if (!path.includes('/') && path.includes('.damaged')) {
        rows.push(fileRow(files, path, 'poškozený soubor uschovaný hrou'));
      }
    }
    return element('section', {}, [
      element('h3', { textContent: 'Uložené soubory' }),
      element('table', { id: 'zapwall-files-kept' }, [element('tbody', {}, rows)]),
    ]);
  }

  function replaysSection(files) {
    const replays = [...files.keys()]
      .filter((path) => path.startsWith(`${REPLAYS}/`) && path.endsWith(REPLAY_EXTENSION))
      .sort()
      .reverse();
    const items = replays.map((path) => {
      const buttons = [downloadButton(path)];
      if (typeof window.zapwallWatch === 'function') {
        buttons.push(element('button', {
          type: 'button',
          textContent: 'Přehrát',
          onclick: () => {
            dialog().close();
            window.zapwallWatch(`${FOLDER}/${path}`);
          },
        }));
      }
      return element('li', { data: { file: path } },
                     [element('code', { textContent: baseName(path) }), ' ', ...buttons]);
    });
    return element('section', {}, [
      element('h3', { textContent: `Záznamy her (${replays.length})` }),
      element('p', {
        textContent: `Každá hra se nahrává; uchovává se ${numbers['kept-replays']} nejnovějších ` +
                     'záznamů. Stažený záznam přehraje i hra na počítači.',
      }),
      replays.length
        ? element('ul', { id: 'zapwall-files-replays' }, items)
        : element('p', { textContent: 'Zatím žádné záznamy.' }),
    ]);
  }

  // The level editor's sets (editor.js), kept as text and levels.ko, and the sets opened by a
  // link (set_link.js), kept as levels.ko and their title.
  function levelSetsSection(files) {
    const sets = [...files.keys()].filter((path) => path.startsWith(`${LEVEL_SETS}/`)).sort();
    return element('section', {}, [
      element('h3', { textContent: `Sady úrovní (${sets.length})` }),
      element('p', { textContent: 'Uložené editorem úrovní, jako text a levels.ko, a sady ' +
                                  'otevřené odkazem, jako levels.ko a jejich název; sadu lze ' +
                                  'nahrát níže nebo otevřít v editoru.' }),
      sets.length
        ? element('ul', { id: 'zapwall-files-sets' }, sets.map((path) => element('li', { data: { file: path } },
          [element('code', { textContent: baseName(path) }), ' ', downloadButton(path)])))
        : element('p', { textContent: 'Zatím žádné sady.' }),
    ]);
  }

  // --- Imports --------------------------------------------------------------------------------

  // The name a desktop file is stored under: a browser's "players (1).ko" for a second download
  // is the desktop's players.ko; a replay keeps its name, without leading dots (which would
  // hide it as a temporary file).
  function importName(name) {
    const unnumbered = name.replace(/ ?\(\d+\)(?=\.[^.]+$)/, '');
    return unnumbered.endsWith(REPLAY_EXTENSION) ? unnumbered.replace(/^\.+/, '') : unnumbered;
  }

  function storedPath(name) {
    return name.endsWith(REPLAY_EXTENSION) ? `${REPLAYS}/${name}` : name;
  }

  // The engine's reason why the file cannot be taken, or '' when it can.
  function checkProblem(name, bytes) {
    const FS = module.FS;
    FS.mkdirTree(CHECK_FOLDER);
    const path = `${CHECK_FOLDER}/${name}`;
    FS.writeFile(path, bytes);
    try {
      return module.ccall('zapwall_import_problem', 'string', ['string', 'string'],
                          [CHECK_FOLDER, name]);
    } finally {
      FS.unlink(path);
    }
  }

  async function checkFile(file) {
    const name = importName(file.name);
    if (file.size > MAX_IMPORT_BYTES) {
      return { name, problem: `${name}: soubor je příliš velký (${sizeText(file.size)})` };
    }
    if (accepted.has(name)) return { name, problem: `${name}: tento soubor je už vybrán` };
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      return { name, problem: `${name}: soubor nelze přečíst (${problemText(error)})` };
    }
    if (isLevelSet(name)) {
      // The level editor's module checks it as the game would load it and makes what it keeps.
      const { problem, files } = window.ZapwallLevelEditor
        ? await window.ZapwallLevelEditor.keptFromFile(name, bytes)
        : { problem: `${name}: sady úrovní bere editor úrovní, který se nenačetl` };
      if (!problem) accepted.set(name, files);
      return { name, problem, replaces: !problem && Object.keys(files).some((key) => stored.has(key)) };
    }
    const problem = checkProblem(name, bytes);
    if (!problem) accepted.set(name, { [prefix + storedPath(name)]: bytes });
    return { name, problem, replaces: !problem && listFiles().has(storedPath(name)) };
  }

  // A level set (a level text, or a level file other than the player's), which the level
  // editor keeps in LEVEL_SETS.
  function isLevelSet(name) {
    return name.endsWith('.txt') ||
           (name.endsWith('.ko') && !KEPT_FILES.some(([kept]) => kept === name));
  }

  function importStatus(text) {
    document.getElementById('zapwall-files-status').textContent = text;
  }

  async function chooseFiles(fileList) {
    const list = document.getElementById('zapwall-files-checked');
    for (const file of fileList) {
      const { name, problem, replaces } = await checkFile(file);
      list.append(element('li', {
        className: problem ? 'refused' : 'accepted',
        data: { file: name },
        textContent: problem ? `Odmítnut — ${problem}`
                             : `${name}: v pořádku${replaces ? ', nahradí uložený soubor' : ''}`,
      }));
    }
    document.getElementById('zapwall-files-import').disabled = accepted.size === 0;
    importStatus(accepted.size ? 'Zkontrolované soubory se uloží, až potvrdíte nahrání.'
                               : 'Žádný vybraný soubor nelze nahrát; uložené soubory se nezměnily.');
  }

  async function importAccepted() {
    // Keys of the database: the game's files in the program's folder, the sets in LEVEL_SETS.
    const changes = new Map([...accepted.values()].flatMap((files) => Object.entries(files)));
    try {
      // After the saves before it; the page starts again from what is stored now.
      await queue(() => storeChanges(changes, ''));
    } catch (error) {
      importStatus(`Soubory se nepodařilo uložit (${problemText(error)}); uložené soubory ` +
                   'se nezměnily.');
      return;
    }
    restarting = true;
    importStatus('Soubory jsou nahrány, hra se spouští znovu…');
    // The page itself, without a replay it may have been opened to watch.
    location.replace(location.pathname);
  }

  function importSection() {
    const picker = element('input', {
      type: 'file',
      id: 'zapwall-files-pick',
      multiple: true,
      accept: `.ko,.txt,${REPLAY_EXTENSION}`,
      onchange: () => chooseFiles(picker.files),
    });
    return element('section', {}, [
      element('h3', { textContent: 'Nahrát soubory ze hry na počítači' }),
      element('p', {
        textContent: `${KEPT_FILES.map(([name]) => name).join(', ')}, záznamy her ` +
                     `*${REPLAY_EXTENSION} a sady úrovní (text *.txt nebo *.ko). Každý soubor se ` +
                     'nejdřív zkontroluje; nahraný soubor nahradí uložený soubor stejného jména ' +
                     'a hra se spustí znovu.',
      }),
      element('div', { id: 'zapwall-files-drop' }, [
        'Sem přetáhněte soubory, nebo ',
        element('label', { className: 'zapwall-files-pick' }, ['je vyberte…', picker]),
      ]),
      element('ul', { id: 'zapwall-files-checked' }),
      element('p', { id: 'zapwall-files-status', role: 'status' }),
      element('button', {
        type: 'button',
        id: 'zapwall-files-import',
        disabled: true,
        textContent: 'Nahrát a spustit znovu',
        onclick: importAccepted,
      }),
    ]);
  }

  // --- The dialog -----------------------------------------------------------------------------

  function dialog() {
    return document.getElementById('zapwall-files');
  }

  function openDialog() {
    accepted = new Map();
    const files = listFiles();
    const box = dialog();
    box.replaceChildren(
      element('h2', { textContent: 'Soubory' }),
      element('p', {
        textContent: 'Hra si vše ukládá v tomto prohlížeči. Soubory si můžete stáhnout, ' +
                     'přenést do hry na počítači a nahrát je zpět.',
      }),
      keptFilesSection(files),
      replaysSection(files),
      levelSetsSection(files),
      importSection(),
      element('form', { method: 'dialog' }, [
        element('button', { id: 'zapwall-files-close', textContent: 'Zavřít' }),
      ]));
    box.showModal();
  }

  // Files dropped on the dialog are for the import, and the keys pressed in it for the dialog
  // alone: none of them reaches the page's own handlers.
  function keepEventsIn(box) {
    const accepts = (event) => event.dataTransfer.types.includes('Files');
    keepKeysIn(box);
    box.addEventListener('dragover', (event) => {
      event.stopPropagation();
      event.preventDefault();
      event.dataTransfer.dropEffect = accepts(event) ? 'copy' : 'none';
    });
    box.addEventListener('drop', (event) => {
      event.stopPropagation();
      event.preventDefault();
      if (accepts(event)) chooseFiles(event.dataTransfer.files);
    });
  }

  function addDialog() {
    const box = element('dialog', { id: 'zapwall-files', className: 'page-tool-box', lang: 'cs' });
    keepEventsIn(box);
    document.body.append(box);
    const button = element('button', {
      type: 'button',
      id: 'zapwall-files-button',
      className: 'page-tool-button',
      textContent: 'Soubory',
      onclick: openDialog,
    });
    // A file brought in during a game would also be saved over by it.
    outsideGames(button, {
      on: 'Stáhnout uložené soubory a záznamy her, nahrát soubory ze hry na počítači',
    });
    const slot = document.getElementById('zapwall-files-slot');
    if (slot) slot.append(button);
    else document.body.append(button);
  }

  // --- Start-up -------------------------------------------------------------------------------

  // The database is opened as soon as the page loads, while the module is still being fetched;
  // a failure is taken up by mount.
  const opening = openDatabase();
  opening.catch(() => {});

  let releaseLock = null;  // set once the tab holds the lock, for as long as the page lives

  // A program that comes after another in this tab (the player's game after a test play of the
  // level editor) gets the files as stored, under the lock the tab already holds.
  // `setFolder`, when given, is the folder of a level set's own players, hall of fame and replays
  // (sets/NAME, relative to the player's folder): the program playing that set sees it as its
  // whole folder, as the desktop's `zapwall --levels` does.
  async function mount(pageModule, setFolder = '') {
    const first = !releaseLock;
    if (first) releaseLock = await takeLock();
    module = pageModule;
    prefix = setFolder ? `${setFolder}/` : '';
    module.FS.mkdirTree(FOLDER);
    stored.clear();
    try {
      database = await opening;
      await loadStoredFiles();
    } catch (error) {
      database = null;
      showProblem(`Prohlížeč nedovoluje hru ukládat (${problemText(error)}). Dá se hrát, ale ` +
                  'nic se neuloží.');
    }
    if (!first) return;
    addDialog();
    // Whatever the last moments wrote is stored when the tab goes out of sight or away; then
    // the lock goes, before the next page (a reload) asks for it.
    document.addEventListener('visibilitychange', persist);
    addEventListener('pagehide', () => {
      persist();
      releaseLock();
    });
    // A page brought back from the browser's back-forward cache no longer holds the lock: it
    // starts again and asks for it.
    addEventListener('pageshow', (event) => {
      if (event.persisted) location.reload();
    });
    // Saves should outlive the browser's clean-up of sites that need space.
    if (navigator.storage && navigator.storage.persist) navigator.storage.persist();
  }

  // The service worker fills its cache with the whole site: the page asks for it once its own
  // files are in, so that on a slow line the two do not share it.
  function offerOffline() {
    if (!('serviceWorker' in navigator)) return;
    navigator.serviceWorker.register('sw.js').catch((error) =>
      console.warn('Zapwall: bez práce offline:', error));
  }

  return { mount, persist, offerOffline, canKeep, storedNames, storedFile, storeFiles };
})();
