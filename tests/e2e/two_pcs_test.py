#!/usr/bin/env python3
"""One archive on two PCs: two copies of Ricordex.exe, each in a Wine prefix
of its own (two PCs), on an X display of its own, with Dati pointing at the
same Unix folder through Z:. Real keys go to the real windows (xdotool).

    A adds "X", B adds "Y", both close with "Si": the archive holds both.
    A deletes "Zeta" and closes with "Si" while B runs with nothing unsaved:
      B follows the archive (its last row is no longer "Zeta") and never
      writes "Zeta" back.
    The same event edited on both: both versions are kept.
    A conflicted copy beside the archive adds its events at the next save.
    A is killed with "R" not saved while B saves "S": A's next start offers
      "R" back, and its save keeps both.
    The same correction made on both is kept once.
    B's save stopped half-way (its archive as "*.old", its new file in
      part): A's save takes B's archive back, keeps both PCs' events and
      leaves neither file, the partial one kept aside as "*.bak".

Environment: RICORDEX_EXE (the built program); optional
RICORDEX_PC_PREFIXES (two prefixes, made when missing; by default
wineprefix-pc-a and -pc-b in the build folder) and
RICORDEX_PC_DISPLAYS (two running X displays; otherwise two Xvfb are
started and stopped here). Standard library only.
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

from e2e_common import MAIN_TITLE, Windows, descriptions, pack, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, "..", "..", "tools")
TICK = 10  # seconds between the program's ticks, when it follows the archive


def record(description):
    return pack((description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"))


class Display:
    """An X display: the one given, or an Xvfb started on a free number."""

    def __init__(self, name=None):
        self.process = None
        if name:
            self.name = name
            return
        for number in range(130, 170):
            if not os.path.exists(f"/tmp/.X{number}-lock"):
                self.name = f":{number}"
                self.process = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                wait_for("Xvfb " + self.name, lambda: os.path.exists(f"/tmp/.X11-unix/X{number}"), 10)
                return
        raise AssertionError("no free X display number")

    def kill(self):
        """Ends the program as a crash would, once its change is kept."""
        wait_for(f"{self.name}: the recovery file", lambda: os.path.exists(self.recovery))
        self.process.kill()
        self.process.wait()
        self.process = None
        self.wait_gone(MAIN_TITLE)

    def stop(self):
        if self.process:
            self.process.terminate()
            self.process.wait()


class Pc(Windows):
    """One PC: a Wine prefix, a display, a program folder, and the program."""

    def __init__(self, name, prefix, display, folder, archive):
        self.name = self.label = name
        self.env = self.x_env = dict(os.environ, WINEPREFIX=prefix, DISPLAY=display, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("LC_ALL", None)
        self.process = None
        subprocess.run([os.path.join(TOOLS, "wine-prefix.sh")], env=self.env, check=True, stdout=subprocess.DEVNULL)
        # Each program a loose X window, not inside a virtual desktop, so
        # that its windows can be found and given keys from outside.
        self.reg("delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f")
        self.reg("delete", r"HKCU\SOFTWARE\Ricordex", "/f")
        self.reg("add", r"HKCU\SOFTWARE\Ricordex", "/v", "Dati", "/d", "Z:" + archive.replace("/", "\\"), "/f")
        self.reg("add", r"HKCU\SOFTWARE\Ricordex", "/v", "Avvio", "/t", "REG_DWORD", "/d", "2", "/f")
        # No changes left unsaved by an earlier run of this test.
        self.recovery = os.path.join(prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name, "AppData", "Local",
                                     "Ricordex", "Ricordex-recupero.psc")
        shutil.rmtree(os.path.dirname(self.recovery), ignore_errors=True)
        self.program = os.path.join(folder, "Ricordex.exe")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.environ["RICORDEX_EXE"], self.program)

    def reg(self, *args):
        subprocess.run(["wine", "reg", *args], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self, recovery=False):
        """Starts the program; with `recovery`, answers "Si" to its question
        about the changes a crash left unsaved."""
        self.process = subprocess.Popen(["wine", self.program], env=self.env, cwd=os.path.dirname(self.program),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if recovery:
            self.answer_yes("Ripristino Modifiche")
        self.keys_to(MAIN_TITLE)
        time.sleep(1)  # the list takes the focus once the window is shown

    def keys_to(self, title):
        """Waits for the window and gives it the keyboard."""
        window = self.wait_window(title)
        self.xdotool("windowfocus", "--sync", window)
        return window

    def key(self, *keys):
        self.xdotool("key", "--delay", "150", *keys)
        time.sleep(0.5)

    def type(self, text):
        self.xdotool("type", "--delay", "120", text)
        time.sleep(0.3)

    def answer_yes(self, title):
        self.keys_to(title)
        self.key("Return")  # "Si" is the default button
        self.wait_gone(title)

    def add(self, description):
        self.keys_to(MAIN_TITLE)
        self.key("Tab", "space")  # "Nuovo Evento"
        self.keys_to("Inserisci")
        self.type(description)
        self.key("Return")
        self.wait_gone("Inserisci")

    def edit_first(self, description):
        self.keys_to(MAIN_TITLE)
        self.key("Home", "Return")  # "Modifica" on the first row
        self.keys_to("Modifica")
        self.key("ctrl+a")
        self.type(description)
        self.key("Return")
        self.wait_gone("Modifica")

    def delete_last(self):
        self.keys_to(MAIN_TITLE)
        self.key("End", "Delete")
        self.answer_yes("Conferma Eliminazione")

    def close_saving(self, told=None, meanwhile=None):
        """Closes answering "Si" to "Salvare le modifiche?"; with `told`,
        also OK to a box of that title if one comes before the end (a
        report, shown when the program has it to tell). `meanwhile` runs
        while the question waits."""
        self.keys_to(MAIN_TITLE)
        self.key("alt+F4")
        if meanwhile:
            self.wait_window("Conferma Modifiche")
            meanwhile()
        titles = ["Conferma Modifiche"] + ([told] if told else [])

        def ended():
            for title in titles:
                if self.window(title):
                    self.answer_yes(title)  # Enter: "Si", or OK
            return self.process.poll() is not None

        wait_for(f"{self.name}: the program to end", ended)
        self.process = None

    def kill(self):
        """Ends the program as a crash would, once its change is kept."""
        wait_for(f"{self.name}: the recovery file", lambda: os.path.exists(self.recovery))
        self.process.kill()
        self.process.wait()
        self.process = None
        self.wait_gone(MAIN_TITLE)

    def stop(self):
        if self.process:
            self.process.kill()
            self.process.wait()
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)


def check(archive, expected, what):
    found = descriptions(archive)
    if found != sorted(expected):
        raise AssertionError(f"{what}: the archive holds {found}, expected {sorted(expected)}")
    print(f"ok: {what}: {found}")


def run(a, b, archive):
    with open(archive, "wb") as out:
        out.write(b"".join(record(d) for d in ("Alfa", "Beta", "Evento", "Zeta")))

    a.start()
    b.start()
    a.add("X")
    b.add("Y")
    a.close_saving()
    b.close_saving()
    check(archive, ["Alfa", "Beta", "Evento", "X", "Y", "Zeta"], "A adds X, B adds Y, both save")

    a.start()
    b.start()
    a.delete_last()  # "Zeta"
    a.close_saving()
    time.sleep(TICK + 3)  # B's next tick follows the archive
    # Having followed, B's last row is "Y": deleting it shows that B's list
    # is the archive's; without following B would delete its own "Zeta".
    b.delete_last()
    b.close_saving()
    check(archive, ["Alfa", "Beta", "Evento", "X"], "A deletes Zeta, B follows and saves")

    a.start()
    b.start()
    a.edit_first("Alfa di A")
    b.edit_first("Alfa di B")
    a.close_saving()
    b.close_saving()
    check(archive, ["Alfa di A", "Alfa di B", "Beta", "Evento", "X"], "Alfa edited on both")

    # A sync service left a conflicted copy made before "X" was added: its
    # own event joins at A's next save, "X" stays, and the copy is kept
    # aside as "*.merged".
    copy = os.path.join(os.path.dirname(archive), "Ricordex (conflicted copy 2026-12-01).psc")
    with open(copy, "wb") as out:
        out.write(b"".join(record(d) for d in ("Beta", "Evento", "Dalla copia")))
    a.start()
    a.add("W")
    a.close_saving()
    check(archive, ["Alfa di A", "Alfa di B", "Beta", "Dalla copia", "Evento", "W", "X"], "a conflicted copy")
    if os.path.exists(copy) or not os.path.exists(copy + ".merged"):
        raise AssertionError("the merged copy is not kept aside as *.merged")

    # A crash on A: its change comes back at its next start, merged with
    # what B saved meanwhile instead of undoing it.
    a.start()
    b.start()
    a.add("R")
    b.add("S")
    b.close_saving()
    a.kill()
    a.start(recovery=True)
    a.close_saving()
    check(archive, ["Alfa di A", "Alfa di B", "Beta", "Dalla copia", "Evento", "R", "S", "W", "X"],
          "A's change kept across a crash joins B's save")
    if os.path.exists(a.recovery):
        raise AssertionError("the save leaves the recovery file behind")


def same_correction_on_both(a, b, archive):
    with open(archive, "wb") as out:
        out.write(record("Alfa") + record("Beta"))
    a.start()
    b.start()
    a.edit_first("Alfa corretta")
    b.edit_first("Alfa corretta")
    a.close_saving()
    b.close_saving()
    check(archive, ["Alfa corretta", "Beta"], "the same correction made on both")


def other_pcs_stopped_swap(a, archive):
    """B's save stopped half-way: its archive (holding an event only B
    saved) under the name of the swap's moment, its new file written in
    part. A's save takes the archive back, merges it and leaves neither."""
    folder = os.path.dirname(archive)
    before = set(os.listdir(folder))
    with open(archive, "wb") as out:
        out.write(record("Alfa") + record("Beta"))
    a.start()
    a.add("Da A")
    partial = record("Alfa") + record("Beta")[:40]

    def stop_bs_swap():
        # Made while A asks whether to save: a tick's look finding them
        # before would tell the take-back in a box over the window. The new
        # file first, so that a look never finds the archive gone alone.
        with open(archive + ".new", "wb") as out:
            out.write(partial)
        with open(archive, "wb") as out:
            out.write(record("Alfa") + record("Beta") + record("Da B"))
        os.rename(archive, archive + ".old")

    a.close_saving(told="Ricordex", meanwhile=stop_bs_swap)
    check(archive, ["Alfa", "Beta", "Da A", "Da B"], "B's swap stopped half-way, then A saves")
    for left in (".old", ".new"):
        if os.path.exists(archive + left):
            raise AssertionError(f"the save leaves Ricordex.psc{left} behind")
    aside = [os.path.join(folder, name) for name in set(os.listdir(folder)) - before if name.endswith(".bak")]
    if len(aside) != 1 or open(aside[0], "rb").read() != partial:
        raise AssertionError(f"the partial new file is not kept aside whole: {aside}")


