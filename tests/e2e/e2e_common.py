"""What the end-to-end scripts share: the archive's records, waiting, and
the program's windows as xdotool finds them on an X display.
Standard library only."""

import subprocess
import time

CAPACITY = (80, 20, 6, 10, 15, 10, 16)
RECORD = sum(c + 1 for c in CAPACITY)  # 164
MAIN_TITLE = "Ricordex - promemoria delle scadenze"


def pack(texts):
    """One 164-byte record of the seven texts, in code page 1252."""
    out = b""
    for text, capacity in zip(texts, CAPACITY):
        data = text.encode("cp1252")
        out += bytes([len(data)]) + data + b"\0" * (capacity - len(data))
    return out


def descriptions(path):
    data = open(path, "rb").read()
    assert len(data) % RECORD == 0, f"archive of {len(data)} bytes"
    return sorted(data[i + 1:i + 1 + min(data[i], CAPACITY[0])].decode("cp1252") for i in range(0, len(data), RECORD))


def wait_for(what, check, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        result = check()
        if result:
            return result
        time.sleep(0.2)
    raise AssertionError(f"timed out after {timeout} s waiting for {what}")


class Windows:
    """The windows of one PC's display: `x_env` is the environment naming
    its DISPLAY, `label` how failures name the PC."""

    x_env = None
    label = ""

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.x_env, capture_output=True, text=True)
        return result.stdout.split()

    def window(self, title):
        found = self.xdotool("search", "--onlyvisible", "--name", "^" + title + "$")
        return found[0] if found else None

    def wait_window(self, title, timeout=30):
        return wait_for(f"{self.label}: window '{title}'", lambda: self.window(title), timeout)

    def wait_gone(self, title, timeout=30):
        wait_for(f"{self.label}: window '{title}' to close", lambda: not self.window(title), timeout)
