#!/usr/bin/python3
"""Hostile traffic against the real program's live timing page, on loopback.

Starts Splitwatch with --share 127.0.0.1:0 under its test driver and, while
a race is timed through the driver, sends 10,000 malformed, oversized or
unauthorised requests from four threads, opens 40 connections that never
send, 33 viewers (the 33rd must get 503) and a viewer that never reads.
Bounded in count and time. Afterwards: no hostile request got a 2xx answer
or went unanswered, every press sent during the attack was recorded, the
presses after it are recorded exactly (each at its lap, its reading as far
from the one before as the key was from the key before, within 50 ms), and
the program's resident memory is back within 10 MiB of where it started
(shown, not compared, with --sanitized: AddressSanitizer keeps freed memory
in its quarantine).
"""

import argparse
import os
import select
import shutil
import socket
import sys
import tempfile
import threading
import time

from splitwatch_program import Program

HOSTILE_REQUESTS = 10000
ATTACKERS = 4
MEMORY_LIMIT = 10 * 1024 * 1024
# How far the gap between two readings may stray from the gap between the
# keys that made them: the keys travel through a pipe and the driver, which
# a busy machine (or a sanitized build) can hold up for a while.
PRESS_TOLERANCE_S = 0.050
SANITIZED_PRESS_TOLERANCE_S = 0.200


def upgrade(target):
    return ('GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
            'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n'
            % target).encode()


def hostile_kinds(token):
    t = token.encode()
    return [
        b'GARBAGE\r\n\r\n',
        b'\x00\x01\x02\x03\r\n\r\n',
        b'GET / HTTP/9.9\r\n\r\n',
        b'GET /\r\n\r\n',
        b'GET / HTTP/1.1\r\n\r\n',
        b'GET /?t=' + b'f' * 32 + b' HTTP/1.1\r\n\r\n',
        b'GET /?t=' + t[:31] + b' HTTP/1.1\r\n\r\n',
        b'GET /../../../../etc/passwd?t=' + t + b' HTTP/1.1\r\n\r\n',
        b'GET /live.js/../../secret?t=' + t + b' HTTP/1.1\r\n\r\n',
        b'POST /?t=' + t + b' HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello',
        b'OPTIONS * HTTP/1.1\r\n\r\n',
        b'GET /' + b'a' * 30000 + b' HTTP/1.1\r\n\r\n',
        b'GET /?t=' + t + b' HTTP/1.1\r\nX: ' + b'b' * 30000 + b'\r\n\r\n',
        b'GET /?t=' + t + b' HTTP/1.1\r\n' + b'X-A: b\r\n' * 4000 + b'\r\n',
        b'GET /?t=' + t + b' HTTP/1.1\r\nContent-Length: 1000000000\r\n\r\n' + b'c' * 20000,
        upgrade('/live?t=bad'),
        upgrade('/other?t=' + token),
    ]


def connect(port, receive_buffer=None):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    if receive_buffer:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    s.settimeout(5)
    s.connect(('127.0.0.1', port))
    return s


def status_of(s, request):
    """Sends the request; the status code of the answer (0: closed without one)."""
    s.sendall(request)
    reply = b''
    while b'\r\n\r\n' not in reply:
        chunk = s.recv(4096)
        if not chunk:
            break
        reply += chunk
    return int(reply[9:12]) if reply.startswith(b'HTTP/1.1 ') else 0


class Attacker(threading.Thread):
    def __init__(self, port, kinds, first, count):
        super().__init__(daemon=True)
        self.port, self.kinds, self.first, self.count = port, kinds, first, count
        self.answered_2xx = self.hung = self.done = 0

    def run(self):
        for i in range(self.first, self.first + self.count):
            self.attack(self.kinds[i % len(self.kinds)])
            self.done += 1

    def attack(self, request):
        try:
            s = connect(self.port)
        except OSError:
            self.hung += 1
            return
        with s:
            try:
                s.sendall(request)
            except OSError:
                pass  # the server may close before all is sent: an answer too
            try:
                reply = s.recv(16)
                if reply.startswith(b'HTTP/1.1 2'):
                    self.answered_2xx += 1
            except socket.timeout:
                self.hung += 1  # neither answered nor closed within 5 s
            except OSError:
                pass


class Readers(threading.Thread):
    """Reads and drops whatever the viewers' sockets receive."""

    def __init__(self, sockets):
        super().__init__(daemon=True)
        self.sockets = list(sockets)
        self.stop = False

    def run(self):
        while not self.stop and self.sockets:
            ready, _, _ = select.select(self.sockets, [], [], 0.1)
            for s in ready:
                try:
                    if not s.recv(65536):
                        self.sockets.remove(s)
                except OSError:
                    self.sockets.remove(s)


