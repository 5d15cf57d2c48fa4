"""The real-host fixture: a private JACK server on the dummy backend, the
hosts a test starts on it, and a MIDI client that plays events into a host
at exact frames and records what comes out, with their frames.

    import jackfixture as jf
    with jf.Deadline(60), jf.JackServer(period=256) as server:
        with server.start(["jalv", "-n", "map", URI], "jalv") as jalv:
            host_in, host_out = server.wait_for_midi_ports("map", jalv)
            with jf.MidiClient(server) as midi:
                midi.connect(host_in, host_out)
                got = midi.play([(0, b"\\x90\\x60\\x7f"), (300, b"\\x80\\x60\\x00")])
                # got: [(frame, bytes), ...] relative to the first event's cycle

Every server gets a name of its own (never JACK's default); every process
started runs in a process group of its own with its standard input held
open (jalv ends when it closes) and is stopped, group and all, when its
block ends, whatever happened; the kernel ends them too if this process is
killed (parent-death signal). Deadline turns a hang into TimeoutError before
the test runner's own timeout. Frames: events go out at exact frames counted
from the start of a JACK cycle, so which period each falls into is known;
the sender, the host and the recorder are three clients in one chain with
no feedback loop, so a host that keeps its events' frames gives them back in
the same cycle at the same frames.
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
    """Ends the test as skipped (exit 77), saying why."""
    print("SKIPPED: " + reason, flush=True)
    sys.exit(SKIP)


def require(*programs):
    """Skips the test, saying why, when a program it needs is not installed."""
    missing = [p for p in ("jackd", "setpriv") + programs if not shutil.which(p)]
    if jack is None:
        missing.append("Python's jack module (python3-jack-client)")
    if missing:
        skip(f"{', '.join(missing)} not installed (scripts/setup.sh installs them)")


class Deadline:
    """Raises TimeoutError in the main thread after `seconds`, so that every
    finally block stops what it started; SIGTERM and SIGHUP end the run the
    same way."""

    def __init__(self, seconds):
        self.seconds = seconds

    def __enter__(self):
        def expire(signum, _frame):
            raise TimeoutError(f"stopped by signal {signum} or after {self.seconds} s")

        self.saved = {s: signal.signal(s, expire) for s in (signal.SIGALRM, signal.SIGTERM,
                                                              signal.SIGHUP)}
        signal.alarm(self.seconds)
        return self

    def __exit__(self, *exc):
        signal.alarm(0)
        for s, handler in self.saved.items():
            signal.signal(s, handler)
        return False


def wait_until(what, predicate, timeout, interval=0.05):
    """Polls predicate until it returns something true, which is returned."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError(f"{what}: nothing after {timeout} s")
        time.sleep(interval)


