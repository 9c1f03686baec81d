#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The hall server's HTTP interface, end to end: the demo corpus' games filed with their exact
results, forged games refused with a reason and nothing stored, the protocol's limits, 1000 sends
from 8 clients none lost, a second copy on the same database limiting sends per address, and
heavy sends beside slow clients leaving the lists answering.

    hall_api_test.py SERVER DEMOS sqlite|postgresql

With postgresql the test runs its own cluster as an unprivileged user (status 77, a skip, where
PostgreSQL is not installed)."""
import concurrent.futures, hashlib, http.client, json, os, pathlib, re, select, shutil, socket
import sqlite3, subprocess, sys, tempfile, time, urllib.parse
from hall_client import Hall, ask, local, raw, signed

server, demos, database = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3]
work = pathlib.Path(tempfile.mkdtemp(prefix='hall-test-'))
hall = Hall(server, database, work)
start, database_options = hall.start, hall.database_options


def sim(*arguments):  # zapwall-sim beside the server, on the game's own data
    subprocess.run([str(pathlib.Path(server).parent / 'zapwall-sim'), '--data',
                    str(pathlib.Path(server).parent / 'data'), *arguments], check=True,
                   stdout=subprocess.DEVNULL)


def record(name, seed, script, steps, user, data=None):  # a game of `name` on the roster in user
    (work / 'input').write_text(script)
    sim('--user-data', str(user), '--player', name, '--seed', str(seed), '--input',
        str(work / 'input'), '--steps', str(steps), '--record', str(work / 'game'), '--save',
        *(['--data', str(data)] if data else []))
    return (work / 'game').read_text()


def header(text, keyword, value):  # the replay with its first such header line changed, signed
    return signed(re.sub(rf'\n{keyword} [^\n]*', f'\n{keyword} {value}', text, count=1))


def player(text, iq, level, balls, name='Petr', current=0):  # another starting player
    text = re.sub(r'\nroster [^\n]*', f'\nroster {iq} {level} {balls} {name}', text, count=1)
    return header(text, 'player', f'{current} {iq} {level} {balls} {name}')


try:
    # A data folder the game refuses would refuse every game: the server does not start on it.
    shutil.copytree(pathlib.Path(server).parent / 'data', work / 'broken', symlinks=True)
    (work / 'broken/pictures/ko5').unlink()
    os.mkfifo(work / 'broken/pictures/ko5')
    refused = subprocess.run([server, '--port', '0', '--data', str(work / 'broken'),
                              *database_options], capture_output=True, text=True, timeout=60)
    assert refused.returncode == 1 and 'ko5: není to obyčejný soubor' in refused.stderr, refused
    sets = [x for s in sorted((demos / 'levels').glob('*.txt')) for x in ('--levels', str(s))]
    (work / 'site').mkdir()
    (work / 'site/index.html').write_text('page')
    port = start('--sends-per-minute', '0', '--cpu-per-minute', '0', '--waiting', '8',
                 '--connections-per-address', '12', '--site', str(work / 'site'), *sets)
    filed = []
    # The corpus: every finished game of a new player filed with its exact result; every other
    # refused, a saved player's for want of the games before it.
    for replay in sorted(demos.glob('*/game.zapwall-replay')):
        text = replay.read_text()
        expected = dict(re.findall(r'"(Iq|Level)": (-?\d+)', (replay.parent / 'expected.txt')
                                   .read_text()))
        score, level = int(expected['Iq']), int(expected['Level']) + 1
        status, answer = ask(port, 'POST', '/api/results', text, 'Hráč', score, level)
        ending = text.split('\nend ')[1].split()[2]
        if ending == 'closed':
            assert status == 422 and 'nebyla dohrána' in answer['reason'], (replay, answer)
        elif re.search(r'\nplayer \d+ 0 0 3 ', text) is None:
            assert status == 422 and 'uloženým hráčem' in answer['reason'], (replay, answer)
        else:
            assert status == 201, (replay, answer)
            assert (answer['entry']['score'], answer['entry']['level'], answer['entry']['ending']) \
                == (score, level, ending), (replay, answer)
            assert ask(port, 'GET', answer['entry']['replay'])[1] == replay.read_bytes()
            filed.append((replay, text, score, level, answer['entry']['id']))
    assert len(filed) == 2, filed
    replay, text, score, level, first = next(f for f in filed if 'quit_early' in str(f[0]))
    game = header(text, 'seed', 63)  # a game not filed yet
    lines = next(f[1] for f in filed if f[4] != first).splitlines(keepends=True)
    arrow = next(i for i, line in enumerate(lines) if line.endswith('keydown 38\n'))
    endless = re.sub(r'\n439 0 keydown 27\n445 0 keyup 27\nend 459 0 quit',
                     '\n12000439 20000 keydown 27\n12000445 20000 keyup 27\nend 12000459 20000 quit',
                     text)
    forged = {  # the case: (replay, nickname, claimed score, status, reason)
        'a score raised by one': (game, 'Zlý', 1, 422, 'ne s IQ 1'),
        'a filed game with a score raised by one': (text, 'Zlý', score + 1, 422, 'už zapsána'),
        'an edited input line': (signed(''.join(lines[:arrow] + [lines[arrow][:-3] + '40\n']
                                                + lines[arrow + 1:])), 'Zlý', 0, 422, 'neproběhla'),
        'a foreign level set': (header(text, 'levels', '0123456789abcdef'), 'Zlý', 0, 422,
                                'nepřijímá'),
        'a replay cut short': (''.join(lines[:len(lines) // 2]), 'Zlý', 0, 422, 'nelze přečíst'),
        'a game longer than the server plays': (signed(endless), 'Zlý', 0, 422, 'kroků'),
        'a name with a control character': (text, 'Zlý\x1b[31m', 0, 400, 'řídicí znak'),
        'a name of invisible characters': (text, '\u200b\u3000 ', 0, 400, 'přezdívka chybí'),
        'the immortal nickname': (game, '*QUORN*', 0, 400, 'nezapisují'),
        'the immortal player': (player(game, 0, 0, 3, '*QUORN*'), 'Zlý', 0, 422, 'nezapisují'),
        'a player outside the roster': (header(game, 'player', '-1 0 0 3 Petr'), 'Zlý', 0, 422,
                                        'není v seznamu'),
        'IQ 999 999 on level 41': (player(game, 999999, 40, 3), 'Zlý', 0, 422, 'nemůže uložit'),
        'level -6': (player(game, 0, -7, 3), 'Zlý', 0, 422, 'nemůže uložit'),
        'a negative IQ': (player(game, -5, 0, 3), 'Zlý', 0, 422, 'uloženým hráčem'),
        'a saved player with more balls': (player(game, 0, 0, 9), 'Zlý', 0, 422, 'uloženým hráčem'),
    }
    for case, (body, name, claim, refused, reason) in forged.items():
        status, answer = ask(port, 'POST', '/api/results', body, name, claim, 1)
        assert (status, answer['filed']) == (refused, False) and reason in answer['reason'], \
            (case, status, answer)
    # What does not change the play makes no second entry, whoever sends it.
    for keyword, value in (('recorded', '2027-01-01 00:00:00'), ('tick', 2), ('sound', 'off'),
                           ('hall', '32000 Zloděj'), ('roster', '0 0 3 Petr\nroster 5 5 5 Jiný')):
        status, answer = ask(port, 'POST', '/api/results', header(text, keyword, value), 'Zloděj',
                             score, level)
        assert (status, answer['earlier'], answer['entry']['id']) == (200, True, first), \
            (keyword, answer)
    status, answer = ask(port, 'POST', '/api/results', player(text, 0, 0, 3, 'Quido'), 'Zloděj',
                         score, level)
    assert (status, answer['entry']['id']) == (200, first), answer
    # A run: a new player's game, then the saved player's next one, which only the first lets in.
    user = work / 'user'
    user.mkdir()
    shutil.copy(demos / 'quit_early/players.ko', user)
    lose_one = '0 keydown 32\n2 keyup 32\n1500 keydown 32\n1502 keyup 32\n2500 keydown 27\n'
    run = [record('Petr', seed, lose_one, 4000, user) for seed in (8, 9)]
    assert '\nplayer 0 0 0 2 Petr\n' in run[1]
    status, answer = ask(port, 'POST', '/api/results', run[1], 'Běžec', 0, 1)
    assert status == 422 and 'uloženým hráčem' in answer['reason'], answer
    status, answer = ask(port, 'POST', '/api/results', run[0], 'Běžec', 0, 1)
    assert status == 201, answer
    run_start = answer['entry']['id']
    status, answer = ask(port, 'POST', '/api/results', player(run[1], 0, 0, 1), 'Běžec', 0, 1)
    assert status == 422 and 'uloženým hráčem' in answer['reason'], answer
    status, answer = ask(port, 'POST', '/api/results', run[1], 'Běžec', 0, 1)
    assert (status, answer['entry']['continues']) == (201, run_start), answer
    filed.append((None, run[1], 0, 1, answer['entry']['id']))
    # A long game, the run's third, is filed, and a replay comes back byte for byte, whatever
    # bytes its date holds, and in pieces when it is large (5000 key-ups: 80 KB).
    key_ups = ''.join(f'{10 + i} keyup 65\n' for i in range(5000))
    long_game = record('Petr', 3, f'0 keydown 32\n2 keyup 32\n{key_ups}3100000 keydown 27\n',
                       3100100, user)
    long_game = header(long_game, 'recorded', '2026-12-09 \xff\x01')
    status, answer = ask(port, 'POST', '/api/results', long_game, 'Vytrvalec', 0, 1)
    assert status == 201 and answer['entry']['steps'] > 3000000, answer
    assert answer['entry']['continues'] == filed.pop()[4], answer
    assert ask(port, 'GET', answer['entry']['replay'])[1] == long_game.encode('utf-8',
                                                                              'surrogateescape')
    filed.append((None, long_game, 0, 1, answer['entry']['id']))
    # Names are shown as text, in JSON and on the page.
    name = '<b>Ťuňťa & "spol"</b>'
    answer = ask(port, 'POST', '/api/results', game, name, 0, 1)[1]
    filed.append((None, game, 0, 1, answer['entry']['id']))
    status, page = ask(port, 'GET', '/')
    assert name.encode() not in page and b'&lt;b&gt;' in page
    # Each entry plays in the browser edition the server serves.
    assert b'/play/?replay=/api/replays/1"' in page and ask(port, 'GET', '/play/')[1] == b'page'
    # The lists show each run once, by its last game.
    status, best = ask(port, 'GET', '/api/results')
    assert [e['id'] for e in best['results']] == [f[4] for f in sorted(
        filed, key=lambda f: (-f[2], f[4]))] and name in [e['name'] for e in best['results']]
    month = best['results'][0]['filed'][:7]
    for query, count in (('?month=' + month, 4), ('?month=2000-01', 0),
                         ('?levels=92abfa6ccc8eb378', 0)):
        assert len(ask(port, 'GET', '/api/results' + query)[1]['results']) == count, query
    # A body only with its length and within the limit, refused by its head before it is read;
    # a head within its size; pipelined requests each answered; no file from outside the site.
    (work / 'secret').write_text('secret')
    (work / 'site/out').symlink_to(work / 'secret')
    send = b'POST /api/results?name=A&score=0&level=1 HTTP/1.1\r\nHost: x\r\n'
    for request, status, reason in (
            (send, 411, 'Content-Length'), (send + b'Transfer-Encoding: chunked\r\n', 411, ''),
            (send + b'Content-Length: 1000000000000000\r\n', 413, '8 MiB'),
            (send + b'Content-Length: 8388609\r\n', 413, '8 MiB'),
            (b'POST /api/level-sets?title=A&author=B HTTP/1.1\r\nContent-Length: 1048577\r\n',
             413, '1 MiB'),
            (send + b'Content-Type: multipart/form-data\r\nContent-Length: 1\r\n', 415, 'text'),
            (b'GET / HTTP/1.1\r\nContent-Length: 5\r\n', 413, 'tělo'),
            (b'GET / HTTP/1.1\r\n' + b'X-Many: headers\r\n' * 3000, 431, ''),
            (b'GET /play/out HTTP/1.1\r\n', 404, ''),
            (b'GET /play/../secret HTTP/1.1\r\n', 404, '')):
        answer = raw(port, request + b'Connection: close\r\n\r\n')
        assert answer.startswith(b'HTTP/1.1 %d ' % status) and reason.encode() in answer, \
            (request[:60], answer[:300])
    level_sets = b'GET /api/level-sets HTTP/1.1\r\nHost: x\r\n'
    assert raw(port, level_sets + b'\r\n' + level_sets + b'Connection: close\r\n\r\n') \
        .count(b'HTTP/1.1 200 ') == 2
    # One address holds so many connections; another still connects.
    held = [socket.create_connection(('127.0.0.1', port), 10, ('127.0.0.9', 0)) for _ in range(12)]
    for connection in held:
        connection.sendall(level_sets + b'\r\n')
        assert connection.recv(65536).startswith(b'HTTP/1.1 200 ')
    assert raw(port, level_sets + b'\r\n', '127.0.0.9') == b''
    assert raw(port, level_sets + b'Connection: close\r\n\r\n', '127.0.0.10').startswith(
        b'HTTP/1.1 200 ')
    for connection in held:
        connection.close()
    # A second copy on the same database shows the same table and limits what one address
    # sends and makes the server play, saying when to come back; a request that does not come
    # whole in time is cut off.
    second = start('--sends-per-minute', '3', '--cpu-per-minute', '1', '--request-seconds', '2',
                   *sets)
    with socket.create_connection(('127.0.0.1', second)) as drip:
        began = time.monotonic()
        drip.sendall(b'GET / HTTP/1.1\r\nX-Slow: ')
        while not select.select([drip], [], [], 0.2)[0]:  # a byte every 0.2 s until it is cut
            drip.sendall(b'x')
        cut = time.monotonic() - began
    assert 2 <= cut < 5, cut
    assert ask(second, 'GET', '/api/results')[1] == best
    # Nearly the longest game a send may be: 2-3 CPU seconds, surely past a budget of one.
    longest_game = record('Petr', 4, '0 keydown 32\n2 keyup 32\n11900000 keydown 27\n', 11900100,
                          user)
    statuses = [ask(second, 'POST', '/api/results', body, 'A', 0, 1)[0]
                for body in ('x', longest_game, header(longest_game, 'seed', 5), 'x')]
    assert statuses == [422, 201, 429, 429] and int(local.retry_after) > 0, statuses
    # A game over the CPU limit is the server's to play later.
    status, answer = ask(start('--verify-seconds', '1', *sets), 'POST', '/api/results',
                         header(longest_game, 'seed', 6), 'A', 0, 1)
    assert status == 503 and 'časový limit' in answer['reason'], answer
    print(f'hall_api_test: the corpus, {len(forged)} forgeries and a run checked')
    # Level sets published: refused as the game refuses them; one set however often and in
    # whichever form it comes, its first title kept; refused when its replays would name another
    # kept set; a game on it filed in its own hall, as every other game is checked.
    def publish(body, title='Jedna cihla', author='Autorka', kind='text/plain'):
        query = urllib.parse.urlencode({'title': title, 'author': author})
        return ask(port, 'POST', '/api/level-sets?' + query, body, kind=kind)
    one_brick = 'level\nbrick 400 260 10 0 0 0\n'
    for body, title, kind, refused, reason in (
            ('level\nbrick 400\n', 'Zlá', 'text/plain', 422, 'sada:2'),
            (b'\0\0', 'Prázdná', 'application/octet-stream', 422, 'počet úrovní je 0'),
            (one_brick, '\u200b ', 'text/plain', 400, 'název sady chybí')):
        status, answer = publish(body, title, kind=kind)
        assert status == refused and reason in answer['reason'], (title, status, answer)
    status, published = publish(one_brick)
    assert status == 201, published
    levels_ko = ask(port, 'GET', f"/api/level-sets/{published['address']}/levels.ko")[1]
    assert hashlib.sha256(levels_ko).hexdigest() == published['address']
    for body, kind in ((one_brick, 'text/plain'), (levels_ko, 'application/octet-stream')):
        status, again = publish(body, 'Jiný název', kind=kind)
        assert (status, again['name'], again['address']) == (200, 'Jedna cihla',
                                                             published['address']), again
    assert b'brick 400 260 10' in ask(port, 'GET', f"/api/level-sets/{published['address']}"
                                                   '/levels.txt')[1]
    if database == 'sqlite':  # another file kept under the same replays' hash
        with sqlite3.connect(work / 'hall.sqlite') as db:
            db.execute("UPDATE level_sets SET address = ? WHERE levels = ?",
                       ('f' * 64, published['levels']))
        status, answer = publish(one_brick)
        assert status == 409 and 'nerozlišily' in answer['reason'], answer
        with sqlite3.connect(work / 'hall.sqlite') as db:
            db.execute("UPDATE level_sets SET address = ? WHERE levels = ?",
                       (published['address'], published['levels']))
    shutil.copytree(pathlib.Path(server).parent / 'data', work / 'set-data')
    (work / 'set-data/levels.ko').write_bytes(levels_ko)
    (work / 'set-user').mkdir()
    shutil.copy(demos / 'quit_early/players.ko', work / 'set-user')
    on_set = record('Petr', 5, '0 keydown 32\n2 keyup 32\n3000 keydown 27\n', 3100,
                    work / 'set-user', work / 'set-data')
    result = json.loads(subprocess.run(
        [str(pathlib.Path(server).parent / 'zapwall-sim'), '--replay', str(work / 'game'), '--data',
         str(work / 'set-data'), '--user-data', str(work / 'set-user'), '--summary', '--out', '-'],
        check=True, capture_output=True, text=True).stdout)
    claim = result['Iq'], result['Level'] + 1
    assert ask(port, 'POST', '/api/results', on_set, 'Stavitel', claim[0] + 1, claim[1])[0] == 422
    status, answer = ask(port, 'POST', '/api/results', on_set, 'Stavitel', *claim)
    assert status == 201 and answer['entry']['levelSet'] == 'Jedna cihla', answer
    assert [e['name'] for e in ask(port, 'GET', '/api/results?levels=' + published['levels'])[1]
            ['results']] == ['Stavitel']
    listed = {s['name']: s for s in ask(port, 'GET', '/api/level-sets')[1]['levelSets']}
    assert (listed['Jedna cihla']['results'], listed['Jedna cihla']['author']) == (1, 'Autorka')
    assert b'Jedna cihla</a> (Autorka)' in ask(port, 'GET', '/')[1]
    # The operator hides a set or a result from every list; a hidden set takes no new games.
    def operator(*order):
        return subprocess.run([server, *database_options, *order], capture_output=True,
                              text=True).returncode
    assert operator('hide', 'set', published['address']) == 0
    assert 'Jedna cihla' not in {s['name'] for s in
                                 ask(port, 'GET', '/api/level-sets')[1]['levelSets']}
    assert b'Jedna cihla</a>' not in ask(port, 'GET', '/')[1]
    status, answer = ask(port, 'POST', '/api/results', header(on_set, 'seed', 6), 'S', 0, 1)
    assert status == 422 and 'už nepřijímá' in answer['reason'], answer
    assert operator('hide', 'result', str(filed[0][4])) == 0
    assert filed[0][4] not in [e['id'] for e in ask(port, 'GET', '/api/results')[1]['results']]
    assert [operator('show', 'set', published['address']), operator('show', 'result', str(
        filed[0][4])), operator('hide', 'result', '999999')] == [0, 0, 1]
    assert filed[0][4] in [e['id'] for e in ask(port, 'GET', '/api/results')[1]['results']]
    print('hall_api_test: a level set published, a game on it filed in its own hall, both hidden')
    # A game of about a second of CPU each: enough to fill the verifiers, few enough to end soon.
    heavy = record('Petr', 4, '0 keydown 32\n2 keyup 32\n6000000 keydown 27\n', 6000100, user)
    # Heavy sends from three addresses and slow clients leave the lists answering: what the
    # verifiers cannot take is told at once to come back later.
    slow = [socket.create_connection(('127.0.0.1', port), 10, (f'127.0.0.{4 + i % 4}', 0))
            for i in range(40)]
    for connection in slow:
        connection.sendall(b'POST /api/results HTTP/1.1\r\nHost: x\r\n')

    def heavy_send(i):
        connection = http.client.HTTPConnection('127.0.0.1', port, timeout=60,
                                                source_address=(f'127.0.0.{1 + i % 3}', 0))
        connection.request('POST', '/api/results?name=T&score=0&level=1',
                           header(heavy, 'seed', 100 + i).encode(), {'Content-Type': 'text/plain'})
        answer = connection.getresponse()
        answer.read()
        connection.close()
        return answer.status, answer.getheader('Retry-After')

    with concurrent.futures.ThreadPoolExecutor(24) as senders:
        sends = [senders.submit(heavy_send, i) for i in range(24)]
        longest = 0
        while not all(send.done() for send in sends):
            began = time.monotonic()
            assert ask(port, 'GET', '/api/results?limit=1')[0] == 200
            longest = max(longest, time.monotonic() - began)
        outcomes = [send.result() for send in sends]
    assert longest < 3 and {status for status, _ in outcomes} == {201, 503}, (longest, outcomes)
    assert all(int(wait) > 0 for status, wait in outcomes if status == 503), outcomes
    for connection in slow:
        connection.close()
    print(f'hall_api_test: 24 heavy sends beside 40 slow clients, the list answered within '
          f'{longest:.2f} s')
    # 1000 games from 8 clients: every one filed, none lost.
    games = [header(text, 'seed', 1000 + i) for i in range(1000)]
    began = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(8) as clients:
        answers = list(clients.map(lambda g: ask(port, 'POST', '/api/results', g, 'Z', 0, 1),
                                   games))
        assert all(status == 201 for status, _ in answers), [a for a in answers if a[0] != 201][:3]
        ids = {answer['entry']['id'] for _, answer in answers}
        assert len(ids) == 1000
        sent = time.monotonic() - began
        kept = clients.map(lambda a: ask(port, 'GET', a[1]['entry']['replay'])[1], answers)
        assert [k.decode() for k in kept] == games
    print(f'hall_api_test: 1000 sends from 8 clients filed in {sent:.1f} s')
    # The replay player killed, the next game starts a new one.
    player_pid = subprocess.run(['pgrep', '-P', str(hall.copies[0].pid), '-f', 'zapwall-sim'],
                                capture_output=True, text=True, check=True).stdout.split()
    os.kill(int(*player_pid), 9)
    restarted = ask(port, 'POST', '/api/results', header(text, 'seed', 2999), 'Z', 0, 1)
    assert restarted[0] == 201, restarted
    # On a full disk every game answered 201 is kept, and every other is to be sent again.
    if database == 'sqlite':
        small = work / 'small'
        small.mkdir()
        full = start('--sqlite', str(small / 'hall.sqlite'), '--sends-per-minute', '0',
                     '--cpu-per-minute', '0', *sets, within=[
                         'unshare', '--map-root-user', '--mount', 'sh', '-c',
                         'mount -t tmpfs -o size=512k tmpfs "$0" && exec "$@"', str(small)])
        answers = []
        while len(answers) < 20 or any(status == 201 for status, _ in answers[-10:]):
            answers.append(ask(full, 'POST', '/api/results', header(text, 'seed', 5000 +
                                                                    len(answers)), 'D', 0, 1))
        kept = [answer['entry'] for status, answer in answers if status == 201]
        assert {status for status, _ in answers} == {201, 503} and all(
            int(local.retry_after) > 0 for status, _ in answers[-10:]), [a[0] for a in answers]
        assert [ask(full, 'GET', entry['replay'])[0] for entry in kept] == [200] * len(kept)
        print(f'hall_api_test: a full disk kept all {len(kept)} games answered 201')
finally:
    hall.stop()
    shutil.rmtree(work, ignore_errors=True)
