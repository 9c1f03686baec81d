#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The hall server under load: 1000 new games sent by 20 clients, then 10,000 requests for the
list by 50 clients, on one database; prints each rate.

    bench/hall_load.py SERVER DEMOS sqlite|postgresql"""
import concurrent.futures, pathlib, re, shutil, sys, tempfile, time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / 'tests/hall'))
from hall_client import Hall, ask, signed  # noqa: E402

server, demos, database = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3]
work = pathlib.Path(tempfile.mkdtemp(prefix='hall-bench-'))
hall = Hall(server, database, work)
try:
    port = hall.start('--sends-per-minute', '0', '--cpu-per-minute', '0', '--waiting', '20',
                      '--connections-per-address', '64')
    text = (demos / 'quit_early/game.zapwall-replay').read_text()
    games = [signed(re.sub(r'\nseed [^\n]*', f'\nseed {1000 + i}', text, count=1))
             for i in range(1000)]
    began = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(20) as clients:
        statuses = list(clients.map(lambda g: ask(port, 'POST', '/api/results', g, 'Z', 0, 1)[0],
                                    games))
    sent = time.monotonic() - began
    assert statuses == [201] * len(games), {s: statuses.count(s) for s in set(statuses)}
    began = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(50) as clients:
        statuses = list(clients.map(lambda _: ask(port, 'GET', '/api/results')[0], range(10000)))
    listed = time.monotonic() - began
    assert statuses == [200] * 10000
    print(f'hall_load {database}: {len(games) / sent:.0f} sends a second (20 clients), '
          f'{10000 / listed:.0f} lists a second (50 clients)')
finally:
    hall.stop()
    shutil.rmtree(work, ignore_errors=True)
