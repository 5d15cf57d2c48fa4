"""The real-host fixture: a private JACK server on the dummy backend, the
hosts a test starts on it, and a MIDI client that plays events into a host
at exact frames and records what comes out, with their frames.

Every server has a name of its own, never JACK's default. Every process
started runs in a process group of its own with its standard input held
open (jalv ends when it closes) and is stopped, group and all, when its
block ends, whatever happened; the kernel ends it too if the test is
killed. deadline() turns a hang into TimeoutError before ctest's timeout.
"""

import contextlib
import itertools
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

try:
    import jack
except ImportError:  # require() says so
    jack = None

SKIP = 77  # ctest's SKIP_RETURN_CODE


def skip(reason):
    print("SKIPPED: " + reason, flush=True)
    sys.exit(SKIP)


def require(*programs):
    """Skips the test, saying why, when something it needs is not installed."""
    missing = [p for p in ("jackd", "setpriv") + programs if not shutil.which(p)]
    if jack is None:
        missing.append("Python's jack module (python3-jack-client)")
    if missing:
        skip(f"{', '.join(missing)} not installed (scripts/setup.sh installs them)")


@contextlib.contextmanager
def deadline(seconds):
    """Raises TimeoutError in the main thread after `seconds`, or on SIGTERM
    or SIGHUP, so that every finally block stops what it started."""
    def expire(signum, _frame):
        raise TimeoutError(f"stopped by signal {signum} or after {seconds} s")
    saved = {s: signal.signal(s, expire) for s in (signal.SIGALRM, signal.SIGTERM, signal.SIGHUP)}
    signal.alarm(seconds)
    try:
        yield
    finally:
        signal.alarm(0)
        for s, handler in saved.items():
            signal.signal(s, handler)


def wait_until(what, predicate, timeout, interval=0.05):
    """Polls predicate until it returns something true, which is returned."""
    end = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > end:
            raise TimeoutError(f"{what}: nothing after {timeout} s")
        time.sleep(interval)
    return value


def attempt(action):
    """action()'s result, or None where JACK refuses it for now (its error
    messages, "cannot connect" or "not active", kept back meanwhile)."""
    jack.set_error_function(lambda message: None)
    try:
        return action()
    except jack.JackError:
        return None
    finally:
        jack.set_error_function(None)


def close_client(client):
    client.deactivate()
    client.close()


class Process:
    """A program in a process group of its own, its standard input a pipe held
    open until stop(), its output in a log file. `closing`: how long stop()
    lets it end by itself once its input is closed before signalling it (a
    host killed while a JACK client can leave a synchronous server stuck:
    ardour7-lua does)."""

    def __init__(self, argv, name, env, closing=0.0):
        self.name, self.argv, self.closing = name, argv, closing
        self.log = tempfile.NamedTemporaryFile(prefix=f"zephrin-{name}-", suffix=".log",
                                               delete=False)
        # setpriv: killed by the kernel if this process dies before stopping it.
        self.proc = subprocess.Popen(["setpriv", "--pdeathsig", "KILL", "--", *argv],
                                     stdin=subprocess.PIPE, stdout=self.log,
                                     stderr=subprocess.STDOUT, env=env, start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, kind, *exc):
        if kind is not None:
            self.report()
        self.stop()

    def report(self):
        print(f"--- {self.name} ({' '.join(self.argv)}) said:\n{self.output()[-4000:]}",
              file=sys.stderr)

    def output(self):
        with open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")

    def check_alive(self):
        if self.proc.poll() is not None:
            raise RuntimeError(f"{self.name} ended (status {self.proc.returncode}):\n"
                               + self.output())

    def finish(self, timeout):
        """Closes its input and waits up to `timeout` s for it to end: its exit
        status, or None if it still runs."""
        with contextlib.suppress(OSError):
            self.proc.stdin.close()
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(timeout)
        return self.proc.returncode

    def stop(self, grace=5.0):
        """finish(closing), then SIGTERM to its group and SIGKILL after `grace`
        s to what is left of it (the group may outlive its leader). Returns
        its exit status."""
        self.finish(self.closing)
        for sig in (signal.SIGTERM, signal.SIGKILL):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.killpg(self.proc.pid, sig)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.proc.wait(grace)
        self.log.close()
        os.unlink(self.log.name)
        return self.proc.returncode


