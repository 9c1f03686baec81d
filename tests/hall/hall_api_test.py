#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The hall server's HTTP interface, end to end: the demo corpus' games filed with their exact
results, forged games refused with a reason and nothing stored, 1000 sends from 8 clients none
lost, a second copy on the same database limiting sends per address.

    hall_api_test.py SERVER DEMOS sqlite|postgresql

With postgresql the test runs its own cluster as an unprivileged user (status 77, a skip, where
PostgreSQL is not installed)."""
import concurrent.futures, http.client, json, os, pathlib, re, shutil, subprocess, sys, tempfile
import threading, time, urllib.parse

server, demos, database = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3]
work = pathlib.Path(tempfile.mkdtemp(prefix='hall-test-'))
local = threading.local()
started = []


def fnv(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xffffffffffffffff
    return h


def signed(text):  # the replay with its checksum made right again
    body = text[:text.rindex('checksum ')]
    return body + 'checksum %016x\n' % fnv(body.encode())


def start(*options):  # a server copy; its port, once it listens
    copy = subprocess.Popen([server, '--port', '0', *database_options, *options],
                            stdout=subprocess.PIPE, text=True)
    started.append(copy)
    line = copy.stdout.readline()
    assert 'listening on' in line, f'the server did not start: {line!r}'
    return int(re.search(r':(\d+)/', line).group(1))


def ask(port, method, path, body=None, name=None, score=None, level=None):
    if getattr(local, 'port', None) != port:
        local.port, local.connection = port, http.client.HTTPConnection('127.0.0.1', port)
    if name is not None:
        path += '?' + urllib.parse.urlencode({'name': name, 'score': score, 'level': level})
    local.connection.request(method, path, body and body.encode(),
                             {'Content-Type': 'text/plain'} if body else {})
    answer = local.connection.getresponse()
    data = answer.read()
    return answer.status, (json.loads(data) if 'json' in answer.getheader('Content-Type') else data)


def postgresql():
    bin_dir = pathlib.Path('/usr/lib/postgresql/15/bin')
    if not (bin_dir / 'initdb').exists():
        print('SKIP: PostgreSQL is not installed (/usr/lib/postgresql/15/bin)')
        sys.exit(77)
    as_user = []
    if os.geteuid() == 0:  # initdb refuses root: the cluster is nobody's
        as_user = ['setpriv', '--reuid=nobody', '--regid=nogroup', '--clear-groups']
        os.chmod(work, 0o755)
        (work / 'pg').mkdir()
        shutil.chown(work / 'pg', 'nobody', 'nogroup')
    subprocess.run([*as_user, bin_dir / 'initdb', '-D', work / 'pg/data', '-U', 'hall', '-A',
                    'trust'], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([*as_user, bin_dir / 'pg_ctl', '-D', work / 'pg/data', '-w', '-l',
                    work / 'pg/log', '-o', f"-k {work / 'pg'} -c listen_addresses=''", 'start'],
                   check=True, stdout=subprocess.DEVNULL)
    return ['--postgresql', f"host={work / 'pg'} dbname=postgres user=hall"], \
        lambda: subprocess.run([*as_user, bin_dir / 'pg_ctl', '-D', work / 'pg/data', '-m',
                                'immediate', 'stop'], stdout=subprocess.DEVNULL)


stop_database = lambda: None
if database == 'postgresql':
    database_options, stop_database = postgresql()
else:
    database_options = ['--sqlite', str(work / 'hall.sqlite')]
try:
    sets = [x for s in sorted((demos / 'levels').glob('*.txt')) for x in ('--levels', str(s))]
    (work / 'site').mkdir()
    (work / 'site/index.html').write_text('page')
    port = start('--sends-per-minute', '0', '--site', str(work / 'site'), *sets)
    filed = []
    # The corpus: every finished game filed with its exact result, every other one refused.
    for replay in sorted(demos.glob('*/game.zapwall-replay')):
        text = replay.read_text()
        expected = dict(re.findall(r'"(Iq|Level)": (-?\d+)', (replay.parent / 'expected.txt')
                                   .read_text()))
        score, level = int(expected['Iq']), int(expected['Level']) + 1
        status, answer = ask(port, 'POST', '/api/results', text, 'Hráč', score, level)
        ending = text.split('\nend ')[1].split()[2]
        if ending == 'closed':
            assert status == 422 and 'nebyla dohrána' in answer['reason'], (replay, answer)
            continue
        assert status == 201, (replay, answer)
        assert (answer['entry']['score'], answer['entry']['level'], answer['entry']['ending']) \
            == (score, level, ending), (replay, answer)
        assert ask(port, 'GET', answer['entry']['replay'])[1] == replay.read_bytes()
        filed.append((replay, text, score, level, answer['entry']['id']))
    assert len(filed) == 15, filed
    replay, text, score, level, first = filed[0]
    quit_early = (demos / 'quit_early/game.zapwall-replay').read_text()
    game = signed(quit_early.replace(' Petr\n', ' Quido\n'))  # a game not filed yet
    lines = text.splitlines(keepends=True)
    arrow = next(i for i, line in enumerate(lines) if line.endswith('keydown 38\n'))
    forged = {
        'a score raised by one': (game, 1, 422, 'ne s IQ 1'),
        'a filed game with a score raised by one': (text, score + 1, 422, 'už zapsána'),
        'an edited input line': (signed(''.join(lines[:arrow] + [lines[arrow][:-3] + '40\n']
                                                + lines[arrow + 1:])), score, 422, 'neproběhla'),
        'a foreign level set': (signed(re.sub(r'\nlevels \w+', '\nlevels 0123456789abcdef',
                                              text)), score, 422, 'nepřijímá'),
        'foreign data': (signed(re.sub(r'\nanimations \w+', '\nanimations 0123456789abcdef',
                                       text)), score, 422, 'jiným souborem animations.ko'),
        'a replay cut short': (''.join(lines[:len(lines) // 2]), score, 422, 'useknutý'),
        'a file over 64 MiB': ('\0' * (64 * 1024 * 1024 + 1), score, 413, '64 MiB'),
        'a name with a control character': (text, score, 400, 'řídicí znak'),
    }
    for case, (body, claim, refused, reason) in forged.items():
        name = 'Zlý\x1b[31m' if 'name' in case else 'Zlý'
        status, answer = ask(port, 'POST', '/api/results', body, name, claim, 1 if body == game
                             else level)
        assert (status, answer['filed']) == (refused, False) and reason in answer['reason'], \
            (case, status, answer)
    # One game sent again, even with another date, is the entry it made.
    again = signed(re.sub(r'\nrecorded [^\n]*', '\nrecorded 2027-01-01 00:00:00', text))
    status, answer = ask(port, 'POST', '/api/results', again, 'Jiný', score, level)
    assert (status, answer['earlier'], answer['entry']['id']) == (200, True, first), answer
    # Names are shown as text, in JSON and on the page.
    name = '<b>Ťuňťa & "spol"</b>'
    answer = ask(port, 'POST', '/api/results', game, name, 0, 1)[1]
    filed.append((None, game, 0, 1, answer['entry']['id']))
    status, page = ask(port, 'GET', '/')
    assert name.encode() not in page and b'&lt;b&gt;' in page
    # Each entry plays in the browser edition the server serves.
    assert b'/play/?replay=/api/replays/1"' in page and ask(port, 'GET', '/play/')[1] == b'page'
    status, best = ask(port, 'GET', '/api/results')
    assert [e['id'] for e in best['results']] == [f[4] for f in sorted(
        filed, key=lambda f: (-f[2], f[4]))] and name in [e['name'] for e in best['results']]
    month = best['results'][0]['filed'][:7]
    for query, count in (('?month=' + month, 16), ('?month=2000-01', 0),
                         ('?levels=92abfa6ccc8eb378', 4)):
        assert len(ask(port, 'GET', '/api/results' + query)[1]['results']) == count, query
    # A second copy on the same database shows the same table and limits sends by address.
    second = start('--sends-per-minute', '2', *sets)
    assert ask(second, 'GET', '/api/results')[1] == best
    statuses = [ask(second, 'POST', '/api/results', 'x', 'A', 0, 1)[0] for _ in range(3)]
    assert statuses == [422, 422, 429], statuses
    # 1000 games from 8 clients: every one filed, none lost.
    games = [signed(quit_early.replace(' Petr\n', f' P{i}\n')) for i in range(1000)]
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
    print(f'hall_api_test: 16 games filed, 16 refused, 1000 sends from 8 clients filed in '
          f'{sent:.1f} s')
finally:
    for copy in started:
        copy.terminate()
        copy.wait()
    stop_database()
    shutil.rmtree(work, ignore_errors=True)