class Process:
    """A program in a process group of its own, its standard input a pipe held
    open until stop(), its output in a log file. A context manager.
    `closing` is how long stop() lets it end by itself once its input is
    closed before signalling it: a host killed while it is a JACK client
    can leave a synchronous server stuck (Ardour's ardour7-lua does)."""

    def __init__(self, argv, name, env=None, cwd=None, closing=0.0):
        self.name = name
        self.argv = list(argv)
        self.closing = closing
        self.log = tempfile.NamedTemporaryFile(prefix=f"zephrin-{name}-", suffix=".log",
                                               delete=False)
        # setpriv: killed by the kernel if this process dies before stopping it.
        self.proc = subprocess.Popen(["setpriv", "--pdeathsig", "KILL", "--"] + self.argv,
                                     stdin=subprocess.PIPE, stdout=self.log,
                                     stderr=subprocess.STDOUT, env=env, cwd=cwd,
                                     start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, kind, *exc):
        if kind is not None:
            self.report()
        self.stop()
        return False

    def report(self):
        """What it said, for the reader of a failed test."""
        print(f"--- {self.name} ({' '.join(self.argv)}) said:\n{self.output()[-4000:]}",
              file=sys.stderr)

    def alive(self):
        return self.proc.poll() is None

    def send(self, text):
        """Writes a line to the program's standard input."""
        self.proc.stdin.write(text.encode() + b"\n")
        self.proc.stdin.flush()

    def output(self):
        with contextlib.suppress(OSError), open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")
        return ""

    def check_alive(self):
        if not self.alive():
            raise RuntimeError(f"{self.name} ended (status {self.proc.returncode}):\n"
                               + self.output())

    def finish(self, timeout):
        """Closes its input and waits up to `timeout` seconds for it to end:
        its exit status, or None if it still runs."""
        with contextlib.suppress(OSError):
            self.proc.stdin.close()
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(timeout)
        return self.proc.returncode

    def stop(self, grace=5.0):
        """Closes its input, waits `closing` seconds for it to end, then ends
        its whole group: SIGTERM, SIGKILL after `grace` seconds. Returns its
        exit status."""
        self.finish(self.closing)
        for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, grace)):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.killpg(self.proc.pid, sig)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.proc.wait(wait)
                break
        # The group may outlive its leader: end what is left of it.
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(self.proc.pid, signal.SIGKILL)
        self.log.close()
        with contextlib.suppress(OSError):
            os.unlink(self.log.name)
        return self.proc.returncode


_names = itertools.count()