def main():
    if "RICORDEX_EXE" not in os.environ:
        sys.exit("RICORDEX_EXE names the built Ricordex.exe")
    work = tempfile.mkdtemp(prefix="ricordex-two-pcs-")
    prefixes = os.environ.get("RICORDEX_PC_PREFIXES", "").split() or [
        os.path.join(os.path.dirname(os.environ["RICORDEX_EXE"]), "..", "..", "wineprefix-pc-" + n) for n in "ab"]
    given = os.environ.get("RICORDEX_PC_DISPLAYS", "").split() or [None, None]
    displays = [Display(given[0]), Display(given[1])]
    shared = os.path.join(work, "Shared folder")
    os.makedirs(shared)
    archive = os.path.join(shared, "Ricordex.psc")
    pcs = []
    try:
        for name, prefix, display in zip("AB", prefixes, displays):
            pcs.append(Pc(name, os.path.abspath(prefix), display.name, os.path.join(work, "PC " + name), archive))
        run(pcs[0], pcs[1], archive)
        same_correction_on_both(pcs[0], pcs[1], archive)
        other_pcs_stopped_swap(pcs[0], archive)
    finally:
        for pc in pcs:
            pc.stop()
        for display in displays:
            display.stop()
        shutil.rmtree(work, ignore_errors=True)
    print("two PCs: all checks passed")


if __name__ == "__main__":
    main()