def pressed_cells(lines):
    """(lap, microseconds) of the readings a press command wrote."""
    cells = []
    for line in lines:
        words = line.split()
        if words[0] == 'cell' and 1 <= int(words[2]) <= 4 and words[3] != '-':
            cells.append((int(words[1]), int(words[3])))
    return cells


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--program', required=True, help='the splitwatch program')
    parser.add_argument('--sanitized', action='store_true', help='the program is built with sanitizers')
    args = parser.parse_args()
    tolerance = SANITIZED_PRESS_TOLERANCE_S if args.sanitized else PRESS_TOLERANCE_S

    work = tempfile.mkdtemp(prefix='sw-program-hostile-')
    program = Program(args.program, '127.0.0.1:0', os.path.join(work, 'config'), os.path.join(work, 'data'))
    port, token = program.port, program.token
    query = '?t=' + token
    try:
        # Warm up once (the page and the stream), then take the measure.
        with connect(port) as s:
            assert status_of(s, ('GET /%s HTTP/1.1\r\n\r\n' % query).encode()) == 200
        with connect(port) as s:
            assert status_of(s, upgrade('/live' + query)) == 101
        time.sleep(0.5)
        before = program.memory()

        program.key('F12')
        lines = program.press()[1]
        assert pressed_cells(lines) == [(0, pressed_cells(lines)[0][1])], lines  # the start press

        silent = [connect(port) for _ in range(40)]
        viewers = []
        for _ in range(32):
            v = connect(port)
            assert status_of(v, upgrade('/live' + query)) == 101
            viewers.append(v)
        with connect(port) as s:
            assert status_of(s, upgrade('/live' + query)) == 503, 'the 33rd viewer was let in'
        viewers.pop().close()
        time.sleep(0.2)
        stalled = connect(port, receive_buffer=4096)
        stalled.sendall(upgrade('/live' + query))  # and never reads
        readers = Readers(viewers)
        readers.start()

        kinds = hostile_kinds(token)
        attackers = [Attacker(port, kinds, i * HOSTILE_REQUESTS // ATTACKERS, HOSTILE_REQUESTS // ATTACKERS)
                     for i in range(ATTACKERS)]
        for a in attackers:
            a.start()
        # Timing goes on meanwhile: every press is recorded, the conditions
        # change between presses (each change a snapshot for every viewer).
        presses_during = 0
        deadline = time.monotonic() + 240
        while any(a.is_alive() for a in attackers) and time.monotonic() < deadline:
            cells = pressed_cells(program.press()[1])
            assert len(cells) == 1, 'a press during the attack was not recorded: %r' % cells
            presses_during += 1
            program.key('F6' if presses_during % 2 else 'F7')
        assert not any(a.is_alive() for a in attackers), 'the attack did not finish within its bound'
        attack_ended = time.monotonic()
        sent = sum(a.done for a in attackers)
        answered_2xx = sum(a.answered_2xx for a in attackers)
        hung = sum(a.hung for a in attackers)
        print('%d hostile requests, %d answered 2xx, %d unanswered; %d presses during the attack'
              % (sent, answered_2xx, hung, presses_during))
        assert sent == HOSTILE_REQUESTS
        assert answered_2xx == 0
        assert hung == 0

        # The silent connections were dropped after the request timeout.
        for s in silent:
            s.settimeout(20)
            try:
                while s.recv(4096):
                    pass
            except socket.timeout:
                raise AssertionError('a connection that never sent was kept')
            except OSError:
                pass  # reset: dropped too

        # The page is served again. The server counts the attack's last
        # connections until their request timeout (10 s) lets go of them, and
        # refuses more than 64 with 503 meanwhile.
        while True:
            with connect(port) as s:
                status = status_of(s, ('GET /live.js%s HTTP/1.1\r\n\r\n' % query).encode())
            if status == 200 or time.monotonic() - attack_ended > 30:
                break
            time.sleep(0.5)
        print('the page is served again %.1f s after the attack' % (time.monotonic() - attack_ended))
        assert status == 200, 'the page after the attack: %d' % status
        readers.stop = True
        readers.join()
        for s in silent + viewers + [stalled]:
            s.close()

        # Presses after the attack are recorded exactly.
        previous = None
        for _ in range(5):
            sent_ms, lines = program.press()
            cells = pressed_cells(lines)
            assert len(cells) == 1, 'a press after the attack was not recorded: %r' % lines
            if previous:
                key_gap = (sent_ms - previous[0]) / 1000.0
                reading_gap = (cells[0][1] - previous[1]) / 1e6
                assert abs(reading_gap - key_gap) <= tolerance, \
                    'reading gap %.4f s for a key gap of %.4f s' % (reading_gap, key_gap)
            previous = (sent_ms, cells[0][1])

        # The memory comes back once the server has let go of the connections.
        deadline = time.monotonic() + 20
        while True:
            after = program.memory()
            if after - before < MEMORY_LIMIT or time.monotonic() > deadline or args.sanitized:
                break
            time.sleep(0.5)
        print('resident memory before %.1f MiB, after %.1f MiB' % (before / 1048576.0, after / 1048576.0))
        if not args.sanitized:
            assert after - before < MEMORY_LIMIT, 'memory did not come back within 10 MiB'
        print('program hostile traffic test passed')
        return 0
    finally:
        program.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