_names = itertools.count()


def remove_leftovers(stopped=None, shm="/dev/shm"):
    """Removes the sockets and semaphores servers of ours left behind: those
    of the server named `stopped`, and those whose name holds the process
    id of a test no longer running (killed). (JACK frees a dead server's
    shared memory itself when the next server starts.)"""
    for entry in os.listdir(shm):
        found = re.match(r"jack(?:_sem\.\d+)?_(zephrin-(\d+)-\d+)_", entry)
        if not found:
            continue
        if found.group(1) != stopped:
            try:
                os.kill(int(found.group(2)), 0)
                continue  # its test still runs
            except PermissionError:
                continue
            except ProcessLookupError:
                pass
        with contextlib.suppress(OSError):
            os.unlink(os.path.join(shm, entry))


class JackServer:
    """jackd (jackd2) on the dummy backend under a name of its own; env holds
    what a program needs to reach it, and only it.

    Synchronous (-S): each cycle waits for every client to finish (up to -t
    ms), so a client the scheduler held up on a busy machine delays the
    cycle instead of losing or repeating it, as in JACK's default
    asynchronous mode. The dummy backend keeps real time; freewheel() runs
    the cycles back to back, each still carrying its frames."""

    def __init__(self, period=256, rate=48000):
        self.period, self.rate = period, rate
        self.name = f"zephrin-{os.getpid()}-{next(_names)}"
        self.env = dict(os.environ, JACK_DEFAULT_SERVER=self.name, JACK_NO_START_SERVER="1",
                        JACK_NO_AUDIO_RESERVATION="1")
        self.process = self.probe = None
        self.clients = []  # open, to be closed by stop()

    def _jackd(self, name, *options):
        return Process(["jackd", "-n", self.name, *options, "-d", "dummy", "-r", str(self.rate),
                        "-p", str(self.period)], name, self.env)

    def _connect(self, process):
        process.check_alive()
        client = attempt(lambda: jack.Client("zephrin-probe", no_start_server=True,
                                             servername=self.name))
        if client:
            client.activate()
        return client

    def __enter__(self):
        remove_leftovers()
        self.process = self._jackd("jackd", "-r", "-S", "-t", "5000")
        try:
            self.probe = wait_until(f"JACK server {self.name}",
                                    lambda: self._connect(self.process), 20, 0.1)
            self.clients.append(self.probe)
        except BaseException:
            self.stop(failed=True)
            raise
        return self

    def __exit__(self, kind, *exc):
        if kind is not None:
            self.process.report()
        self.stop(failed=kind is not None)

    def client(self, name):
        """A client of this server, closed by close() or stop()."""
        client = jack.Client(name, no_start_server=True, servername=self.name)
        self.clients.append(client)
        return client

    def close(self, client):
        close_client(client)
        self.clients.remove(client)

    def stop(self, failed=False):
        """Closes its clients, then stops jackd. After a failure, the other way
        round: a server stuck on a host that hung would hold the closing up
        past the deadline, which fires once; a server gone lets it through."""
        try:
            while self.clients and not failed:
                self.close(self.clients[-1])
        finally:
            status = self.process.stop()
            while self.clients:
                self.close(self.clients[-1])
            if status == -signal.SIGKILL:
                self._reclaim()
            remove_leftovers(self.name)

    def _reclaim(self):
        """JACK's registry of running servers has eight entries; a server
        frees its own when it ends normally, and a dead server's when one of
        the same name starts. After a SIGKILL, a spare server (asynchronous,
        so that SIGTERM ends it) starts under this name and ends, so the
        entry does not stay taken until the machine restarts."""
        with self._jackd("jackd-spare") as spare, \
                contextlib.suppress(TimeoutError, RuntimeError):
            close_client(wait_until(f"spare JACK server {self.name}",
                             lambda: self._connect(spare), 10, 0.1))

    def start(self, argv, name, env=None, closing=0.0):
        """A program that talks to this server (a host): a Process."""
        return Process(argv, name, dict(self.env, **(env or {})), closing)

    def wait_for_midi_ports(self, client, process, timeout=20):
        """The client's first MIDI (input, output) ports, once both exist;
        fails at once if process ended."""
        def both():
            process.check_alive()
            ins, outs = (self.probe.get_ports(f"^{client}:", is_midi=True, is_input=i,
                                              is_output=not i) for i in (True, False))
            return ins and outs and (ins[0].name, outs[0].name)
        return wait_until(f"MIDI ports of {client}", both, timeout)

    def freewheel(self, on):
        self.probe.set_freewheel(on)


