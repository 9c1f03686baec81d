// SPDX-License-Identifier: GPL-3.0-or-later
// The level editor in the page: the button "Editor úrovní" beside the page's other tools and,
// once it is pressed, the editor's own module (zapwall-editor.js and .wasm, browser/editor: the
// desktop editor's document under the page's session), loaded then and not before, so the game's
// first picture waits for none of it. This script is the editor's view: the field at its real
// size scaled by the page's factor, drawn by the module with the game's own pictures, the
// palette, the tools (draw, eraser, select), the level list, the problems, undo and redo, the
// sets kept in the browser with the player's files, a set opened from the device, the downloads
// and the test play. Every rule of editing is the module's; this only forwards the pointer, the
// keys and the buttons to it and shows what it says. A mouse and a finger do the same: a tap
// places, a finger held still removes, a drag draws a row or moves the selection, and a second
// finger takes back what the first one started.
'use strict';

window.ZapwallLevelEditor = (() => {
  const { element, keepKeysIn, outsideGames } = window.ZapwallTools;
  const SETS_FOLDER = 'level-sets';  // below the player's folder, beside the replays
  const SET_EXTENSION = '.txt';
  const COMPILED_EXTENSION = '.ko';
  const MAX_NAME = 40;
  const BRICK_SHEET = 5;  // sprite indices: kBrickSheetSprite, kBonusSheetSprite
  const BONUS_SHEET = 6;
  // A finger held this long without moving removes the brick under it; moved this far, it draws.
  const LONG_PRESS_MILLIS = 500;
  const TOUCH_SLACK = 8;  // CSS pixels
  const GRID_COLOUR = '#282828';
  const SELECTION_COLOUR = '#ffff00';
  const FAULT_COLOUR = '#ff0000';
  const CURSOR_COLOUR = '#00c000';
  const UPRIGHT = matchMedia('(max-width: 700px)');  // editor.css's one column

  let E = null;  // the editor's module, once loaded
  let loading = null;
  let view = null;  // the editor's elements, once built
  let state = null;  // the module's last ze_state
  let tool = 'draw';
  let setName = 'nova-sada';
  let geometry = null;
  let brickCells = [];  // canvases of the palette's pictures
  let bonusCells = [];

  // --- The module ----------------------------------------------------------------------------

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = element('script', { src });
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${src} se nepodařilo načíst`));
      document.head.append(script);
    });
  }

  // The editor's module with the game's pictures in its /data.
  async function loadModule() {
    document.head.append(element('link', { rel: 'stylesheet', href: 'editor.css' }));
    await loadScript('zapwall-editor.js');
    const module = await window.ZapwallEditorModule();
    const pictures = ZapwallData.menu.filter((name) => name.startsWith('data/pictures/'));
    for (const name of pictures) {
      const bytes = await ZapwallData.fetchFile(name);
      module.FS.mkdirTree(`/${name.slice(0, name.lastIndexOf('/'))}`);
      module.FS.writeFile(`/${name}`, bytes);
    }
    for (const folder of ['/open', '/sets', '/import']) module.FS.mkdirTree(folder);
    const failed = module.ccall('ze_start', 'string', ['string'], ['/data']);
    if (failed) throw new Error(failed);
    return module;
  }

  function call(name, ...args) {
    return E[`_${name}`](...args);
  }

  function text(name, types = [], args = []) {
    return E.ccall(name, 'string', types, args);
  }

  // --- Boxes ---------------------------------------------------------------------------------

  // A message or a question in the editor's own box; resolves with the answer (true for OK).
  function ask(message, question = false) {
    const box = view.box;
    box.replaceChildren(
      element('p', { className: 'editor-message', textContent: message }),
      element('div', { className: 'editor-buttons' }, question
        ? [element('button', { id: 'editor-yes', textContent: 'Ano', value: 'yes' }),
          element('button', { id: 'editor-no', textContent: 'Ne', value: 'no' })]
        : [element('button', { id: 'editor-ok', textContent: 'OK', value: 'yes' })]));
    return new Promise((resolve) => {
      for (const button of box.querySelectorAll('button')) {
        button.onclick = () => {
          box.close();
          resolve(button.value === 'yes');
        };
      }
      box.oncancel = () => resolve(false);
      box.showModal();
      box.querySelector('button').focus();
    });
  }

  function say(message) {
    return ask(message, false);
  }

  // A text asked for, or null when cancelled.
  function askText(message, value) {
    const box = view.box;
    const input = element('input', { id: 'editor-answer', type: 'text', value, maxLength: 200 });
    const form = element('form', { method: 'dialog' }, [
      element('p', { className: 'editor-message', textContent: message }), input,
      element('div', { className: 'editor-buttons' }, [
        element('button', { id: 'editor-answer-ok', textContent: 'OK', value: 'ok' }),
        element('button', { type: 'button', textContent: 'Zrušit', value: 'cancel',
          onclick: () => box.close() })])]);
    box.replaceChildren(form);
    return new Promise((resolve) => {
      box.onclose = () => {
        box.onclose = null;
        resolve(box.returnValue === 'ok' ? input.value : null);
      };
      box.returnValue = '';
      box.oncancel = null;
      box.showModal();
      input.select();
    });
  }

  function status(message) {
    view.status.textContent = message;
  }

  // --- What is shown -------------------------------------------------------------------------

  function refresh() {
    state = JSON.parse(text('ze_state'));
    showLevels();
    showPalette();
    showProblems();
    drawField();
    view.undo.disabled = !state.undo;
    view.undo.title = state.undo ? `Zpět: ${state.undo} (Ctrl+Z)` : 'Není co vzít zpět';
    view.redo.disabled = !state.redo;
    view.redo.title = state.redo ? `Znovu: ${state.redo} (Ctrl+Y)` : 'Není co udělat znovu';
    const none = state.selection.length === 0;
    for (const button of [view.copy, view.remove, view.apply]) button.disabled = none;
    view.paste.disabled = !state.canPaste;
    view.name.value = setName;
    view.title.textContent = `${setName}${state.changed ? '*' : ''} – Editor úrovní`;
  }

  function bricksText(n) {
    return `${n} ${n === 1 ? 'cihla' : n >= 2 && n <= 4 ? 'cihly' : 'cihel'}`;
  }

  function showLevels() {
    const list = view.levels;
    while (list.children.length > state.levels.length) list.lastChild.remove();
    state.levels.forEach(([title, bricks], i) => {
      let line = list.children[i];
      if (!line) {
        line = element('li', { role: 'option', draggable: true, data: { level: String(i) } });
        list.append(line);
      }
      const label = title ? `${i + 1}. ${title} (${bricksText(bricks)})`
        : `Úroveň ${i + 1} (${bricksText(bricks)})`;
      // The title is isolated from the rest of the line: a right-to-left mark or override in it
      // turns only the title, never the number and the count around it.
      if (line.textContent !== label) {
        line.replaceChildren(...(title
          ? [`${i + 1}. `, element('bdi', { textContent: title }), ` (${bricksText(bricks)})`]
          : [label]));
      }
      const current = i === state.current;
      line.classList.toggle('current', current);
      line.setAttribute('aria-selected', String(current));
    });
    list.children[state.current]?.scrollIntoView({ block: 'nearest' });
    view.levelUp.disabled = state.current === 0;
    view.levelDown.disabled = state.current === state.levels.length - 1;
    view.levelDelete.disabled = state.levels.length === 1;
  }

  function showPalette() {
    const [picture, type, points, bonus] = state.palette;
    brickCells.forEach((cell, i) => cell.classList.toggle('chosen', i === picture));
    bonusCells.forEach((cell, i) => cell.classList.toggle('chosen', i === bonus));
    view.type.value = String(type);
    if (document.activeElement !== view.points) view.points.value = String(points);
    view.bonuses.classList.toggle('off', type === geometry.steel);
  }

  function showProblems() {
    const list = view.problems;
    list.replaceChildren(...state.problems.map(([refused, level, brick, message]) =>
      element('li', {
        className: refused ? 'refused' : '',
        textContent: `${refused ? 'Hra odmítne: ' : 'Nehraje se, jak má: '}${message}`,
        data: { level: String(level), brick: String(brick) },
      })));
    const more = state.problemCount - state.problems.length;
    if (more > 0) list.append(element('li', { textContent: `… a dalších ${more}` }));
    view.problemsTitle.textContent = state.problemCount === 0
      ? 'Hra sadu přijme a hraje, jak má.'
      : `Co by hra odmítla nebo nehrála, jak má (${state.problemCount}):`;
  }

  // --- The field -----------------------------------------------------------------------------

  let drag = null;  // what a pointer on the field does now, see bindField
  let lastPoint = null;  // where the pointer was last on the field
  let cursor = [0, 0];   // the keyboard's cell, its top left corner

  // How far a selection being dragged has gone: by whole cells, or (Shift) by pixels.
  function dragOffset(moving = drag) {
    if (!moving || moving.kind !== 'move') return [0, 0];
    const [cw, ch] = [geometry.cellWidth, geometry.cellHeight];
    const snap = (v, size) => Math.floor(v / size) * size;
    const { at, from } = moving;
    if (moving.free) return [at[0] - from[0], at[1] - from[1]];
    return [snap(at[0], cw) - snap(from[0], cw), snap(at[1], ch) - snap(from[1], ch)];
  }

  function drawField() {
    const { width, height, cellWidth, cellHeight } = geometry;
    const [dx, dy] = dragOffset();
    const rgba = call('ze_draw', dx, dy) >> 0;
    const image = new ImageData(new Uint8ClampedArray(E.HEAPU8.buffer, rgba, width * height * 4)
      .slice(), width, height);
    const g = view.canvas.getContext('2d');
    g.putImageData(image, 0, 0);
    // The marks of the cells the field holds whole.
    g.fillStyle = GRID_COLOUR;
    for (let x = 0; x + cellWidth <= width; x += cellWidth) {
      for (let y = 0; y + cellHeight <= height; y += cellHeight) g.fillRect(x, y, 1, 1);
    }
    const selected = new Set(state.selection);
    const faulty = new Set(state.faulty);
    state.bricks.forEach(([bx, by, , , , bonus], i) => {
      const moved = selected.has(i);
      const x = bx + (moved ? dx : 0);
      const y = by + (moved ? dy : 0);
      // The bonus a brick leaves, small in its lower right corner.
      if (bonus > 0 && bonus <= geometry.bonuses) {
        g.drawImage(bonusSheet, (bonus - 1) * cellWidth, 0, cellWidth, cellHeight,
          x + cellWidth / 2, y + cellHeight / 2, cellWidth / 2, cellHeight / 2);
      }
      if (moved || faulty.has(i)) {
        g.strokeStyle = moved ? SELECTION_COLOUR : FAULT_COLOUR;
        g.lineWidth = 1;
        g.strokeRect(x + 0.5, y + 0.5, cellWidth - 1, cellHeight - 1);
      }
    });
    if (document.activeElement === view.canvas) {
      g.strokeStyle = CURSOR_COLOUR;
      g.strokeRect(cursor[0] + 0.5, cursor[1] + 0.5, cellWidth - 1, cellHeight - 1);
    }
    if (drag && drag.kind === 'band') {
      g.setLineDash([2, 2]);
      g.strokeStyle = SELECTION_COLOUR;
      const [x0, y0] = drag.from;
      const [x1, y1] = drag.at;
      g.strokeRect(Math.min(x0, x1) + 0.5, Math.min(y0, y1) + 0.5, Math.abs(x1 - x0), Math.abs(y1 - y0));
      g.setLineDash([]);
    }
  }

  function placeCursor([x, y]) {
    const { width, height, cellWidth, cellHeight } = geometry;
    const column = Math.min(Math.max(Math.floor(x / cellWidth), 0), Math.floor(width / cellWidth) - 1);
    const row = Math.min(Math.max(Math.floor(y / cellHeight), 0), Math.floor(height / cellHeight) - 1);
    cursor = [column * cellWidth, row * cellHeight];
  }

  function fieldPoint(event) {
    const box = view.canvas.getBoundingClientRect();
    return [Math.floor((event.clientX - box.left) * geometry.width / box.width),
      Math.floor((event.clientY - box.top) * geometry.height / box.height)];
  }

  // The pointer on the field. A mouse acts at once: the left button with the tool, the right one
  // removes. A finger waits to see what it does: lifted soon, a tap (the tool once); moved, a drag
  // (a row drawn or erased, a band or the selection moved); held still, a removal. A second
  // finger cancels what the first began.
  function bindField() {
    const canvas = view.canvas;
    const fingers = new Map();
    let timer = null;

    const strokeAt = (kind, [x, y], free) => {
      if (kind === 'erase') call('ze_stroke_erase', x, y);
      else call('ze_stroke_draw', x, y, free ? 1 : 0);
      refresh();
    };
    const begin = (kind, at, event) => {
      drag = { kind, from: at, at, free: event.shiftKey };
      if (kind === 'draw' || kind === 'erase') strokeAt(kind, at, drag.free);
      else if (kind === 'select') {
        if (call('ze_on_selection', at[0], at[1])) drag.kind = 'move';
        else {
          call('ze_select_at', at[0], at[1], event.ctrlKey || event.metaKey ? 1 : 0);
          drag.kind = 'band';
          drag.add = event.ctrlKey || event.metaKey;
        }
        refresh();
      }
    };
    const finish = () => {
      if (!drag) return;
      const done = drag;
      drag = null;
      if (done.kind === 'draw' || done.kind === 'erase') call('ze_stroke_end');
      if (done.kind === 'move') {
        const [dx, dy] = dragOffset(done);
        if (dx || dy) call('ze_move_selection', dx, dy);
      }
      if (done.kind === 'band' && (done.at[0] !== done.from[0] || done.at[1] !== done.from[1])) {
        call('ze_select_band', done.from[0], done.from[1], done.at[0], done.at[1], done.add ? 1 : 0);
      }
      refresh();
    };
    const cancel = () => {
      clearTimeout(timer);
      if (drag && (drag.kind === 'draw' || drag.kind === 'erase')) call('ze_stroke_cancel');
      drag = null;
      refresh();
    };
    const toolKind = () => (tool === 'select' ? 'select' : tool);

    canvas.addEventListener('contextmenu', (event) => event.preventDefault());
    canvas.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      canvas.focus();
      const at = fieldPoint(event);
      lastPoint = at;
      placeCursor(at);
      if (event.pointerType !== 'touch') {
        if (drag) return;
        canvas.setPointerCapture(event.pointerId);
        if (event.button === 2) begin('erase', at, event);
        else if (event.button === 0) begin(toolKind(), at, event);
        return;
      }
      fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
      if (fingers.size > 1) {
        cancel();
        return;
      }
      canvas.setPointerCapture(event.pointerId);
      drag = { kind: 'pending', from: at, at, start: [event.clientX, event.clientY] };
      timer = setTimeout(() => {
        if (drag && drag.kind === 'pending') begin('erase', drag.from, event);
      }, LONG_PRESS_MILLIS);
    });
    canvas.addEventListener('pointermove', (event) => {
      const at = fieldPoint(event);
      lastPoint = at;
      if (event.pointerType === 'touch') {
        if (!fingers.has(event.pointerId) || fingers.size > 1) return;
        if (drag && drag.kind === 'pending') {
          const far = Math.hypot(event.clientX - drag.start[0], event.clientY - drag.start[1]);
          if (far < TOUCH_SLACK) return;
          clearTimeout(timer);
          begin(toolKind(), drag.from, event);
        }
      }
      if (!drag) return;
      drag.at = at;
      if (drag.kind === 'draw' || drag.kind === 'erase') strokeAt(drag.kind, at, drag.free);
      else drawField();
    });
    const up = (event) => {
      if (event.pointerType === 'touch') {
        if (!fingers.delete(event.pointerId)) return;
        clearTimeout(timer);
        if (drag && drag.kind === 'pending') {
          const tap = drag.from;
          begin(toolKind(), tap, event);
        }
        if (fingers.size > 0) return;
      }
      finish();
    };
    canvas.addEventListener('pointerup', up);
    canvas.addEventListener('pointercancel', (event) => {
      fingers.delete(event.pointerId);
      cancel();
    });
  }

  // --- Commands ------------------------------------------------------------------------------

  function run(name, ...args) {
    call(name, ...args);
    refresh();
  }

  // The clipboard's first brick goes to the cell the pointer or the finger was last on the field;
  // before that, the bricks go where they were copied from.
  function paste() {
    if (lastPoint) run('ze_paste', 1, lastPoint[0], lastPoint[1]);
    else run('ze_paste', 0, 0, 0);
  }

  function setTool(chosen) {
    tool = chosen;
    for (const [name, button] of Object.entries(view.tools)) {
      button.classList.toggle('chosen', name === chosen);
      button.setAttribute('aria-pressed', String(name === chosen));
    }
    view.canvas.dataset.tool = chosen;
  }

  function choosePalette(picture, type, bonus, points) {
    const [p, t, , b] = state.palette;
    const newPicture = picture ?? p;
    const newType = type ?? t;
    const given = points ?? (picture !== undefined || type !== undefined
      ? call('ze_default_points', newPicture, newType) : state.palette[2]);
    call('ze_set_palette', newPicture, newType, given, bonus ?? b);
    refresh();
  }

  async function renameLevel() {
    const [old] = state.levels[state.current];
    const given = await askText(`Název úrovně ${state.current + 1}:`, old);
    // One line, without blanks at its ends: a title is the rest of its `level` line in the text.
    const title = given === null ? null : given.replace(/\s+/g, ' ').trim();
    const refused = title === null ? '' : text('ze_rename_level', ['string'], [title]);
    if (refused) await say(refused);
    refresh();
  }

  async function deleteLevel() {
    const refused = text('ze_delete_level');
    if (refused) await say(refused);
    refresh();
  }

  // Why a set's name cannot be used, or empty.
  function nameProblem(name) {
    if (!name) return 'Sada potřebuje jméno.';
    if (name.length > MAX_NAME) return `Jméno sady může mít nejvýše ${MAX_NAME} znaků.`;
    if (/[/\\]/.test(name) || name.startsWith('.')) {
      return 'Jméno sady nesmí obsahovat lomítka ani začínat tečkou.';
    }
    return '';
  }

  // The set's text and levels.ko as the editor saves them; null after saying why not.
  async function savedFiles() {
    const problem = nameProblem(setName);
    if (problem) {
      await say(problem);
      return null;
    }
    const paths = [`/sets/${setName}.txt`, `/sets/${setName}.ko`];
    const failed = text('ze_keep', ['string', 'string'], paths);
    if (failed) {
      await say(failed);
      refresh();
      return null;
    }
    const [textBytes, compiled] = paths.map((p) => E.FS.readFile(p));
    for (const p of paths) E.FS.unlink(p);
    refresh();
    return { text: textBytes, compiled };
  }

  async function warnedSave() {
    if (!state.refused && state.problemCount > 0) {
      const first = state.problems[0][3];
      return ask(`Sada má potíže (${state.problemCount}), hra ji nebude hrát, jak má ` +
                 `(první: ${first}).\nUložit ji přesto?`, true);
    }
    return true;
  }

  function downloadBytes(bytes, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const link = element('a', { href: url, download: name });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 0);
  }

  async function download(which) {
    if (!(await warnedSave())) return;
    const saved = await savedFiles();
    if (!saved) return;
    if (which === 'text') downloadBytes(saved.text, `${setName}.txt`);
    else downloadBytes(saved.compiled, `${setName}.ko`);
    status(`Staženo: ${setName}${which === 'text' ? '.txt' : '.ko'}`);
  }

  const canKeep = () => Boolean(window.ZapwallFiles && window.ZapwallFiles.canKeep());
  const keptPath = (name, extension) => `${SETS_FOLDER}/${name}${extension}`;

  // Keeps the set in the browser, as its text and its levels.ko; resolves with whether it did.
  async function keepInBrowser() {
    if (!canKeep()) {
      await say('Prohlížeč nedovoluje hru ukládat, sadu lze jen stáhnout.');
      return false;
    }
    if (!(await warnedSave())) return false;
    const saved = await savedFiles();
    if (!saved) return false;
    const kept = await window.ZapwallFiles.storeFiles({
      [keptPath(setName, SET_EXTENSION)]: saved.text,
      [keptPath(setName, COMPILED_EXTENSION)]: saved.compiled,
    });
    status(kept ? `Uloženo v prohlížeči: ${setName}` : 'Sadu se nepodařilo uložit do prohlížeče.');
    await showKeptSets();
    await showSetChoice();
    return kept;
  }

  async function keptSets() {
    if (!canKeep()) return [];
    return (await window.ZapwallFiles.storedNames(SETS_FOLDER))
      .filter((name) => name.endsWith(SET_EXTENSION))
      .map((name) => name.slice(0, -SET_EXTENSION.length));
  }

  async function showKeptSets() {
    const names = await keptSets();
    view.kept.replaceChildren(
      element('option', { value: '', textContent: names.length ? 'Uložené sady…' : 'Žádná uložená sada' }),
      ...names.map((name) => element('option', { value: name, textContent: name })));
  }

  async function mayDiscard() {
    return !state.changed || ask('Sada má neuložené změny. Zahodit je?', true);
  }

  // Where the module reads a set file the player knows as `fileName`: under that name, which its
  // reasons for a refusal name.
  function openedPath(fileName) {
    return `/open/${fileName.replace(/[/\\]/g, '_') || 'sada.txt'}`;
  }

  // Opens the bytes of a set file the player knows as `fileName`; says why when it cannot.
  async function openBytes(bytes, fileName, name) {
    const path = openedPath(fileName);
    E.FS.writeFile(path, bytes);
    const problems = text('ze_open', ['string'], [path]);
    E.FS.unlink(path);
    if (problems) {
      await say(`Soubor ${fileName} nelze otevřít:\n${problems}`);
      return;
    }
    setName = name;
    status(`Otevřeno: ${fileName}`);
    refresh();
  }

  async function openKept(name) {
    if (!name || !(await mayDiscard())) return;
    const bytes = await window.ZapwallFiles.storedFile(keptPath(name, SET_EXTENSION));
    await openBytes(bytes, `${name}${SET_EXTENSION}`, name);
  }

  async function openFromDevice(file) {
    if (!file || !(await mayDiscard())) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    const base = file.name.replace(/\.[^.]*$/, '').slice(0, MAX_NAME) || 'sada';
    await openBytes(bytes, file.name, base);
  }

  async function newSet() {
    if (!(await mayDiscard())) return;
    call('ze_new_set');
    setName = 'nova-sada';
    status('Nová sada');
    refresh();
  }

  async function deleteKept() {
    const name = view.kept.value || setName;
    if (!(await keptSets()).includes(name)) {
      await say('Vyberte v seznamu uloženou sadu, kterou chcete smazat.');
      return;
    }
    if (!(await ask(`Smazat sadu ${name} z prohlížeče?`, true))) return;
    const removed = await window.ZapwallFiles.storeFiles({
      [keptPath(name, SET_EXTENSION)]: null, [keptPath(name, COMPILED_EXTENSION)]: null,
    });
    if (removed) status(`Smazáno z prohlížeče: ${name}`);
    await showKeptSets();
  }

  // The test play: the level shown alone in the page's game, with a test player and none of the
  // player's files (page.js), and back here when it ends.
  async function testPlay() {
    const at = call('ze_test_level');
    if (!at) {
      await say(text('ze_test_level_problem'));
      return;
    }
    const bytes = E.HEAPU8.slice(at, at + call('ze_test_level_size'));
    if (!window.zapwallTestPlay) {
      await say('Zkoušku hry tato stránka neumí.');
      return;
    }
    hide();
    window.zapwallTestPlay(bytes, () => {
      show();
      status('Zkouška skončila.');
    });
  }

  // "Hrát sadu": the set as kept, played from the menu in place of the game's own.
  async function playSet() {
    const kept = (await keptSets()).includes(setName);
    if ((state.changed || !kept) &&
        (!(await ask('Hrát se dá jen uložená sada. Uložit ji teď?', true)) || !(await keepInBrowser()))) {
      return;
    }
    hide();
    await window.zapwallPlaySet(setName);
    showSetChoice();
  }

  // The keyboard's cell on the field, as the desktop's: the arrows move it over the cells the field
  // holds whole, Space places the palette's brick there and Backspace removes the brick there.
  const ARROWS = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };

  function moveCursor(dx, dy) {
    const { width, height, cellWidth, cellHeight } = geometry;
    const x = cursor[0] + dx * cellWidth;
    const y = cursor[1] + dy * cellHeight;
    if (x >= 0 && y >= 0 && x + cellWidth <= width && y + cellHeight <= height) cursor = [x, y];
    drawField();
  }

  function strokeAtCursor(name, ...more) {
    call(name, cursor[0] + geometry.cellWidth / 2, cursor[1] + geometry.cellHeight / 2, ...more);
    call('ze_stroke_end');
    refresh();
  }

  function onKey(event) {
    // What is typed into a box (the set's name, the points, a title) is the box's.
    if (event.target.closest('input, select, dialog')) return;
    const ctrl = event.ctrlKey || event.metaKey;
    const key = event.key.toLowerCase();
    const commands = {
      z: () => run(event.shiftKey ? 'ze_redo' : 'ze_undo'),
      y: () => run('ze_redo'),
      c: () => run('ze_copy'),
      v: paste,
      a: () => run('ze_select_all'),
    };
    if (ctrl && commands[key]) {
      event.preventDefault();
      commands[key]();
    } else if (!ctrl && (event.target === view.canvas || !view.root.contains(event.target))) {
      const arrow = ARROWS[event.key];
      if (arrow) moveCursor(...arrow);
      else if (key === ' ') strokeAtCursor('ze_stroke_draw', 0);
      else if (key === 'backspace') strokeAtCursor('ze_stroke_erase');
      else if (key === 'delete') run('ze_delete_selection');
      else if (key === 'd') setTool('draw');
      else if (key === 'g') setTool('erase');
      else if (key === 'v') setTool('select');
      else return;
      event.preventDefault();
    }
  }

  // --- The view ------------------------------------------------------------------------------

  function button(id, label, onclick, title = '') {
    return element('button', { type: 'button', id, textContent: label, onclick, title });
  }

  function sheetCell(sheet, index, size) {
    const cell = element('canvas', { width: geometry.cellWidth, height: geometry.cellHeight });
    cell.getContext('2d').drawImage(sheet, index * geometry.cellWidth, 0, geometry.cellWidth,
      geometry.cellHeight, 0, 0, geometry.cellWidth, geometry.cellHeight);
    cell.style.width = `${geometry.cellWidth * size}px`;
    cell.style.height = `${geometry.cellHeight * size}px`;
    return cell;
  }

  let bonusSheet = null;

  function spriteCanvas(index) {
    const width = call('ze_sprite_width', index);
    const height = call('ze_sprite_height', index);
    const at = call('ze_sprite', index);
    const canvas = element('canvas', { width, height });
    canvas.getContext('2d').putImageData(new ImageData(
      new Uint8ClampedArray(E.HEAPU8.buffer, at, width * height * 4).slice(), width, height), 0, 0);
    return canvas;
  }

  function buildPalette() {
    const brickSheet = spriteCanvas(BRICK_SHEET);
    bonusSheet = spriteCanvas(BONUS_SHEET);
    brickCells = [];
    for (let i = 0; i < geometry.pictures; ++i) {
      const cell = element('button', { type: 'button', className: 'editor-cell', title: `obrázek ${i}`,
        onclick: () => choosePalette(i) }, [sheetCell(brickSheet, i, 2)]);
      cell.dataset.picture = String(i);
      brickCells.push(cell);
    }
    const bonusName = (bonus) => text('ze_bonus_name', ['number'], [bonus]);
    bonusCells = [element('button', { type: 'button', className: 'editor-cell none', title: bonusName(0),
      textContent: bonusName(0), onclick: () => choosePalette(undefined, undefined, 0) })];
    for (let i = 1; i <= geometry.bonuses; ++i) {
      const cell = element('button', { type: 'button', className: 'editor-cell',
        title: bonusName(i), onclick: () => choosePalette(undefined, undefined, i) },
      [sheetCell(bonusSheet, i - 1, 2)]);
      bonusCells.push(cell);
    }
    bonusCells.forEach((cell, i) => { cell.dataset.bonus = String(i); });
    view.type = element('select', { id: 'editor-type',
      onchange: () => choosePalette(undefined, Number(view.type.value)) },
    Array.from({ length: geometry.steel + 1 }, (_, i) =>
      element('option', { value: String(i), textContent: text('ze_type_name', ['number'], [i]) })));
    view.points = element('input', { id: 'editor-points', type: 'number', min: 0, max: 32767,
      inputMode: 'numeric',
      onchange: () => {
        const points = Math.max(0, Math.min(32767, Math.round(Number(view.points.value)) || 0));
        choosePalette(undefined, undefined, undefined, points);
      } });
    view.bonuses = element('div', { className: 'editor-cells' }, bonusCells);
    view.apply = button('editor-apply', 'Použít na výběr', () => run('ze_apply_palette'));
    return element('div', { className: 'editor-palette' }, [
      element('h3', { textContent: 'Cihla' }),
      element('div', { className: 'editor-cells' }, brickCells),
      element('label', {}, ['Druh: ', view.type]),
      element('label', {}, ['Body: ', view.points]),
      element('h3', { textContent: 'Bonus' }),
      view.bonuses,
      view.apply,
    ]);
  }

  function build() {
    const { width, height } = geometry;
    view = {};
    view.canvas = element('canvas', { id: 'editor-field', width, height, tabIndex: 0 });
    view.canvas.setAttribute('aria-label', 'Hrací plocha úrovně');
    view.box = element('dialog', { id: 'editor-box', className: 'page-tool-box' });
    view.title = element('span', { className: 'editor-title' });
    view.status = element('span', { id: 'editor-status', role: 'status' });
    view.name = element('input', { id: 'editor-name', type: 'text', maxLength: MAX_NAME,
      spellcheck: false, autocomplete: 'off',
      onchange: () => { setName = view.name.value.trim(); refresh(); } });
    view.kept = element('select', { id: 'editor-kept', onchange: () => openKept(view.kept.value) });
    const fileInput = element('input', { type: 'file', id: 'editor-file', accept: '.txt,.ko,text/plain',
      hidden: true, onchange: () => { openFromDevice(fileInput.files[0]); fileInput.value = ''; } });
    view.tools = {
      draw: button('editor-tool-draw', 'Kreslit', () => setTool('draw'),
        'Klade cihlu palety (D); pravé tlačítko maže, prst držený na místě maže'),
      erase: button('editor-tool-erase', 'Guma', () => setTool('erase'), 'Maže cihly (G)'),
      select: button('editor-tool-select', 'Vybírat', () => setTool('select'),
        'Vybírá cihly; tažením výběr přesouvá (V)'),
    };
    view.undo = button('editor-undo', 'Zpět', () => run('ze_undo'));
    view.redo = button('editor-redo', 'Znovu', () => run('ze_redo'));
    view.copy = button('editor-copy', 'Kopírovat', () => run('ze_copy'), 'Ctrl+C');
    view.paste = button('editor-paste', 'Vložit', paste,
      'Vloží zkopírované cihly na místo, kde byl naposledy ukazatel nebo prst (Ctrl+V)');
    view.remove = button('editor-delete', 'Smazat', () => run('ze_delete_selection'), 'Delete');
    const all = button('editor-select-all', 'Vše', () => run('ze_select_all'), 'Ctrl+A');
    view.levels = element('ol', { id: 'editor-levels', role: 'listbox' });
    view.levels.addEventListener('click', (event) => {
      const line = event.target.closest('li');
      if (line) run('ze_select_level', Number(line.dataset.level));
    });
    view.levels.addEventListener('dblclick', renameLevel);
    // A level dragged in the list by the mouse goes where it is dropped (a finger has Nahoru and
    // Dolů: on a finger, the list scrolls).
    view.levels.addEventListener('dragstart', (event) => {
      event.dataTransfer.setData('text/plain', event.target.closest('li').dataset.level);
    });
    view.levels.addEventListener('dragover', (event) => event.preventDefault());
    view.levels.addEventListener('drop', (event) => {
      const line = event.target.closest('li');
      const from = event.dataTransfer.getData('text/plain');
      event.preventDefault();
      if (line && from !== '') run('ze_move_level', Number(from), Number(line.dataset.level));
    });
    view.levelUp = button('editor-level-up', 'Nahoru', () => run('ze_move_level', state.current, state.current - 1));
    view.levelDown = button('editor-level-down', 'Dolů', () => run('ze_move_level', state.current, state.current + 1));
    view.levelDelete = button('editor-level-delete', 'Smazat', deleteLevel);
    view.problemsTitle = element('h3', {});
    view.problems = element('ul', { id: 'editor-problems' });
    view.problems.addEventListener('click', (event) => {
      const line = event.target.closest('li');
      if (!line || !line.dataset.level || Number(line.dataset.level) < 1) return;
      call('ze_select_level', Number(line.dataset.level) - 1);
      const brick = Number(line.dataset.brick);
      if (brick >= 0) {
        const [x, y] = JSON.parse(text('ze_state')).bricks[brick];
        call('ze_select_at', x, y, 0);
      }
      refresh();
    });

    view.root = element('section', { id: 'editor', lang: 'cs', tabIndex: -1 }, [
      element('header', { className: 'editor-bar' }, [
        view.title,
        element('span', { className: 'editor-group' }, [
          button('editor-new', 'Nová', newSet),
          view.kept,
          button('editor-open', 'Ze zařízení…', () => fileInput.click(),
            'Otevřít text sady nebo levels.ko ze zařízení'),
          fileInput,
          element('label', {}, ['Sada: ', view.name]),
          button('editor-keep', 'Uložit', keepInBrowser, 'Uložit sadu v tomto prohlížeči'),
          button('editor-forget', 'Smazat sadu', deleteKept, 'Smazat uloženou sadu z prohlížeče'),
          button('editor-download-text', 'Stáhnout text', () => download('text')),
          button('editor-download-ko', 'Stáhnout levels.ko', () => download('compiled')),
        ]),
        element('span', { className: 'editor-group' }, [
          button('editor-play', 'Hrát', testPlay, 'Zahrát si tuto úroveň se zkušebním hráčem'),
          button('editor-play-set', 'Hrát sadu', playSet,
            'Hrát uloženou sadu z nabídky hry, s jejími vlastními hráči a síní slávy'),
          button('editor-close', 'Zavřít', hide, 'Zpět do hry; sada zůstane, jak je'),
        ]),
      ]),
      element('nav', { className: 'editor-tools' }, [
        ...Object.values(view.tools), view.undo, view.redo, all, view.copy, view.paste, view.remove,
      ]),
      element('div', { className: 'editor-levels' }, [
        element('h3', { textContent: 'Úrovně' }),
        view.levels,
        element('div', { className: 'editor-level-buttons' }, [
          button('editor-level-add', 'Přidat', () => run('ze_add_level')),
          button('editor-level-duplicate', 'Zdvojit', () => run('ze_duplicate_level')),
          view.levelDelete,
          button('editor-level-rename', 'Název…', renameLevel),
          view.levelUp, view.levelDown,
        ]),
      ]),
      element('div', { className: 'editor-field' }, [view.canvas]),
      buildPalette(),
      element('div', { className: 'editor-problems' }, [view.problemsTitle, view.problems, view.status]),
      view.box,
    ]);
    keepKeysIn(view.root);
    // A finger's tap on a button acts as the finger lifts: the browser may take a tap that comes
    // soon after a gesture on the field for a part of it and give the button no click.
    view.root.addEventListener('touchend', (event) => {
      const pressed = event.target.closest('button');
      if (!pressed || pressed.disabled || event.changedTouches.length !== 1) return;
      const touch = event.changedTouches[0];
      if (document.elementFromPoint(touch.clientX, touch.clientY)?.closest('button') !== pressed) return;
      event.preventDefault();
      pressed.click();
    });
    view.root.addEventListener('keydown', onKey);
    // Keys while nothing of the editor has the focus (a button that went off as it was pressed)
    // are the editor's too, not the game's behind it.
    addEventListener('keydown', (event) => {
      if (view.root.hidden || view.root.contains(event.target)) return;
      event.stopPropagation();
      onKey(event);
    }, true);
    document.body.append(view.root);
    bindField();
    for (const kind of ['focus', 'blur']) view.canvas.addEventListener(kind, drawField);
    setTool('draw');
    addEventListener('resize', fit);
  }

  // The field at its real size times the page's factor (that of the game's windows), or smaller
  // where its place is smaller.
  function fit() {
    if (!view || view.root.hidden) return;
    const transform = /scale\(([\d.]+)\)/.exec(document.getElementById('stage').style.transform);
    const pageFactor = transform ? Number(transform[1]) : 1;
    const room = view.canvas.parentElement.getBoundingClientRect();
    // Held upright, the editor scrolls: only the width bounds the field (editor.css).
    const height = UPRIGHT.matches ? Infinity : room.height / geometry.height;
    const factor = Math.min(pageFactor, room.width / geometry.width, height);
    view.canvas.style.width = `${geometry.width * factor}px`;
    view.canvas.style.height = `${geometry.height * factor}px`;
  }

  // A page left with changes that are nowhere kept asks first, as a desktop editor does.
  addEventListener('beforeunload', (event) => {
    if (state && state.changed) event.preventDefault();
  });

  // --- Opening and closing -------------------------------------------------------------------

  async function open() {
    openButton.disabled = true;
    try {
      E = await module();
    } catch (error) {
      openButton.disabled = false;
      alertProblem(`Editor se nepodařilo načíst (${error.message}).`);
      return;
    }
    if (!view) {
      geometry = {
        width: call('ze_number', 0), height: call('ze_number', 1),
        cellWidth: call('ze_number', 2), cellHeight: call('ze_number', 3),
        pictures: call('ze_number', 4), bonuses: call('ze_number', 5), steel: call('ze_number', 6),
      };
      build();
    }
    openButton.disabled = false;
    refresh();
    showKeptSets();
    show();
  }

  // The set stays as it is while the page lives: the editor opened again shows it.
  function hide() {
    view.root.hidden = true;
    document.documentElement.classList.remove('in-editor');
  }

  function show() {
    view.root.hidden = false;
    document.documentElement.classList.add('in-editor');
    fit();
    view.canvas.focus();
  }

  function alertProblem(message) {
    const note = document.getElementById('page-note');
    note.textContent = message;
    note.hidden = false;
  }

  // The set the menu plays: the game's own, one the editor kept or one kept from a link
  // (set_link.js), by its title.
  const setChoice = element('select', {
    id: 'zapwall-set-choice', className: 'page-tool-button',
    onchange: () => window.zapwallPlaySet(setChoice.value).then(showSetChoice),
  });

  async function showSetChoice() {
    const names = await keptSets();
    const linked = window.ZapwallSetLink ? await window.ZapwallSetLink.keptSets() : [];
    const played = window.zapwallPlayedSet ? window.zapwallPlayedSet() : '';
    setChoice.replaceChildren(element('option', { value: '', textContent: 'Sada hry' }),
      ...names.map((name) => element('option', { value: name, textContent: `Sada ${name}` })),
      ...linked.map(({ key, title }) => element('option', { value: key, textContent: `Sada ${title}` })));
    setChoice.value = played;
  }
  setChoice.addEventListener('focus', showSetChoice);
  outsideGames(setChoice, { on: 'Kterou sadu úrovní hrát' });

  const openButton = element('button', {
    type: 'button', id: 'zapwall-editor-button', className: 'page-tool-button',
    textContent: 'Editor úrovní', onclick: open,
  });
  outsideGames(openButton, { on: 'Vytvářet a upravovat vlastní sady úrovní' });
  const slot = document.getElementById('zapwall-files-slot');
  (slot || document.body).append(openButton, setChoice);
  showSetChoice();

  // The editor's module, loaded once.
  function module() {
    if (!loading) {
      loading = loadModule();
      loading.catch(() => { loading = null; });
    }
    return loading;
  }

  // A set file brought in with the player's files ("Soubory", files.js), as the editor keeps it:
  // { problem } (in Czech, the game's reasons for a set it would refuse) or { files }, the
  // kept set's paths below the player's folder and their bytes.
  async function keptFromFile(fileName, bytes) {
    let editor;
    try {
      editor = await module();
    } catch (error) {
      return { problem: `${fileName}: editor se nepodařilo načíst (${error.message})` };
    }
    const name = fileName.replace(/\.[^.]*$/, '');
    const problem = nameProblem(name);
    if (problem) return { problem: `${fileName}: ${problem}` };
    // Under its own name, which the reasons name.
    const paths = [openedPath(fileName), `/import/set${SET_EXTENSION}`, `/import/set${COMPILED_EXTENSION}`];
    editor.FS.writeFile(paths[0], bytes);
    try {
      const refused = editor.ccall('ze_convert', 'string', ['string', 'string', 'string'], paths);
      // Each reason names the file: the game's check of a level file names it as the game reads
      // it, levels.ko.
      const named = (line) => (line.startsWith(`${fileName}:`) ? line
        : `${fileName}: ${line.replace(/^levels\.ko: /, '')}`);
      if (refused) return { problem: refused.split('\n').map(named).join('; ') };
      return { files: {
        [keptPath(name, SET_EXTENSION)]: editor.FS.readFile(paths[1]),
        [keptPath(name, COMPILED_EXTENSION)]: editor.FS.readFile(paths[2]),
      } };
    } finally {
      for (const path of paths) if (editor.FS.analyzePath(path).exists) editor.FS.unlink(path);
    }
  }

  // `state()` is what the module last said the editor shows (ze_state), for the page's tests;
  // `setsChanged()` shows the kept sets anew in the menu's choice.
  return { open, keptFromFile, setsChanged: showSetChoice, state: () => state };
})();