def remove_leftovers(shm="/dev/shm"):
    """Removes the sockets and semaphores a server of ours left behind when
    the test that ran it was killed: those whose name holds the process id
    of a test no longer running. (JACK frees a dead server's shared memory
    itself when the next server starts.)"""
    for entry in os.listdir(shm):
        found = re.match(r"jack(?:_sem\.\d+)?_zephrin-(\d+)-\d+_", entry)
        if not found:
            continue
        try:
            os.kill(int(found.group(1)), 0)
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
    cycle instead of losing or repeating it, as it does in JACK's default
    asynchronous mode. The dummy backend keeps real time (its -w sets the
    period, not a shorter pause); freewheel() runs the cycles back to back
    instead, as fast as the clients go, each still carrying its frames."""

    def __init__(self, period=256, rate=48000, name=None):
        self.period = period
        self.rate = rate
        self.name = name or f"zephrin-{os.getpid()}-{next(_names)}"
        self.env = dict(os.environ, JACK_DEFAULT_SERVER=self.name, JACK_NO_START_SERVER="1",
                        JACK_NO_AUDIO_RESERVATION="1")
        self.argv = ["jackd", "-n", self.name, "-r", "-S", "-t", "5000",
                     "-d", "dummy", "-r", str(rate), "-p", str(period)]
        self.process = None
        self._probe = None

    def __enter__(self):
        remove_leftovers()
        self.process = Process(self.argv, "jackd", env=self.env)
        try:
            self._probe = wait_until(f"JACK server {self.name}",
                                     lambda: self._connect(self.process), 20, 0.1)
        except BaseException:
            self.process.stop()
            raise
        return self

    def _connect(self, process):
        process.check_alive()
        jack.set_error_function(lambda message: None)  # "cannot connect" until it is up
        try:
            client = jack.Client("zephrin-probe", no_start_server=True, servername=self.name)
        except jack.JackError:
            return None
        finally:
            jack.set_error_function(None)
        client.activate()
        return client

    def __exit__(self, kind, *exc):
        if kind is not None and self.process:
            self.process.report()
        self.stop()
        return False

    def stop(self):
        try:
            if self._probe:
                probe, self._probe = self._probe, None
                with contextlib.suppress(jack.JackError):
                    probe.deactivate()
                    probe.close()
        finally:
            # Even when a stuck server holds the probe up until the deadline.
            if self.process and self.process.stop() == -signal.SIGKILL:
                self._reclaim()

    def _reclaim(self):
        """JACK's registry of running servers has eight entries; a server
        frees its own when it ends normally, and a dead server's when one of
        the same name starts. After a SIGKILL, a spare server (asynchronous,
        so that SIGTERM ends it) starts under this name and ends, so the
        entry does not stay taken until the machine restarts."""
        argv = ["jackd", "-n", self.name, "-d", "dummy", "-r", str(self.rate),
                "-p", str(self.period)]
        with Process(argv, "jackd-spare", env=self.env) as spare, \
                contextlib.suppress(TimeoutError, RuntimeError):
            client = wait_until(f"spare JACK server {self.name}",
                                lambda: self._connect(spare), 10, 0.1)
            client.deactivate()
            client.close()

    def start(self, argv, name, cwd=None, env=None, closing=0.0):
        """A program that talks to this server (a host): a Process."""
        return Process(argv, name, env=dict(self.env, **(env or {})), cwd=cwd, closing=closing)

    def ports(self, pattern="", midi=False, is_input=False, is_output=False):
        return [p.name for p in self._probe.get_ports(pattern, is_midi=midi, is_input=is_input,
                                                      is_output=is_output)]

    def wait_for_midi_ports(self, client, process=None, timeout=20, inputs=None, outputs=None):
        """A host's MIDI input and output port, once both exist: (input,
        output), the first of the client's own, or the first whose names
        match the regular expressions `inputs` and `outputs` (for a host with
        many, such as a track's in Ardour). Fails at once if `process` ended."""
        def both():
            if process:
                process.check_alive()
            ins = self.ports(inputs or f"^{client}:", midi=True, is_input=True)
            outs = self.ports(outputs or f"^{client}:", midi=True, is_output=True)
            return (ins[0], outs[0]) if ins and outs else None
        return wait_until(f"MIDI ports of {client}", both, timeout)

    def connect(self, source, destination):
        self._probe.connect(source, destination)

    def freewheel(self, on):
        """Cycles back to back (True) or at the backend's real-time pace."""
        self._probe.set_freewheel(on)


class MidiClient:
    """Plays MIDI events into a host at exact frames and records what comes
    back. Two JACK clients, a sender and a recorder, so that the chain
    sender -> host -> recorder runs in one cycle."""

    def __init__(self, server, name="zephrin-midi"):
        self.server = server
        self.period = server.period
        kw = dict(no_start_server=True, servername=server.name)
        self.sender = jack.Client(f"{name}-send", **kw)
        self.recorder = jack.Client(f"{name}-record", **kw)
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

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for client in (self.sender, self.recorder):
            with contextlib.suppress(jack.JackError):
                client.deactivate()
                client.close()

    def connect(self, host_in, host_out, timeout=20):
        """Sender to the host's MIDI input, the host's MIDI output to the
        recorder. A host registers its ports before it activates its client,
        and JACK refuses to connect the ports of an inactive client, so each
        connection is tried again until it holds."""
        def made(connect, source, destination):
            if destination in {p.name for p in self.server._probe.get_all_connections(source)}:
                return True
            jack.set_error_function(lambda message: None)  # "not active" meanwhile
            try:
                connect(source, destination)
                return True
            except jack.JackError:
                return False
            finally:
                jack.set_error_function(None)
        wait_until(f"{self.out.name} to {host_in}",
                   lambda: made(self.sender.connect, self.out.name, host_in), timeout)
        wait_until(f"{host_out} to {self.inp.name}",
                   lambda: made(self.recorder.connect, host_out, self.inp.name), timeout)

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

    def play(self, events, tail_frames=None, timeout=None):
        """Sends events, (frame, bytes) in frame order, frame 0 at the start of
        a cycle, and returns what the host gave back meanwhile and for
        tail_frames after the last (default two periods): [(frame, bytes)],
        frames counted from the same frame 0."""
        events = [(int(f), bytes(d)) for f, d in events]
        if any(b[0] > a[0] for a, b in zip(events[1:], events)):
            raise ValueError("events must come in frame order")
        tail = self.period * 2 if tail_frames is None else tail_frames
        span = (events[-1][0] if events else 0) + tail + 4 * self.period
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
