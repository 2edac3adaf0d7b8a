"""Progress the host's way: the caller's function, or tqdm bars when tqdm is
installed, or nothing."""

try:
    from tqdm.auto import tqdm as _tqdm
except ImportError:  # tqdm is optional
    _tqdm = None

# A bar shows only for a phase that lasts longer than this, as the command
# line's phase lines do: short runs stay silent.
BAR_DELAY_SECONDS = 2


class BarProgress:
    """progress(phase, done, total) as one tqdm bar per phase."""

    def __init__(self):
        self.bar = None
        self.phase = None

    def __call__(self, phase, done, total):
        if phase != self.phase:
            self.close()
            self.phase = phase
            self.bar = _tqdm(total=total or None, desc=phase, delay=BAR_DELAY_SECONDS)
        # update() shows the bar only once the delay has passed.
        self.bar.update(done - self.bar.n)

    def close(self):
        if self.bar is not None:
            self.bar.close()
        self.bar = None
        self.phase = None


def progress_of(progress):
    """The callable the module calls (or None), and what to close after."""
    if progress is False:
        return None, None
    if progress is None or progress is True:
        if _tqdm is None:
            if progress is True:
                raise ValueError("progress=True shows tqdm bars, and tqdm is not installed "
                                 "(Debian: apt-get install python3-tqdm); give a function instead")
            return None, None
        bars = BarProgress()
        return bars, bars
    if not callable(progress):
        raise TypeError("progress: a function progress(phase, done, total), True, False or None, "
                        f"not {type(progress).__name__}")
    return progress, None


def log_of(log):
    """The run log's destination: None, a function of the text, or a file."""
    if log is None or callable(log):
        return log
    if hasattr(log, "write"):
        return log.write
    raise TypeError(f"log: a function log(text), an open file or None, not {type(log).__name__}")
