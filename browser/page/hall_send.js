// SPDX-License-Identifier: GPL-3.0-or-later
// Sending results to a hall of fame server (zapwall-hall-server) from the page, only when the
// player says yes: the "Server síně slávy" button sets the server's address, kept with the player's
// files (/user/hall-server.txt, stored by files.js like them); at the start the sends kept from
// before are offered, at a game's end that game and the kept ones. Which games, the request's
// form, what an answer means and the kept sends are the module's (shell/hall_offer.h); this
// script asks, posts with fetch (never waiting on it, each send within one deadline, no redirect
// followed, at most 64 KiB of answer read), hands the module each answer's whole body and shows
// what the module makes of it.
//
// The page calls `ZapwallHall.offer(Module, atEnd, server)` once its program has loaded the
// player's files (atEnd false) and when a game has ended (true); `server`, when given, is the
// hall server a level set opened by its link came from, which takes that set's results in place
// of the server of the setting.
'use strict';

window.ZapwallHall = (() => {
  const { element, keepKeysIn, outsideGames, boundedBytes } = window.ZapwallTools;
  const SETTING = '/user/hall-server.txt';

  let module = null;
  let offering = false;  // a question or its answers are shown
  let rounds = 0;  // the yeses so far: a round's sends stop when another began

  // The module's functions that give a text, and those that give a number.
  function text(name, ...args) {
    return module.ccall(name, 'string', args.map(typeOf), args);
  }
  function number(name, ...args) {
    return module.ccall(name, 'number', args.map(typeOf), args);
  }
  function typeOf(arg) {
    return typeof arg === 'number' ? 'number' : 'string';
  }

  function setting() {
    try {
      return module.FS.readFile(SETTING, { encoding: 'utf8' });
    } catch {
      return '';
    }
  }

  function persist() {
    if (window.ZapwallFiles) window.ZapwallFiles.persist();
  }

  function dialog() {
    let box = document.getElementById('zapwall-hall');
    if (!box) {
      box = element('dialog', { id: 'zapwall-hall', className: 'page-tool-box', lang: 'cs' });
      keepKeysIn(box);
      document.body.append(box);
    }
    return box;
  }

  // --- The address ---------------------------------------------------------------------------

  // A page from https may not post to an http address: the browser would refuse every send.
  function addressProblem(address) {
    const problem = text('zw_hall_address_problem', address);
    if (problem) return problem;
    if (location.protocol === 'https:' && /^http:/i.test(address)) {
      return 'Stránka otevřená přes https může výsledky posílat jen na adresu https://.';
    }
    return '';
  }

  function openSetting() {
    const box = dialog();
    const input = element('input', { id: 'zapwall-hall-address', inputMode: 'url', value: setting(),
                                     placeholder: 'http://server:8765', spellcheck: false });
    const problem = element('p', { id: 'zapwall-hall-problem', role: 'alert' });
    const save = () => {
      const address = input.value.trim();
      const why = address ? addressProblem(address) : '';
      if (why) {
        problem.textContent = why;
        return;
      }
      module.FS.writeFile(SETTING, address);
      persist();
      box.close();
    };
    box.replaceChildren(
      element('h2', { textContent: 'Síň slávy na serveru' }),
      element('p', { textContent: 'Adresa serveru síně slávy (zapwall-hall-server), kam hra ' +
                                  'po skončení nabídne poslat výsledek. Prázdná adresa: ' +
                                  'nic se nenabízí ani neposílá.' }),
      element('form', { onsubmit: (event) => { event.preventDefault(); save(); } }, [
        input, problem,
        element('div', { className: 'buttons' }, [
          element('button', { id: 'zapwall-hall-save', type: 'submit', textContent: 'Uložit' }),
          element('button', { type: 'button', textContent: 'Zrušit', onclick: () => box.close() }),
        ]),
      ]));
    box.showModal();
    input.focus();
  }

  function addButton() {
    if (document.getElementById('zapwall-hall-button')) return;
    const button = element('button', { type: 'button', id: 'zapwall-hall-button',
                                       className: 'page-tool-button',
                                       textContent: 'Server síně slávy', onclick: openSetting });
    outsideGames(button, { off: 'Adresu serveru lze nastavit, až se hra načte.',
                           on: 'Adresa serveru síně slávy, kam posílat výsledky' },
                 () => !module);
    const slot = document.getElementById('zapwall-files-slot');
    (slot || document.body).append(button);
  }

  // --- The sends -----------------------------------------------------------------------------

  // The longest answer read, as the module's kMaxHallAnswerBytes: a longer one is no hall server's.
  const MAX_ANSWER_BYTES = 64 * 1024;
  const TOO_LONG = 'odpověď je delší než 64 KiB';

  // The answer's whole body as text, read while it stays within MAX_ANSWER_BYTES; null beyond.
  async function bodyOf(answer, stop) {
    const bytes = await boundedBytes(answer, MAX_ANSWER_BYTES, stop);
    if (bytes === null) return null;
    try {
      const text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
      // The module takes it as a C string: a NUL would cut it short into another answer.
      return text.includes('\0') ? '' : text;
    } catch {
      return '';  // no text: no hall server's answer
    }
  }

  // Posts one request: its status (0 when no answer came), the answer's whole body and why it did
  // not come whole. One deadline covers the whole send, answer and all, and no redirect is
  // followed (the replay re-posted elsewhere, or a GET without it, is no send). Closing the box
  // stops the wait: the send stays kept.
  async function post(box, url, body) {
    const stop = new AbortController();
    let why = '';
    const end = (reason) => {
      why = why || reason;
      stop.abort();
    };
    const timeout = setTimeout(() => end('vypršel čas na odpověď'), number('zw_hall_send_timeout'));
    box.addEventListener('close', () => end('okno je zavřeno'), { once: true });
    let status = 0;
    try {
      const answer = await fetch(url, {
        method: 'POST', body, cache: 'no-store', redirect: 'manual', signal: stop.signal,
        headers: { 'Content-Type': 'text/plain; charset=utf-8' },
      });
      if (answer.type === 'opaqueredirect') {
        return [0, '', 'server odpověděl přesměrováním, které hra nenásleduje'];
      }
      status = answer.status;
      const text = await bodyOf(answer, () => end(TOO_LONG));
      return text === null ? [status, '', TOO_LONG] : [status, text, ''];
    } catch {
      if (status) return [status, '', why || 'odpověď přišla neúplná'];
      return [0, '', why || 'server není dostupný'];
    } finally {
      clearTimeout(timeout);
    }
  }

  // Sends what the yes made, one after another, while the box is open.
  async function send(box, nickname, answers) {
    const round = ++rounds;
    const count = number('zw_hall_accept', nickname);
    persist();
    answers.textContent = 'Odesílám…';
    const said = [];
    for (let i = 0; i < count; ++i) {
      const [status, answer, problem] = await post(box, text('zw_hall_request_url', i),
                                                   text('zw_hall_request_body', i));
      if (round !== rounds || !box.open) return;
      said.push(text('zw_hall_answered', i, status, answer, problem));
      answers.textContent = said.join('\n');
      persist();
    }
    box.dataset.done = 'yes';
  }

  function ask(box) {
    const nickname = text('zw_hall_nickname');
    const input = element('input', { id: 'zapwall-hall-nickname', value: nickname,
                                     maxLength: number('zw_hall_nickname_length') });
    const answers = element('p', { id: 'zapwall-hall-answers', role: 'status' });
    const yes = element('button', { id: 'zapwall-hall-send', type: 'submit',
                                    textContent: 'Odeslat' });
    const no = element('button', { id: 'zapwall-hall-skip', type: 'button',
                                   textContent: 'Neodesílat', onclick: () => box.close() });
    input.addEventListener('input', () => { yes.disabled = !input.value.trim(); });
    const form = element('form', {
      onsubmit: (event) => {
        event.preventDefault();
        input.disabled = true;
        no.textContent = 'Zavřít';
        yes.remove();
        send(box, input.value.trim(), answers);
      },
    }, [
      nickname ? element('label', {}, ['Přezdívka: ', input]) : '', answers,
      element('div', { className: 'buttons' }, [yes, no]),
    ]);
    delete box.dataset.done;
    box.replaceChildren(element('h2', { textContent: 'Síň slávy na serveru' }),
                        element('p', { textContent: text('zw_hall_question') }), form);
    box.showModal();
    (nickname ? input : yes).focus();
  }

  // Asks once about what there is to send, if an address is set or given.
  function offer(pageModule, atEnd, server) {
    module = pageModule;
    addButton();
    if (offering) return;
    if (!number('zw_hall_offer', server || setting(), atEnd ? 1 : 0)) return;
    const box = dialog();
    offering = true;
    box.addEventListener('close', () => { offering = false; }, { once: true });
    ask(box);
  }

  return { offer };
})();
