"""Splitwatch run as a child process under its test driver, sharing on loopback.

The program is started offscreen with --share and SPLITWATCH_TEST_DRIVER=
skip-speed-check (commands on stdin, see src/app/TestDriver.h); it prints its
link on stdout. The settings (and with them the access token) live in
config_home, the race journals in data_home.
"""

import os
import queue
import subprocess
import threading
import time

# The race refuses a press within a second of the one before.
PRESS_GAP_S = 1.1


class Program:
    def __init__(self, program, share, config_home, data_home):
        env = dict(os.environ, QT_QPA_PLATFORM='offscreen', SPLITWATCH_TEST_DRIVER='skip-speed-check',
                   XDG_CONFIG_HOME=config_home, XDG_DATA_HOME=data_home)
        self.process = subprocess.Popen([program, '--share', share], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, bufsize=1, env=env)
        self.lines = queue.Queue()
        self.links = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.url = self.links.get(timeout=30)
        self.wait_line(lambda line: line == 'ready', 'ready')
        self.last_press = 0.0

    def _read(self):
        for line in self.process.stdout:
            line = line.rstrip('\n')
            if line.startswith('http://'):
                self.links.put(line)
            else:
                self.lines.put(line)

    def wait_line(self, accept, what, timeout=20, seen=None):
        deadline = time.monotonic() + timeout
        while True:
            line = self.lines.get(timeout=max(0.01, deadline - time.monotonic()))
            if line.startswith('error'):
                raise AssertionError('the driver said %r waiting for %s' % (line, what))
            if accept(line):
                return line
            if seen is not None:
                seen.append(line)

    def command(self, line):
        """Sends a driver command; returns (epoch ms it was sent at, the lines before its ok)."""
        sent_ms = time.time() * 1000.0
        self.process.stdin.write(line + '\n')
        self.process.stdin.flush()
        seen = []
        self.wait_line(lambda reply: reply == 'ok ' + line, line, seen=seen)
        return sent_ms, seen

    def key(self, name):
        sent_ms = self.command('key ' + name)[0]
        if name == 'F12':
            self.last_press = time.monotonic()  # arming counts as a press for the one-second rule
        return sent_ms

    def press(self, extra_gap_s=0.0):
        """F2, a little over a second (and extra_gap_s) after the last one; returns (sent ms, lines)."""
        wait = self.last_press + PRESS_GAP_S + extra_gap_s - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        self.last_press = time.monotonic()
        return self.command('key F2')

    def answered_key(self, name):
        self.command('answer Yes')
        return self.key(name)

    def memory(self):
        lines = self.command('memory')[1]
        return int([l for l in lines if l.startswith('memory ')][0].split()[1])

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)

    @property
    def port(self):
        return int(self.url.split('/')[2].split(':')[1])

    @property
    def token(self):
        return self.url.split('?t=')[1]

    @property
    def base(self):
        return self.url.split('/?')[0]