class MidiClient:
    """Plays MIDI events into a host at exact frames and records what comes
    back. Two JACK clients, a sender and a recorder, so that the chain
    sender -> host -> recorder runs in one cycle with no feedback loop: a
    host that keeps its events' frames gives them back in the same cycle at
    the same frames."""

    def __init__(self, server):
        self.server = server
        self.sender = server.client("zephrin-midi-send")
        self.recorder = server.client("zephrin-midi-record")
        self.out = self.sender.midi_outports.register("out")
        self.inp = self.recorder.midi_inports.register("in")
        self._lock = threading.Lock()
        self._events = []      # (absolute frame, bytes) to send, in order
        self._next = 0
        self._start = None     # absolute frame of the stream's frame 0
        self._end = None       # absolute frame after which recording stops
        self._armed = None     # (events, tail) waiting for the next cycle
        self._recorded = []
        self._lost = 0
        self._done = threading.Event()
        self.sender.set_process_callback(self._send)
        self.recorder.set_process_callback(self._record)
        self.sender.activate()
        self.recorder.activate()

    def __enter__(self):
        return self

    def __exit__(self, kind, *exc):
        if kind is None:  # after a failure, the server closes them (JackServer.stop)
            self.server.close(self.sender)
            self.server.close(self.recorder)

    def connect(self, host_in, host_out, timeout=20):
        """Sender to the host's MIDI input, the host's MIDI output to the
        recorder. A host registers its ports before it activates its client,
        and JACK refuses to connect an inactive client's ports: each
        connection is tried again until it holds."""
        def made(client, source, destination):
            connected = {p.name for p in self.server.probe.get_all_connections(source)}
            return destination in connected or attempt(
                lambda: client.connect(source, destination) or True)
        wait_until(f"{self.out.name} to {host_in}",
                   lambda: made(self.sender, self.out.name, host_in), timeout)
        wait_until(f"{host_out} to {self.inp.name}",
                   lambda: made(self.recorder, host_out, self.inp.name), timeout)

    def _send(self, frames):
        self.out.clear_buffer()
        now = self.sender.last_frame_time
        with self._lock:
            if self._armed is not None:
                events, tail = self._armed
                self._armed = None
                # Two cycles ahead, on a cycle's first frame: the connections
                # are made and the stream's periods are known.
                self._start = now + 2 * frames
                self._events = [(self._start + f, data) for f, data in events]
                self._next = 0
                last = self._events[-1][0] if self._events else self._start
                self._end = last + tail
            while self._next < len(self._events) and self._events[self._next][0] < now + frames:
                at, data = self._events[self._next]
                try:
                    self.out.write_midi_event(max(at - now, 0), data)
                except jack.JackError:
                    self._lost += 1  # the port's buffer is full for this cycle
                self._next += 1

    def _record(self, frames):
        now = self.recorder.last_frame_time
        with self._lock:
            start, end = self._start, self._end
        for offset, data in self.inp.incoming_midi_events():
            if start is not None:
                self._recorded.append((now + offset - start, bytes(data)))
        if end is not None and now >= end:
            self._done.set()

    def play(self, events, timeout=None):
        """Sends events, [(frame, bytes)] in frame order (livestream.parse
        makes them so), frame 0 at the start of a cycle, and returns what the
        host gave back meanwhile and for two periods after the last, with
        frames counted from the same frame 0."""
        tail = 2 * self.server.period
        span = (events[-1][0] if events else 0) + tail + 4 * self.server.period
        timeout = timeout or 10 + 4 * span / self.server.rate
        with self._lock:
            self._recorded = []
            self._lost = 0
            self._start = self._end = None
            self._done.clear()
            self._armed = (events, tail)
        if not self._done.wait(timeout):
            raise TimeoutError(f"the JACK cycles did not reach the stream's end in {timeout:.0f} s")
        with self._lock:
            recorded, self._recorded = self._recorded, []
            self._start = self._end = None
        if self._lost:
            raise RuntimeError(f"{self._lost} events found no room in their cycle's buffer")
        return recorded
