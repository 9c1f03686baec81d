// SPDX-License-Identifier: GPL-3.0-or-later
// The page of the browser edition: the game's three windows as the desktop shows them, driven by
// the page's module (browser/app). Every rule lives in the module: this script shows what it says
// (Module.zwPage below is called from C++), forwards the player's keys and clicks to it, keeps the
// module's timers (the game loop, a watched replay's schedule) and queues the boxes the rules
// open, which a browser cannot wait for. The calls each way are declared in
// browser/app/page_exports.cpp and browser/app/page_window_port.cpp.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);

  // The windows' design and the rules' limits, as the build wrote them (page_design.js).
  const { numbers, files, hallRows, buttons } = window.ZapwallDesign;
  // The rules' key codes of the five game keys.
  const KEY_P = numbers['key-p'];
  const GAME_KEYS = {
    Escape: numbers['key-escape'], ' ': numbers['key-space'], ArrowUp: numbers['key-up'],
    ArrowDown: numbers['key-down'], p: KEY_P, P: KEY_P,
  };
  const ARROWS = new Set([numbers['key-up'], numbers['key-down']]);
  const DATA_FOLDER = files['data-folder'];
  const WATCHED_FILE = `/tmp/watched${files['replay-extension']}`;
  const HALL_ROWS = numbers['hall-rows'];
  const HALL_STEP_MILLIS = numbers['hall-step-millis'];
  // The speed bar: arrows and a press on an arrow move it by a step, Page keys and a press beside
  // the thumb by a page step; a held press repeats.
  const TICK_MIN = numbers['tick-min'];
  const TICK_MAX = numbers['tick-max'];
  const TICK_ARROW_STEP = numbers['tick-arrow-step'];
  const TICK_PAGE_STEP = numbers['tick-page-step'];
  const REPEAT_DELAY_MILLIS = 300;
  const REPEAT_MILLIS = 50;

  // A finger held this long on the player list asks to delete the player under it.
  const LONG_PRESS_MILLIS = 600;
  const LONG_PRESS_SLACK = 10;  // CSS pixels a held finger may wander
  const FIELD_COLUMNS = numbers['field-width'];
  const FIELD_ROWS = numbers['field-height'];
  // The folders of the kept sets' own players, hall of fame and replays (the editor's sets and
  // those from links, set_link.js), as the desktop's `zapwall --levels` keeps them in sets/ of
  // the player's folder.
  const SET_FOLDERS = 'sets';
  // The player of a test play, as the desktop editor names its own.
  const TEST_PLAYER = 'Zkouška';

  // Opened as a file from the disk, the page cannot load its module (a browser fetches nothing
  // from file://): it says how to open it instead of staying blank.
  if (location.protocol === 'file:') {
    note('Hru je třeba otevřít ze serveru, ne jako soubor z disku: ve složce hry spusťte ./web ' +
         'a otevřete http://127.0.0.1:8080/ (nebo ve složce s touto stránkou spusťte ' +
         'python3 -m http.server a otevřete http://127.0.0.1:8000/).');
    return;
  }

  const stageHtml = $('stage').innerHTML;
  const audio = makeZapwallAudio();
  const fit = makeZapwallFit();

  let M = null;          // the module of the program running now
  let mode = 'play';     // 'play', 'watch' or 'test' (the level editor's test play)
  let afterTest = null;  // what a test play returns to when it ends: { back, run }
  let playedSet = '';    // the level set the player's program plays, '' the game's own
  let playedServer = '';  // the hall server that set came from, '' for the setting's
  let ended = false;     // the program has ended
  let endPending = false;
  let endShown = false;
  let scale = 1;
  let paused = false;    // the game shows its paused sign
  let loopTimer = null;
  let loopDue = 0;       // when the timer's call is due, by performance.now()
  let replayTimer = null;
  let hallTimer = null;
  const modals = [];     // boxes waiting to be shown, after `shownModal`
  let shownModal = null;
  let backgroundWanted = false;  // the game screen's picture changed since it was last put
  let backgroundFrame = null;    // the display frame that puts it on its canvas
  let fieldImage = null;       // an ImageData over the module's copy of the field
  let fieldFrame = null;       // the display frame the field asked for
  const held = new Set();  // the arrow keys held down
  const immediate = new MessageChannel();
  let immediateWanted = false;

  // --- The module's calls -------------------------------------------------------------------

  function text(id, value) {
    $(id).textContent = value;
  }

  // A text narrowed to fit its label, as the desktop narrows names, never cut off.
  function fitText(element, value) {
    const squeezed = document.createElement('span');
    squeezed.className = 'squeezed';
    squeezed.textContent = value;
    element.replaceChildren(squeezed);
    const style = getComputedStyle(element);
    const room = element.clientWidth - parseFloat(style.paddingLeft) -
                 parseFloat(style.paddingRight) - 1;
    const width = squeezed.offsetWidth;
    if (width > room && room > 0) squeezed.style.transform = `scaleX(${room / width})`;
  }

  // The game screen's picture goes on its canvas with a display frame of the game screen, which
  // the menu's first picture does not wait for: the canvas's first drawing costs the most. The
  // module makes the canvas's bytes of the picture then.
  function askBackgroundFrame() {
    backgroundWanted = true;
    if (shown('game') && backgroundFrame === null) {
      backgroundFrame = requestAnimationFrame(showBackgroundFrame);
    }
  }

  function showBackgroundFrame() {
    backgroundFrame = null;
    backgroundWanted = false;
    if (M && !ended) M._zw_show_background();
  }

  // Puts the picture, `rgba` in the module's memory, on the background's canvas.
  function putBackground(rgba, width, height) {
    const picture = new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
                                  width, height);
    $('background').getContext('2d', { alpha: false }).putImageData(picture, 0, 0);
  }

  // The field is shown once per display frame, whatever the steps in between: the module puts
  // the latest picture's changed rectangles then.
  function askFieldFrame() {
    if (fieldFrame === null) fieldFrame = requestAnimationFrame(showFieldFrame);
  }

  // A call of the loop due by the display frame is made before the frame rather than after the
  // browser's work on it, which on a slow phone would hold the timer up past the next step.
  function showFieldFrame() {
    fieldFrame = null;
    if (loopTimer !== null && performance.now() >= loopDue) {
      clearTimeout(loopTimer);
      runLoop();
    }
    if (M && !ended) M._zw_show_field();
  }

  // Puts the rectangles (left, top, width, height each) of the module's field, `rgba` in the
  // module's memory, on the field's canvas: no copy but the canvas's own of those pixels. The
  // canvas is opaque and drawn past the page's frame timing (desynchronized), which costs the
  // browser a seventh less (bench/README.md).
  function putField(rgba, width, height, rects) {
    if (!fieldImage || fieldImage.data.buffer !== rgba.buffer ||
        fieldImage.data.byteOffset !== rgba.byteOffset || fieldImage.width !== width) {
      fieldImage = new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
                                 width, height);
    }
    const context = $('field').getContext('2d', { alpha: false, desynchronized: true });
    for (let i = 0; i < rects.length; i += 4) {
      context.putImageData(fieldImage, 0, 0, rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
    }
  }

  // A call asked for at once comes through a message, which no timer clamping delays; a call
  // cancelled or replaced meanwhile does not come.
  immediate.port1.onmessage = () => {
    if (!immediateWanted) return;
    immediateWanted = false;
    runLoop();
  };

  function runLoop() {
    loopTimer = null;
    if (M && !ended) M._zw_run_loop();
  }

  // The game loop asks for its next call: after `delay` ms, at once (0, after the events
  // waiting), or never (negative).
  function scheduleLoop(delay) {
    if (loopTimer !== null) clearTimeout(loopTimer);
    loopTimer = null;
    immediateWanted = false;
    if (delay < 0) return;
    if (delay === 0) {
      immediateWanted = true;
      immediate.port2.postMessage(0);
      return;
    }
    // Rounded up: waking early would only make the loop ask again.
    loopTimer = setTimeout(runLoop, Math.ceil(delay));
    loopDue = performance.now() + delay;
  }

  function armReplayTimer(delay) {
    if (replayTimer !== null) clearTimeout(replayTimer);
    replayTimer = null;
    if (delay < 0) return;
    replayTimer = setTimeout(() => {
      replayTimer = null;
      if (M && !ended) M._zw_replay_timer();
    }, delay);
  }

  const pageApi = {
    setLabel(label, index, value) {
      if (label === 1 && index === 3) fitText($('label1-3'), value);
      else text(`label${label}-${index}`, value);
    },
    setLabel3Visible(index, visible) {
      $(`label3-${index}`).hidden = !visible;
    },
    showMessage(message, title, question) {
      openModal({ kind: 'message', message, title, question, fromRules: true });
    },
    showHallOfFame() {
      openModal({ kind: 'hall', fromRules: true });
    },
    // The hall's rows are written when it is shown, and while it is.
    hallOfFameChanged() {
      if (shownModal && shownModal.kind === 'hall') showHallRows();
    },
    askBackgroundFrame,
    putBackground,
    askFieldFrame,
    putField,
    showPaused(now) {
      paused = now;
      $('paused-sign').hidden = !paused;
      listenForPads();
    },
    appendPlayerLine(name) {
      const option = document.createElement('option');
      option.textContent = name;
      $('player-list').append(option);
    },
    removePlayerLine(index) {
      const list = $('player-list');
      if (index >= 0 && index < list.options.length) list.options[index].remove();
    },
    scheduleLoop,
    armReplayTimer,
    setGameCaption(caption) {
      text('game-caption', caption);
    },
    end(status) {
      ended = true;
      endPending = true;
      if (mode === 'test') {
        scheduleLoop(-1);
        armReplayTimer(-1);
        if (!shownModal) endTest();
        return;
      }
      scheduleLoop(-1);
      armReplayTimer(-1);
      note('');
      listenForPads();
      if (!shownModal) showEnd();
    },
    filesChanged() {
      if (window.ZapwallFiles && mode === 'play') window.ZapwallFiles.persist();
    },
  };

  // --- Windows ------------------------------------------------------------------------------

  function shown(id) {
    return !$(id).hidden;
  }

  // Scales and places the stage (page_fit.js). While the phone's keyboard is up for the name
  // box, the page keeps its size, so the box does not move away under it.
  function layout() {
    if (document.activeElement === $('name-box') && $('stage').style.transform) return;
    scale = fit.place();
  }

  function showWindow(id) {
    $('loading-sign').hidden = true;
    for (const name of ['menu', 'game']) $(name).hidden = name !== id;
    layout();
    listenForPads();
    if (id === 'game' && backgroundWanted) askBackgroundFrame();
    if (id === 'game') $('field').focus();
    if (id === 'menu') $('player-list').focus();
  }

  function note(message) {
    if (message) $('loading-sign').hidden = true;
    $('page-note').textContent = message;
    $('page-note').hidden = !message;
  }

  // A test play that ended gives the page back to the player's own game, and the editor gets the
  // screen again.
  async function endTest() {
    endShown = true;
    const { back, run } = afterTest;
    afterTest = null;
    await boot(run);
    back();
  }

  function showEnd() {
    if (mode === 'test') {
      endTest();
      return;
    }
    endShown = true;
    for (const name of ['menu', 'game', 'hall', 'message']) $(name).hidden = true;
    text('end-text', mode === 'watch' ? 'Záznam hry skončil.' : 'Hra skončila.');
    text('end-again', mode === 'watch' ? 'Hrát' : 'Hrát znovu');
    $('end').hidden = false;
    layout();
    $('end-again').focus();
    // A game played to its end may go to the hall server, if the player wants (hall_send.js).
    if (mode === 'play' && window.ZapwallHall) window.ZapwallHall.offer(M, true, playedServer);
  }

  // --- Boxes: message boxes and the hall of fame --------------------------------------------

  function openModal(modal) {
    modals.push(modal);
    if (!shownModal) showNextModal();
  }

  function showNextModal() {
    shownModal = modals.shift() || null;
    // The window under a box takes no input until the box is closed.
    for (const name of ['menu', 'game']) $(name).inert = shownModal !== null;
    $('message').hidden = true;
    if (!shownModal) {
      $('hall').hidden = true;
      if (endPending && !endShown) showEnd();
      else if (shown('game')) $('field').focus();
      layout();
      return;
    }
    if (shownModal.kind === 'message') {
      text('message-title', shownModal.title);
      text('message-text', shownModal.message);
      $('message-ok').hidden = shownModal.question;
      $('message-yes').hidden = !shownModal.question;
      $('message-no').hidden = !shownModal.question;
      $('message').hidden = false;
      layout();
      (shownModal.question ? $('message-yes') : $('message-ok')).focus();
    } else {
      showHallRows();
      $('hall').hidden = false;
      layout();
      hallTimer = setInterval(() => {
        if (!M) return;
        M._zw_hall_step();
        showHallColours();
      }, HALL_STEP_MILLIS);
    }
  }

  function closeModal(answer) {
    const modal = shownModal;
    if (!modal) return;
    if (modal.kind === 'hall') {
      clearInterval(hallTimer);
      hallTimer = null;
      $('hall').hidden = true;
    }
    if (modal.onClose) modal.onClose(answer);
    if (modal.fromRules && M) M._zw_modal_closed(answer ? 1 : 0);
    showNextModal();
  }

  // --- The hall of fame ---------------------------------------------------------------------

  function hallCell(group, className, [left, top, width, height]) {
    const cell = document.createElement('div');
    cell.className = className;
    Object.assign(cell.style, { left: `${left}px`, top: `${top}px`, width: `${width}px`,
                                height: `${height}px` });
    group.append(cell);
    return cell;
  }

  // Each row's cells are a group, which only the touch layout shows as a row of its own.
  function buildHall() {
    hallRows.forEach((row, i) => {
      const group = document.createElement('div');
      group.className = 'group';
      $('hall-client').append(group);
      hallCell(group, 'label big hall-rank', row.rank).textContent = `${i + 1}.`;
      hallCell(group, 'label big hall-cell', row.name).id = `hall-name-${i}`;
      hallCell(group, 'label big centred hall-cell', row.score).id = `hall-score-${i}`;
    });
  }

  function colour(rgb) {
    return `#${rgb.toString(16).padStart(6, '0')}`;
  }

  function showHallColours() {
    for (let i = 0; i < HALL_ROWS; ++i) {
      const rowColour = colour(M._zw_hall_colour(i));
      $(`hall-name-${i}`).style.color = rowColour;
      $(`hall-score-${i}`).style.color = rowColour;
    }
  }

  function showHallRows() {
    if (!M) return;
    const wasHidden = $('hall').hidden;
    // Measuring the names needs the window laid out.
    $('hall').hidden = false;
    for (let i = 0; i < HALL_ROWS; ++i) {
      fitText($(`hall-name-${i}`), M.ccall('zw_hall_name', 'string', ['number'], [i]));
      fitText($(`hall-score-${i}`), String(M._zw_hall_score(i)));
    }
    $('hall').hidden = wasHidden;
    showHallColours();
  }

  // --- The menu -----------------------------------------------------------------------------

  function menuText(which) {
    return M.ccall('zw_menu_text', 'string', ['number'], [which]);
  }

  function showMenu() {
    fitText($('player-name'), menuText(0));
    text('stat-level', menuText(1));
    text('stat-balls', menuText(2));
    text('stat-iq', menuText(3));
    text('tick-label', menuText(4));
    for (let n = 0; n < 3; ++n) {
      $(`menu-frame-${n}`).style.borderColor = colour(M._zw_menu_frame_colour(n));
    }
    const selected = M._zw_menu_selected();
    const list = $('player-list');
    if (list.selectedIndex !== selected) list.selectedIndex = selected;
    $('tick-bar').setAttribute('aria-valuenow', String(M._zw_menu_tick()));
    placeTickThumb();
  }

  // The speed bar's thumb where the bar's value puts it on its track.
  function placeTickThumb() {
    const bar = $('tick-bar');
    const tick = Number(bar.getAttribute('aria-valuenow'));
    const track = bar.querySelector('.track');
    const thumb = bar.querySelector('.thumb');
    const travel = track.clientWidth - thumb.offsetWidth;
    thumb.style.left = `${Math.round((travel * (tick - TICK_MIN)) / (TICK_MAX - TICK_MIN))}px`;
  }

  function setTick(value) {
    M._zw_menu_set_tick(Math.round(value));
    showMenu();
  }

  function runCommand(command) {
    if (command === 0) {
      if (!soundsSettled) startWhenLoaded();
      else if (M._zw_menu_start()) showWindow('game');
    } else if (command === 1) {
      openModal({ kind: 'hall', fromRules: false });
    } else {
      M._zw_menu_close();
    }
  }

  // Calls `onMove` with each move of the pointer pressed in `event` (mouse or finger) and
  // `onEnd` when it is let go.
  function follow(event, onMove, onEnd) {
    const element = event.currentTarget;
    element.setPointerCapture(event.pointerId);
    const end = () => {
      element.removeEventListener('pointermove', onMove);
      element.removeEventListener('pointerup', end);
      element.removeEventListener('pointercancel', end);
      onEnd();
    };
    element.addEventListener('pointermove', onMove);
    element.addEventListener('pointerup', end);
    element.addEventListener('pointercancel', end);
  }

  // Holds down a press on the speed bar: `step` now and, while held, again and again.
  function holdStep(event, step) {
    setTick(M._zw_menu_tick() + step());
    let repeat = null;
    const delay = setTimeout(() => {
      repeat = setInterval(() => setTick(M._zw_menu_tick() + step()), REPEAT_MILLIS);
    }, REPEAT_DELAY_MILLIS);
    follow(event, () => {}, () => {
      clearTimeout(delay);
      clearInterval(repeat);
    });
  }

  function bindTickBar() {
    const bar = $('tick-bar');
    const track = bar.querySelector('.track');
    const thumb = bar.querySelector('.thumb');
    bar.querySelector('.arrow.left').addEventListener('pointerdown', (event) =>
      holdStep(event, () => -TICK_ARROW_STEP));
    bar.querySelector('.arrow.right').addEventListener('pointerdown', (event) =>
      holdStep(event, () => TICK_ARROW_STEP));
    track.addEventListener('pointerdown', (event) => {
      if (event.target === thumb) return;
      const x = (event.clientX - track.getBoundingClientRect().left) / scale;
      // A press beside the thumb pages towards the press, while the thumb has not reached it.
      holdStep(event, () => {
        const at = thumb.offsetLeft + thumb.offsetWidth / 2;
        if (Math.abs(x - at) <= thumb.offsetWidth / 2) return 0;
        return x < at ? -TICK_PAGE_STEP : TICK_PAGE_STEP;
      });
    });
    thumb.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      bar.focus();
      const startX = event.clientX;
      const startLeft = thumb.offsetLeft;
      const travel = track.clientWidth - thumb.offsetWidth;
      follow(event, (moved) => {
        const left = Math.min(travel, Math.max(0, startLeft + (moved.clientX - startX) / scale));
        setTick(TICK_MIN + ((TICK_MAX - TICK_MIN) * left) / travel);
      }, () => {});
    });
    bar.addEventListener('pointerdown', () => setTimeout(() => bar.focus()));
    // The keys of the platform's scroll bars: Right and Down add, Left and Up take away.
    const keySteps = {
      ArrowRight: TICK_ARROW_STEP, ArrowDown: TICK_ARROW_STEP, ArrowLeft: -TICK_ARROW_STEP,
      ArrowUp: -TICK_ARROW_STEP, PageDown: TICK_PAGE_STEP, PageUp: -TICK_PAGE_STEP,
    };
    bar.addEventListener('keydown', (event) => {
      if (event.key in keySteps) setTick(M._zw_menu_tick() + keySteps[event.key]);
      else if (event.key === 'Home') setTick(TICK_MIN);
      else if (event.key === 'End') setTick(TICK_MAX);
      else return;
      event.preventDefault();
    });
  }

  function askDelete() {
    const question = M.ccall('zw_menu_delete_question', 'string', [], []);
    if (!question) return;
    openModal({
      kind: 'message', message: question, title: 'POZOR!', question: true, fromRules: false,
      onClose: (yes) => {
        if (yes) M._zw_menu_delete();
        showMenu();
        $('player-list').focus();
      },
    });
  }

  // A finger held still on a line of the player list chooses that player and asks to delete it.
  function bindLongPress(list) {
    list.addEventListener('pointerdown', (event) => {
      if (event.pointerType === 'mouse') return;
      const row = [...list.options].findIndex((option) => {
        const box = option.getBoundingClientRect();
        return event.clientY >= box.top && event.clientY < box.bottom;
      });
      if (row < 0) return;
      const timer = setTimeout(() => {
        list.selectedIndex = row;
        M._zw_menu_select(row);
        showMenu();
        askDelete();
      }, LONG_PRESS_MILLIS);
      const moved = (next) => {
        if (Math.hypot(next.clientX - event.clientX, next.clientY - event.clientY) >
            LONG_PRESS_SLACK) end();
      };
      const end = () => {
        clearTimeout(timer);
        list.removeEventListener('pointermove', moved);
        list.removeEventListener('pointerup', end);
        list.removeEventListener('pointercancel', end);
      };
      list.addEventListener('pointermove', moved);
      list.addEventListener('pointerup', end);
      list.addEventListener('pointercancel', end);
    });
    list.addEventListener('contextmenu', (event) => event.preventDefault());
  }

  // Only names players.ko can store: every character must have a Windows-1250 code.
  function storable(name) {
    return [...name].every((c) => M._zw_storable_character(c.codePointAt(0)));
  }

  function bindMenu() {
    const list = $('player-list');
    list.addEventListener('change', () => {
      M._zw_menu_select(list.selectedIndex);
      showMenu();
    });
    list.addEventListener('keydown', (event) => {
      if (event.key === 'Delete') {
        event.preventDefault();
        askDelete();
      } else if ((event.key === 'ArrowDown' || event.key === 'ArrowUp') &&
                 list.selectedIndex < 0 && list.options.length > 0) {
        // With no line selected, the first arrow key selects the first line.
        event.preventDefault();
        list.selectedIndex = 0;
        M._zw_menu_select(0);
        showMenu();
      }
    });
    const box = $('name-box');
    let accepted = '';
    box.addEventListener('input', () => {
      if (storable(box.value)) {
        accepted = box.value;
      } else {
        const caret = Math.max(0, box.selectionStart - (box.value.length - accepted.length));
        box.value = accepted;
        box.setSelectionRange(caret, caret);
      }
    });
    // Enter, and a phone keyboard's "Go", submit the box's form; the box then gives up the
    // focus, so that a phone's keyboard goes down and the menu is seen whole again.
    $('name-form').addEventListener('submit', (event) => {
      event.preventDefault();
      M.ccall('zw_menu_create', null, ['string'], [box.value]);
      box.value = accepted = '';
      box.blur();
      showMenu();
    });
    box.addEventListener('blur', layout);
    bindLongPress(list);
    $('delete-player').addEventListener('click', askDelete);
    $('stat-level').addEventListener('mousedown', (event) => {
      if (M._zw_menu_edit_level(event.button)) showMenu();
    });
    $('stat-level').addEventListener('contextmenu', (event) => event.preventDefault());
    let namePressed = false;
    $('player-name').addEventListener('mousedown', (event) => {
      namePressed = event.button === 0;
    });
    $('player-name').addEventListener('mouseup', (event) => {
      if (event.button === 0 && namePressed) M._zw_menu_click_name();
      namePressed = false;
    });
    $('sound-switch').addEventListener('change', () => {
      M._zw_menu_set_sound($('sound-switch').checked ? 1 : 0);
    });
    for (const item of document.querySelectorAll('#menu .command')) {
      const command = Number(item.dataset.command);
      item.addEventListener('mousedown', (event) => {
        event.preventDefault();
        runCommand(command);
      });
      item.addEventListener('mousemove', () => {
        M._zw_menu_hover(command);
        showMenu();
      });
      item.addEventListener('contextmenu', (event) => event.preventDefault());
    }
    $('menu-close').addEventListener('click', () => M._zw_menu_close());
    bindTickBar();
  }

  // --- The game screen ----------------------------------------------------------------------

  // The game screen's buttons as a finger reaches them: the side panel below the pause button
  // is split midway between Start (above) and Konec, and a touch there presses the button's
  // middle.
  const TOUCH_BUTTONS = (() => {
    const middle = (a, b) => Math.floor((a + b) / 2);
    const [start, quit] = [buttons.start, buttons.quit];  // left, top, right, bottom
    const split = middle(start[3], quit[1]);
    return [
      { left: 512, top: 332, bottom: split, x: middle(start[0], start[2]),
        y: middle(start[1], start[3]) },
      { left: 512, top: split, bottom: numbers['screen-height'], x: middle(quit[0], quit[2]),
        y: middle(quit[1], quit[3]) },
    ];
  })();

  function touchButton(x, y) {
    return TOUCH_BUTTONS.find((b) => x >= b.left && y >= b.top && y < b.bottom);
  }

  // A key of the game screen went down or up, from the keyboard, a pad or a touch control.
  function gameKey(code, down, repeat = false) {
    if (down) {
      if (code === KEY_P) note('');
      M._zw_key_down(code, repeat ? 1 : 0);
    } else {
      M._zw_key_up(code);
    }
  }

  function fullScreenAvailable() {
    return Boolean(document.fullscreenEnabled && document.documentElement.requestFullscreen);
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen({ navigationUI: 'hide' }).catch(() => {});
    $('field').focus();
  }

  // The paused sign's text, place and colour, as the module gives them.
  function placePausedSign() {
    const sign = $('paused-sign');
    const [left, top, right, bottom, rgb] = [0, 1, 2, 3, 4].map((i) => M._zw_paused_sign(i));
    Object.assign(sign.style, { left: `${left}px`, top: `${top}px`, width: `${right - left}px`,
                                height: `${bottom - top}px`, lineHeight: `${bottom - top - 2}px`,
                                color: colour(rgb) });
    sign.textContent = M.ccall('zw_paused_text', 'string', [], []);
  }

  // The pointer on the field steers the bat (the module's rule, which also tells a finger's tap
  // from a finger that steers). The mouse is a keyboard player's too: its left click is a tap,
  // after which the bat goes to the height the mouse has, or last had, over the field (as on
  // the desktop), until an arrow key takes it back.
  function bindField() {
    const box = $('field-box');
    let finger = null;  // the pointer of the finger on the field
    const point = (event) => {
      const { left, top } = $('field').getBoundingClientRect();
      const within = (value, size) => Math.min(size - 1, Math.max(0, value / scale));
      return [within(event.clientX - left, FIELD_COLUMNS), within(event.clientY - top, FIELD_ROWS)];
    };
    const playing = () => M && !ended && !shownModal;
    box.addEventListener('pointerdown', (event) => {
      if (!playing() || (finger !== null && event.pointerType !== 'mouse')) return;
      event.preventDefault();
      $('field').focus();
      if (event.pointerType === 'mouse') {
        if (event.button === 0) M._zw_pointer_tap(point(event)[1]);
        return;
      }
      box.setPointerCapture(event.pointerId);
      finger = event.pointerId;
      M._zw_finger_down(...point(event));
    });
    box.addEventListener('pointermove', (event) => {
      if (!playing()) return;
      if (event.pointerType === 'mouse') M._zw_pointer_at(point(event)[1]);
      else if (finger === event.pointerId) M._zw_finger_move(...point(event));
    });
    // A finger lifted while a box is open is no tap, but it no longer steers either.
    const lift = (event) => {
      if (finger !== event.pointerId) return;
      finger = null;
      if (M) M._zw_finger_up(event.type === 'pointercancel' || !playing() ? 1 : 0);
    };
    box.addEventListener('pointerup', lift);
    box.addEventListener('pointercancel', lift);
  }

  function bindGame() {
    bindField();
    const screen = $('game-screen');
    // A finger on the side panel presses the nearest of its buttons; a press that no handler
    // takes goes on as a mouse press below.
    screen.addEventListener('pointerdown', (event) => {
      if (event.pointerType === 'mouse' || $('field-box').contains(event.target) ||
          event.target.closest('button')) return;
      const place = screen.getBoundingClientRect();
      const button = touchButton((event.clientX - place.left) / scale,
                                 (event.clientY - place.top) / scale);
      if (!button) return;
      event.preventDefault();
      M._zw_press(button.x, button.y);
      $('field').focus();
    });
    screen.addEventListener('mousedown', (event) => {
      event.preventDefault();
      // Presses on the field do not reach the game screen; the keys stay with the field.
      if (!$('field-box').contains(event.target)) {
        const place = screen.getBoundingClientRect();
        M._zw_press((event.clientX - place.left) / scale, (event.clientY - place.top) / scale);
      }
      $('field').focus();
    });
    screen.addEventListener('contextmenu', (event) => event.preventDefault());
    // A finger may have slipped onto the close box: during a game the module asks first.
    $('game-close').addEventListener('click', (event) => {
      if (event.pointerType === 'touch' || event.pointerType === 'pen') M._zw_ask_close_game();
      else M._zw_close_game();
    });
    $('touch-pause').addEventListener('pointerdown', (event) => {
      event.preventDefault();
      if (!shownModal && !ended) gameKey(KEY_P, true);
    });
    for (const id of ['game-full-screen', 'touch-full-screen']) {
      $(id).hidden = !fullScreenAvailable();
      $(id).addEventListener('click', toggleFullScreen);
    }
  }

  function bindHall() {
    buildHall();
    const close = () => {
      if (shownModal && shownModal.kind === 'hall') closeModal();
    };
    let pressed = false;
    $('hall-close').addEventListener('mousedown', (event) => {
      pressed = event.button === 0;
    });
    $('hall-close').addEventListener('mouseup', (event) => {
      if (event.button === 0 && pressed) close();
      pressed = false;
    });
    $('hall-close-box').addEventListener('click', close);
  }

  function bindMessage() {
    $('message-ok').addEventListener('click', () => closeModal(false));
    $('message-yes').addEventListener('click', () => closeModal(true));
    $('message-no').addEventListener('click', () => closeModal(false));
    // Again on the set played: the page again with the link it was opened with, or the set the
    // editor kept in a program of its own; the page itself for the game's own set.
    $('end-again').addEventListener('click', () => {
      const linked = linkedSet && playedSet === linkedSet.key;
      if (playedSet && !linked) window.zapwallPlaySet(playedSet);
      else location.href = location.pathname + (linked ? location.search : '');
    });
  }

  // The keys while a box is shown go to the box; while the game screen is shown, to its field.
  function onKeyDown(event) {
    if (shownModal) {
      if (shownModal.kind === 'message') {
        if (event.key === 'Enter') closeModal(shownModal.question);
        else if (event.key === 'Escape') closeModal(false);
        else if (event.key !== 'Tab' && event.key !== ' ') return event.preventDefault();
        else return undefined;
      }
      return event.preventDefault();
    }
    if (!shown('game') || ended) return undefined;
    const code = GAME_KEYS[event.key];
    if (code === undefined) return undefined;
    event.preventDefault();
    if (ARROWS.has(code)) held.add(code);
    gameKey(code, true, event.repeat);
    return undefined;
  }

  function onKeyUp(event) {
    const code = GAME_KEYS[event.key];
    if (code === undefined) return;
    held.delete(code);
    if (shownModal || !shown('game') || ended) return;
    event.preventDefault();
    gameKey(code, false);
  }

  // A pad's keys reach the game screen as the keyboard's do; a pad let go lets go of its keys
  // even while a box is shown.
  const gamepad = makeZapwallGamepad((down, code) => {
    if (!M || ended || !shown('game') || (down && shownModal)) return;
    gameKey(code, down);
  });

  // Pads are listened for on the game screen only, and not in a pause that no pad is reading:
  // while the page listens, the browser polls for them.
  function listenForPads() {
    gamepad.listen(Boolean(M) && !ended && shown('game') && (!paused || gamepad.reading()));
  }

  // A page that loses the keyboard never hears of the keys let go meanwhile: they are let go
  // when it loses it, so a held arrow does not keep the bat moving afterwards.
  function releaseHeldKeys() {
    const codes = [...held];
    held.clear();
    if (!M || ended || !shown('game')) return;
    for (const code of codes) M._zw_key_up(code);
  }

  function bindWindows() {
    bindMenu();
    bindGame();
    bindHall();
    bindMessage();
  }

  // --- Start ----------------------------------------------------------------------------------

  // --- The game's data ---------------------------------------------------------------------

  // Writes the files named into the module's /data once all of them are there.
  async function loadData(module, names) {
    const files = await Promise.all(
      names.map(async (name) => [name, await ZapwallData.fetchFile(name)]));
    for (const [name, bytes] of files) {
      const path = `/${name}`;
      module.FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      module.FS.writeFile(path, bytes);
    }
    module.FS.mkdirTree(DATA_FOLDER);
  }

  // The sounds of the program running now, loaded behind its menu: a promise settled once they
  // are in its /data.
  let soundsLoaded = null;
  let startWaiting = false;  // Start was pressed before the sounds were there
  let soundsSettled = false;  // the sounds are loaded, or failed to load

  // Start waits, visibly, until the sounds are there; a second press changes nothing. Sounds that
  // cannot be fetched have been said, and the game starts without them.
  function startWhenLoaded() {
    if (startWaiting) return;
    startWaiting = true;
    note('Načítají se zvuky hry…');
    const module = M;
    soundsLoaded.then(() => note(''), () => {}).then(() => {
      startWaiting = false;
      if (M === module && !ended && shown('menu') && !shownModal) runCommand(0);
    });
  }

  // The page's module, compiled by page_data.js, instantiated anew for every program.
  function instantiateWasm(imports, done) {
    ZapwallData.module.then((module) => WebAssembly.instantiate(module, imports))
      .then((instance) => done(instance), (error) => {
        note(`Hru se nepodařilo načíst (${error.message}). Zkuste stránku načíst znovu.`);
      });
    return {};
  }

  // The level editor (editor.js, which adds its button and loads the rest of the editor when
  // pressed), once the menu is on screen, so that its first picture waits for none of it, or
  // before, for the module that compiles a level text opened by a link.
  let levelEditor = null;
  function addLevelEditor() {
    if (!levelEditor) {
      levelEditor = new Promise((resolve, reject) => {
        document.head.append(Object.assign(document.createElement('script'), {
          id: 'editor-script', src: 'editor.js', onload: () => resolve(window.ZapwallLevelEditor),
          onerror: (event) => {
            event.target.remove();  // tried again by the next call
            reject(new Error('editor úrovní se nepodařilo načíst'));
          },
        }));
      });
      levelEditor.catch(() => { levelEditor = null; });
    }
    return levelEditor;
  }

  // The set the page was opened with (?levels=LINK, set_link.js): the link and what it names.
  let linkedSet = null;

  // The levels.ko, title and hall server of the kept set `name`, or of the set opened by its
  // link (`linked`), which is downloaded when the browser does not hold it yet (`fresh`: kept once
  // the game has taken it); undefined after saying why there is none.
  async function setLevels(name, linked) {
    try {
      const kept = await window.ZapwallSetLink.kept(name, linked);
      if (kept) return kept;
      if (linked) {
        return { ...(await window.ZapwallSetLink.download(linked, addLevelEditor)), fresh: true };
      }
      note(`Sada ${name} v tomto prohlížeči není uložená.`);
    } catch (error) {
      note(linked ? `Sadu úrovní nelze hrát: ${error.message}`
                  : `Sadu ${name} se nepodařilo načíst (${error.message}).`);
    }
    return undefined;
  }

  // A new program: the windows as designed, a new module, and the game (on a level set kept in
  // the browser, `{ set }`, or opened by its link, `{ link }`, with that set's own folder of the
  // player's files), a watched replay or a test play of a level set's bytes (`{ test }`): the game
  // on those levels with a test player and a player's folder of its own, which nothing stores.
  async function boot(run) {
    const test = run && run.test;
    const link = run && run.link;
    let set = (run && run.set) || '';
    const watched = test || set || link ? null : run;
    M = null;
    if (fieldFrame !== null) cancelAnimationFrame(fieldFrame);
    fieldFrame = null;
    if (backgroundFrame !== null) cancelAnimationFrame(backgroundFrame);
    backgroundFrame = null;
    backgroundWanted = false;
    fieldImage = null;
    $('stage').innerHTML = stageHtml;
    ended = endPending = endShown = paused = false;
    modals.length = 0;
    shownModal = null;
    clearInterval(hallTimer);
    held.clear();
    mode = watched ? 'watch' : test ? 'test' : 'play';
    bindWindows();
    soundsSettled = startWaiting = false;
    const firstData = watched || test ? ZapwallData.all : ZapwallData.menu;
    const module = await ZapwallPage({ zwPage: pageApi, zwAudio: audio, instantiateWasm });
    if (link) {
      try {
        linkedSet = window.ZapwallSetLink.resolve(module, link);
      } catch (error) {
        note(`Sadu úrovní nelze hrát: ${error.message}`);
        return;
      }
      set = linkedSet.key;
    }
    if (mode === 'play') playedSet = set;
    if (mode === 'play' && window.ZapwallFiles) {
      try {
        await window.ZapwallFiles.mount(module, set ? `${SET_FOLDERS}/${set}` : '');
      } catch (error) {
        note(error.message);
        return;
      }
    } else {
      module.FS.mkdirTree(files['user-folder']);
    }
    try {
      await loadData(module, firstData);
    } catch (error) {
      note(`Data hry se nepodařilo načíst (${error.message}). Zkuste stránku načíst znovu.`);
      return;
    }
    const played = set ? await setLevels(set, link && linkedSet) : null;
    if (set && !played) return;
    const levels = test || (played && played.levels);
    if (levels) module.FS.writeFile(`${DATA_FOLDER}/levels.ko`, levels);  // the game reads this name
    if (mode === 'play') playedServer = (played && played.server) || '';
    M = module;
    placePausedSign();
    if (test) {
      showWindow('menu');
      soundsSettled = true;
      if (M._zw_start()) {
        M.ccall('zw_menu_create', null, ['string'], [TEST_PLAYER]);
        showMenu();
      }
      return;
    }
    if (!watched) {
      showWindow('menu');
      if (!M._zw_start()) {
        linkedSet = null;  // "Hrát znovu" then plays the game's own set
      } else {
        showMenu();
        // A set from a link is kept once the game has taken it, and not when it refused it.
        if (played && played.fresh && await window.ZapwallSetLink.keep(set, played) &&
            window.ZapwallLevelEditor) window.ZapwallLevelEditor.setsChanged();
        // The results kept from before are offered again (hall_send.js).
        if (window.ZapwallFiles && window.ZapwallHall) {
          window.ZapwallHall.offer(M, false, playedServer);
        }
      }
      addLevelEditor().catch(() => {});
      soundsLoaded = loadData(module, ZapwallData.sounds).finally(() => {
        if (M === module) soundsSettled = true;
        if (window.ZapwallFiles) window.ZapwallFiles.offerOffline();
      });
      soundsLoaded.catch((error) => {
        if (M === module) note(`Zvuky hry se nepodařilo načíst (${error.message}); hra bude bez nich.`);
      });
      return;
    }
    soundsSettled = true;
    module.FS.mkdirTree('/tmp');
    if (watched.bytes) module.FS.writeFile(WATCHED_FILE, watched.bytes);
    showWindow('game');
    M.ccall('zw_watch', 'number', ['string', 'string'], [WATCHED_FILE, watched.name]);
  }

  // Watches a replay's bytes: a program that runs ends first (its menu's Exit, or the watching
  // of another replay); a game being played is not interrupted.
  async function watch(bytes, name) {
    if (M && !ended) {
      if (mode === 'play' && shown('game')) {
        note('Záznam hry lze přehrát, až hra skončí.');
        return;
      }
      if (mode === 'play') M._zw_menu_close();
      else M._zw_close_game();
    }
    await boot({ bytes, name });
  }

  async function fetchReplay(url) {
    try {
      const answer = await fetch(url);
      if (!answer.ok) throw new Error(`HTTP ${answer.status}`);
      return { bytes: new Uint8Array(await answer.arrayBuffer()), name: url };
    } catch (error) {
      return { bytes: null, name: `${url} (${error.message})` };
    }
  }

  // The level editor's "Hrát" (editor.js): plays `levels` with a test player and calls `back` once
  // that game has ended and the player's own game is on the menu again. What the player's program
  // changed is stored first; its menu is left as it is (it keeps nothing unstored).
  window.zapwallTestPlay = async (levels, back) => {
    if (M && mode === 'play' && shown('game')) return;
    if (window.ZapwallFiles) await window.ZapwallFiles.persist();
    afterTest = { back, run: playedSet ? { set: playedSet } : null };
    await boot({ test: levels });
  };

  // Plays the level set the editor kept as `name` in place of the game's own ('' for that):
  // a program of its own on the menu, with the set's players, hall of fame and replays.
  window.zapwallPlaySet = async (name) => {
    if (M && !ended && shown('game')) return;
    if (window.ZapwallFiles) await window.ZapwallFiles.persist();
    await boot(name ? { set: name } : null);
  };
  window.zapwallPlayedSet = () => playedSet;

  window.zapwallSteps = () => (M ? M._zw_steps() : 0);
  window.zapwallPaused = () => Boolean(M && M._zw_paused());
  window.zapwallBat = () => (M ? M._zw_bat_centre() : 0);
  window.zapwallWatch = (path) => {
    if (!M) return;
    watch(M.FS.readFile(path), path.slice(path.lastIndexOf('/') + 1));
  };

  addEventListener('keydown', onKeyDown);
  addEventListener('keyup', onKeyUp);
  addEventListener('resize', layout);
  // The tool buttons above a touch layout come as their scripts load (the editor's last).
  new ResizeObserver(() => layout()).observe($('zapwall-files-slot'));
  // A touch layout sizes the speed bar and the chosen name's box with the screen: the thumb and
  // the name's narrowing follow.
  new ResizeObserver(placeTickThumb).observe($('tick-bar').querySelector('.track'));
  new ResizeObserver(() => fitText($('player-name'), $('player-name').textContent))
    .observe($('player-name'));
  // In full screen the caption is gone: the finger's switch leads back.
  document.addEventListener('fullscreenchange', () => {
    text('touch-full-screen', document.fullscreenElement ? 'Zmenšit' : 'Celá obrazovka');
    layout();
  });
  // A hidden page cannot keep the game's pace: the game pauses (as with P) or the watching holds.
  addEventListener('blur', releaseHeldKeys);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) releaseHeldKeys();
    if (!M || ended) return;
    if (M._zw_set_hidden(document.hidden ? 1 : 0)) {
      note('Hra stojí, protože stránka nebyla vidět. Pokračujte klávesou P.');
    }
  });
  // Leaving the page closes the window shown, as closing it on the desktop does, so what the
  // game keeps is written (and stored by files.js, whose own handler runs after this one).
  addEventListener('pagehide', () => {
    if (!M || ended) return;
    if (shown('game')) M._zw_close_game();
    else if (mode === 'play') M._zw_menu_close();
  });
  addEventListener('dragover', (event) => {
    if (event.dataTransfer && [...event.dataTransfer.types].includes('Files')) {
      event.preventDefault();
    }
  });
  addEventListener('drop', (event) => {
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (!file) return;
    event.preventDefault();
    file.arrayBuffer().then((buffer) => watch(new Uint8Array(buffer), file.name));
  });

  const query = new URLSearchParams(location.search);
  const replayUrl = query.get('replay');
  if (replayUrl) fetchReplay(replayUrl).then((replay) => boot(replay));
  else boot(query.get('levels') ? { link: query.get('levels') } : null);
})();
