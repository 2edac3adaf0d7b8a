"""How a run meets its host: arrays read where they are, progress told to
a callback, and a run stopped by Ctrl-C or by a callback that raises,
leaving no thread, process or file behind."""

import os
import signal
import threading
import time
import tracemalloc

import numpy as np
import pytest

import verdalis


def every_pair(n, seed=7):
    """n patches at random in a 20 km square, every ordered pair with its
    centre distance, as int32 and float32 arrays."""
    rng = np.random.default_rng(seed)
    xy = rng.uniform(0, 20000, size=(n, 2))
    first, second = np.nonzero(~np.eye(n, dtype=bool))
    nodes = {"id": np.arange(1, n + 1, dtype=np.int32), "attribute": rng.uniform(1, 10, n).astype(np.float32)}
    links = {"from": (first + 1).astype(np.int32), "to": (second + 1).astype(np.int32),
             "value": np.hypot(*(xy[first] - xy[second]).T).astype(np.float32)}
    return nodes, links


def python_peak(call):
    tracemalloc.start()
    try:
        call()
        return tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()


def test_int32_and_float32_columns_are_not_copied():
    nodes, links = every_pair(1001)  # 1,001,000 pairs: 4 MB a column
    column = links["value"].nbytes

    def run(value):
        r = verdalis.analyse(nodes, dict(links, value=value), ["NC"], all=True, conf_adj=1000, only_overall=True,
                             progress=False)
        assert r.overall["NC"] >= 1

    assert python_peak(lambda: run(links["value"])) < column / 4
    assert python_peak(lambda: run(links["value"].astype(np.float64))) >= column


def test_progress_reaches_the_callback_phase_by_phase():
    nodes, links = every_pair(500)
    calls = []
    verdalis.analyse(nodes, links, ["PC", "IIC"], all=True, conf_adj=1000, conf_prob=(1000, 0.5),
                     land_area=40000, threads=1, progress=lambda *call: calls.append(call))
    assert calls, "no progress in a run of seconds"
    assert all(0 <= done <= total for _, done, total in calls if total > 0)
    ends = {phase: done for phase, done, total in calls}
    last = {phase: total for phase, done, total in calls}
    assert all(ends[phase] == last[phase] for phase in ends if last[phase] > 0)


def leftovers():
    """The threads of this process, its children and the files of its folder."""
    tasks = os.listdir("/proc/self/task")
    children = "".join(open(f"/proc/self/task/{t}/children").read() for t in tasks)
    return len(tasks), children, sorted(os.listdir("."))


def settled(before, wait=2.0):
    """Whether leftovers() comes back to before: a thread that was joined
    can still be listed in /proc for a moment while the kernel lets it go."""
    end = time.monotonic() + wait
    while leftovers() != before:
        if time.monotonic() > end:
            return False
        time.sleep(0.01)
    return True


def long_run(**options):
    nodes, links = every_pair(400)
    return verdalis.analyse(nodes, links, ["PC", "IIC"], all=True, conf_adj=1000, conf_prob=(1000, 0.5),
                            land_area=40000, reference=True, **options)


def test_ctrl_c_stops_the_run(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    # A shell starts background jobs with SIGINT ignored, and Python then
    # leaves it ignored: the test gives Ctrl-C its interactive meaning.
    previous = signal.signal(signal.SIGINT, signal.default_int_handler)
    try:
        before = leftovers()
        timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
        start = time.monotonic()
        timer.start()
        with pytest.raises(KeyboardInterrupt):
            long_run(progress=False)
        timer.join()
        assert time.monotonic() - start < 10  # the run alone takes minutes
        assert settled(before)
    finally:
        signal.signal(signal.SIGINT, previous)
    # The process goes on: the next run runs.
    nodes, links = every_pair(20)
    assert verdalis.analyse(nodes, links, ["NC"], all=True, conf_adj=5000).overall["NC"] >= 1


def test_a_callback_that_raises_stops_the_run():
    class Enough(Exception):
        pass

    def progress(phase, done, total):
        raise Enough(phase)

    start = time.monotonic()
    with pytest.raises(Enough):
        long_run(progress=progress)
    assert time.monotonic() - start < 10


def test_the_run_log_goes_to_a_function():
    nodes, links = every_pair(20)
    text = []
    verdalis.analyse(nodes, links, ["NC"], all=True, conf_adj=5000, log=text.append)
    assert "Number of nodes to process: 20\nSum of the attributes" in "".join(text)
