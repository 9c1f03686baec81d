# SPDX-License-Identifier: GPL-3.0-or-later
"""A client of the hall server for its test and its benchmark: server copies on SQLite or on a
PostgreSQL cluster of their own, requests on a kept connection per thread, raw bytes, replays
re-signed."""
import http.client, json, os, pathlib, re, shutil, socket, subprocess, sys, threading
import urllib.parse

local = threading.local()


def fnv(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xffffffffffffffff
    return h


def signed(text):  # the replay with its checksum made right again
    body = text[:text.rindex('checksum ')]
    return body + 'checksum %016x\n' % fnv(body.encode())


def ask(port, method, path, body=None, name=None, score=None, level=None, kind='text/plain'):
    if getattr(local, 'port', None) != port:
        local.port, local.connection = port, http.client.HTTPConnection('127.0.0.1', port)
        local.used = False
    if name is not None:
        path += '?' + urllib.parse.urlencode({'name': name, 'score': score, 'level': level})

    def send():
        local.connection.request(method, path, body.encode() if isinstance(body, str) else body,
                                 {'Content-Type': kind} if body else {})
        return local.connection.getresponse()
    try:
        answer = send()
    except (http.client.RemoteDisconnected, ConnectionError):
        if not local.used:
            raise
        local.connection.close()  # a kept connection that the server has closed meanwhile
        answer = send()
    local.used = True
    data = answer.read()
    local.retry_after = answer.getheader('Retry-After')
    return answer.status, (json.loads(data) if 'json' in answer.getheader('Content-Type') else data)


def raw(port, request, source='127.0.0.1'):  # what the server answers to these bytes, to its end
    with socket.create_connection(('127.0.0.1', port), 10, (source, 0)) as connection:
        answer = b''
        try:
            connection.sendall(request)
            while data := connection.recv(65536):
                answer += data
        except ConnectionResetError:
            pass
        return answer


class Hall:
    """Copies of `server` on one database in `work`: sqlite, or postgresql in a cluster this
    starts as an unprivileged user (status 77, a skip, where PostgreSQL is not installed)."""

    def __init__(self, server, database, work):
        self.server, self.work, self.copies = server, work, []
        self.stop_database = lambda: None
        if database == 'postgresql':
            self.database_options = self.postgresql()
        else:
            self.database_options = ['--sqlite', str(work / 'hall.sqlite')]

    def start(self, *options, within=()):  # a copy, run by `within`; its port, once it listens
        copy = subprocess.Popen([*within, self.server, '--port', '0', *self.database_options,
                                 *options], stdout=subprocess.PIPE, text=True)
        self.copies.append(copy)
        line = copy.stdout.readline()
        assert 'listening on' in line, f'the server did not start: {line!r}'
        return int(re.search(r':(\d+)/', line).group(1))

    def stop(self):
        for copy in self.copies:
            copy.terminate()
            copy.wait()
        self.stop_database()

    def postgresql(self):
        bin_dir, pg = pathlib.Path('/usr/lib/postgresql/15/bin'), self.work / 'pg'
        if not (bin_dir / 'initdb').exists():
            print('SKIP: PostgreSQL is not installed (/usr/lib/postgresql/15/bin)')
            sys.exit(77)
        as_user = []
        if os.geteuid() == 0:  # initdb refuses root: the cluster is nobody's
            as_user = ['setpriv', '--reuid=nobody', '--regid=nogroup', '--clear-groups']
            os.chmod(self.work, 0o755)
            pg.mkdir()
            shutil.chown(pg, 'nobody', 'nogroup')
        subprocess.run([*as_user, bin_dir / 'initdb', '-D', pg / 'data', '-U', 'hall', '-A',
                        'trust'], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([*as_user, bin_dir / 'pg_ctl', '-D', pg / 'data', '-w', '-l', pg / 'log',
                        '-o', f"-k {pg} -c listen_addresses=''", 'start'], check=True,
                       stdout=subprocess.DEVNULL)
        self.stop_database = lambda: subprocess.run(
            [*as_user, bin_dir / 'pg_ctl', '-D', pg / 'data', '-m', 'immediate', 'stop'],
            stdout=subprocess.DEVNULL)
        return ['--postgresql', f"host={pg} dbname=postgres user=hall"]
