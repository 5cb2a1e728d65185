#!/usr/bin/env python3
"""Alerts as a user lives them over hours and days, under a clock of our
own: the whole Wine session (the wineserver, every program in it, `wine
reg` included) runs with Debian's libfaketime preloaded, its time read from
a file that the test rewrites to move the clock while the program runs.

    Eleven alerts missed while the program was closed: the box names this
      morning's, and says how many more.
    An "Avvio Computer" event alerts once in a run, also when the clock is
      then set back before the start of the run.
    A one-off event answered after its time is not alerted again the days
      after.
    A one-off event whose text is corrected after its date is not alerted
      again the next year.
    Two PCs: A, holding an alert's stamp unsaved, takes in the event that B
      adds and saves, and alerts it.
    An alert put off ten minutes with "Posticipa" comes back once after ten
      minutes, not before; put off again to tomorrow at nine, it comes back
      the next morning, after a restart.
    An alert put off an hour whose event is deleted meanwhile does not come
      back.
    The box of the alerts missed puts all its lines off together: they come
      back together.

What works under Wine 8 here, found by trying:
  - A Windows program reads the time in its own process (GetLocalTime asks
    the host's clock there, not the wineserver): a wineserver started under
    faketime with a program that is not gives the program the real time.
    So every Wine process gets LD_PRELOAD, and the wineserver is ended
    between scenarios so that a fresh one starts under the same clock.
  - The "@date" form of FAKETIME does not do for a session: each process
    starts its own clock at that date when it starts (a program started
    5 s after another reads 5 s less). The offset form ("+N" seconds from
    the real time) in FAKETIME_TIMESTAMP_FILE gives them all one clock,
    and with FAKETIME_NO_CACHE=1 a new offset written there moves
    GetLocalTime in a running program at its next look.
  - FAKETIME_DONT_FAKE_MONOTONIC=1 leaves GetTickCount and the program's
    timers running on the real monotonic clock.
  - Moving the clock this way is time passing, not the clock being set:
    no WM_TIMECHANGE reaches the program.

Wine's message boxes, unlike Windows', copy nothing on Ctrl+C: a box's text
is read by box_text.exe, run in the same session. An edit's text is copied
with Ctrl+C, which Wine hands to X's clipboard, and read with xclip.

Environment: RICORDEX_EXE (the built program), RICORDEX_BOX_TEXT (the built
box_text.exe); optional RICORDEX_CLOCK_ONLY, the numbers of the scenarios
to run (e.g. "1 3"). Each scenario runs even when one before it failed; on
a failure a screenshot of each display is saved in the build folder.
Standard library only.
"""

import calendar
import datetime
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
LIBFAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
NEVER = "01/01/1900 00.01"
ALERT = "Avviso Scadenza"
MISSED = "Queste scadenze sono passate mentre Ricordex non poteva avvisare:"
TICK = 10  # seconds between the program's ticks


def at(text):
    return datetime.datetime.strptime(text, "%Y-%m-%d %H:%M")


def record(description, lead, when, frequency, recurrence="Annuale", stamp=NEVER):
    return pack((description, lead, when.strftime("%d/%m"), when.strftime("%H.%M"), frequency, recurrence, stamp))


def alert_line(description, when):
    return f"{description} - Scadenza: {when:%d/%m} ore: {when:%H.%M}"


class Clock:
    """The time every process of the Wine session reads: an offset from the
    real time, in UTC (TZ=UTC), so that the faked time goes on running."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.write()

    def write(self):
        with open(self.path + ".new", "w") as out:
            out.write(f"{self.offset:+d}\n")
        os.replace(self.path + ".new", self.path)  # never read half written

    def set(self, moment):
        self.offset = calendar.timegm(moment.timetuple()) - int(time.time())
        self.write()

    def move(self, **delta):
        self.offset += int(datetime.timedelta(**delta).total_seconds())
        self.write()


class Display:
    """An Xvfb started on a free display number."""

    def __init__(self):
        for number in range(130, 170):
            if not os.path.exists(f"/tmp/.X{number}-lock"):
                self.name = f":{number}"
                self.process = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                wait_for("Xvfb " + self.name, lambda: os.path.exists(f"/tmp/.X11-unix/X{number}"), 10)
                return
        raise AssertionError("no free X display number")

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Pc(Windows):
    """One PC: a Wine prefix under the faked clock, a display, the program."""

    def __init__(self, name, prefix, display, folder, clock):
        self.name = name
        self.label = f"PC {name}"
        self.x = self.x_env = dict(os.environ, DISPLAY=display)
        self.env = dict(self.x, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", TZ="UTC",
                        LD_PRELOAD=LIBFAKETIME, FAKETIME_TIMESTAMP_FILE=clock.path, FAKETIME_NO_CACHE="1",
                        FAKETIME_DONT_FAKE_MONOTONIC="1")
        self.env.pop("LC_ALL", None)
        self.env.pop("FAKETIME", None)
        self.process = None
        subprocess.run([os.path.join(TOOLS, "wine-prefix.sh")], env=self.env, check=True, stdout=subprocess.DEVNULL)
        # Loose X windows, not a virtual desktop: xdotool finds each box.
        self.reg("delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f")
        self.recovery = os.path.join(prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name, "AppData", "Local",
                                     "Ricordex")
        self.program = os.path.join(folder, "Ricordex.exe")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.environ["RICORDEX_EXE"], self.program)

    def reg(self, *args):
        subprocess.run(["wine", "reg", *args], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def fresh(self, archive, examined_up_to=None):
        """A new session: the wineserver ended, and started again by the
        first `wine reg` under the clock as set now; the settings and the
        recovery file of the scenario before gone."""
        self.stop()
        shutil.rmtree(self.recovery, ignore_errors=True)
        self.reg("delete", r"HKCU\SOFTWARE\Ricordex", "/f")
        self.reg("add", r"HKCU\SOFTWARE\Ricordex", "/v", "Dati", "/d", "Z:" + archive.replace("/", "\\"), "/f")
        self.reg("add", r"HKCU\SOFTWARE\Ricordex", "/v", "Avvio", "/t", "REG_DWORD", "/d", "2", "/f")
        if examined_up_to:
            self.reg("add", r"HKCU\SOFTWARE\Ricordex", "/v", "UltimoControllo", "/d",
                     examined_up_to.strftime("%d/%m/%Y %H.%M.%S"), "/f")

    def no_window(self, title, seconds, why):
        end = time.time() + seconds
        while time.time() < end:
            if self.window(title):
                raise AssertionError(f"PC {self.name}: '{title}' came: {why}; it says: {self.box_text(title)!r}")
            time.sleep(0.5)

    def keys_to(self, title, timeout=30):
        window = self.wait_window(title, timeout)
        self.xdotool("windowfocus", "--sync", window)
        return window

    def key(self, *keys):
        self.xdotool("key", "--delay", "150", *keys)
        time.sleep(0.5)

    def type(self, text):
        self.xdotool("type", "--delay", "120", text)
        time.sleep(0.3)

    def clipboard(self):
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.x, capture_output=True,
                                timeout=10)
        return result.stdout.decode("utf-8", "replace").replace("\r\n", "\n")

    def box_text(self, title, timeout=30):
        """The text of a message box shown, as box_text.exe reads it."""
        self.wait_window(title, timeout)
        result = subprocess.run(["wine", os.environ["RICORDEX_BOX_TEXT"], title], env=self.env, capture_output=True,
                                timeout=60)
        if result.returncode != 0:
            raise AssertionError(f"PC {self.name}: the text of '{title}' could not be read")
        return result.stdout.decode("utf-8").replace("\r\n", "\n")

    def answer(self, title):
        """Return presses the box's default button (OK, or Si). Another box
        of the same title may follow it at once."""
        box = self.keys_to(title)
        self.key("Return")
        self.wait_closed(title, box)

    def wait_closed(self, title, box):
        wait_for(f"{self.label}: window '{title}' to close",
                 lambda: box not in self.xdotool("search", "--onlyvisible", "--name", "^" + title + "$"), 30)

    def alert(self, expected, timeout=TICK * 3):
        """Waits for the alert box, checks what it says and answers it."""
        text = self.box_text(ALERT, timeout)
        if text != expected:
            raise AssertionError(f"PC {self.name}: the alert says {text!r}, expected {expected!r}")
        self.answer(ALERT)

    def start(self):
        self.process = subprocess.Popen(["wine", self.program], env=self.env, cwd=os.path.dirname(self.program),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_window(MAIN_TITLE, 60)

    def add(self, description):
        """A new event with the editor's own date, time and labels."""
        self.keys_to(MAIN_TITLE)
        time.sleep(1)
        self.key("Tab", "space")  # "Nuovo Evento"
        self.keys_to("Inserisci")
        self.type(description)
        self.key("Return")  # "Conferma"
        self.wait_gone("Inserisci")

    def last_description(self):
        """What the list's last row says, read in its editor and put back."""
        self.keys_to(MAIN_TITLE)
        self.key("End", "Return")  # "Modifica Evento"
        self.keys_to("Modifica")
        self.key("ctrl+a", "ctrl+c")
        text = self.clipboard()
        self.key("Escape")
        self.wait_gone("Modifica")
        return text

    def close(self):
        """Closes the main window, answering Si if the changes are asked about."""
        self.keys_to(MAIN_TITLE)
        self.key("alt+F4")
        wait_for(f"PC {self.name}: the program to end", lambda: self.process.poll() is not None or
                 self.window("Conferma Modifiche"), 30)
        if self.process.poll() is None:
            self.answer("Conferma Modifiche")
            self.process.wait(timeout=30)
        self.process = None

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.x, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.process:
            self.process.kill()
            self.process.wait()
            self.process = None
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)


def write_archive(path, records):
    with open(path, "wb") as out:
        out.write(b"".join(records))


def eleven_missed(a, b, clock, archive):
    """Closed since Friday, started on Monday at ten: of eleven events
    passed meanwhile, the box of the missed names this morning's."""
    earlier = [at(f"2027-03-{d} {h}:00") for d, h in ((12, 11), (12, 14), (12, 17), (13, 9), (13, 12), (13, 16),
                                                       (14, 9), (14, 11), (14, 15), (14, 18))]
    morning = at("2027-03-15 08:00")
    write_archive(archive, [record(f"Scadenza {i + 1}", "1 ora prima", when, "Ogni ora")
                            for i, when in enumerate(earlier)] +
                  [record("Colazione di lavoro", "1 ora prima", morning, "Ogni ora")])
    clock.set(at("2027-03-15 10:00"))
    a.fresh(archive, examined_up_to=at("2027-03-12 10:00"))
    a.start()
    lines = a.box_text(ALERT, TICK * 3).split("\n")
    if lines[0] != MISSED or not lines[-1].startswith("e altre 1,") or len(lines) != 13:
        raise AssertionError(f"not ten alerts missed and one more: {lines}")
    if lines[2] != alert_line("Colazione di lavoro", morning):
        raise AssertionError(f"this morning's event is not named first: {lines}")
    if alert_line("Scadenza 1", earlier[0]) in lines:
        raise AssertionError(f"the oldest is named, not counted: {lines}")
    a.answer(ALERT)
    a.close()


def start_up_event_clock_set_back(a, b, clock, archive):
    """Alerted at the start of the run; the clock then set back before the
    start: still once in this run."""
    event = at("2027-05-10 12:00")
    write_archive(archive, [record("Backup settimanale", "1 giorno prima", event, "Avvio Computer")])
    clock.set(at("2027-05-10 09:00"))
    a.fresh(archive)
    a.start()
    a.alert(alert_line("Backup settimanale", event))
    clock.move(minutes=-30)
    a.no_window(ALERT, TICK * 3, "alerted twice in one run after the clock was set back")
    a.close()


def one_off_answered_late(a, b, clock, archive):
    """Alerted two minutes before, answered five minutes after: done, also
    for its daily alerts."""
    event = at("2027-06-10 10:00")
    write_archive(archive, [record("Ritirare il passaporto", "Da adesso", event, "Ogni giorno", "Nessuna")])
    clock.set(at("2027-06-10 09:58"))
    a.fresh(archive)
    a.start()
    a.wait_window(ALERT, TICK * 3)
    clock.set(at("2027-06-10 10:05"))  # the user comes back after the event
    time.sleep(2)
    a.alert(alert_line("Ritirare il passaporto", event))
    a.no_window(ALERT, TICK + 2, "the one-off event is alerted again once answered after its time")
    a.close()
    for day in (11, 12):
        clock.set(at(f"2027-06-{day} 11:00"))  # more than a day after the answer
        a.start()
        a.no_window(ALERT, TICK * 3, f"the one-off event, answered late, is alerted again on {day}/06")
        a.close()


def one_off_corrected_after_its_date(a, b, clock, archive):
    """A one-off event alerted on its day, its text corrected a fortnight
    later: nothing when its day comes round the next year."""
    write_archive(archive, [record("Dentista", "1 giorno prima", at("2027-04-05 15:00"), "Ogni ora", "Nessuna",
                                   "05/04/2027 14.30")])
    clock.set(at("2027-04-20 10:00"))
    a.fresh(archive)
    a.start()
    a.no_window(ALERT, TICK * 2, "the one-off event is alerted again after its day")
    a.keys_to(MAIN_TITLE)
    a.key("Home", "Return")  # "Modifica Evento" on its row
    a.keys_to("Modifica")
    a.key("ctrl+a")
    a.type("Dentista, Dr. Rossi")
    a.key("Return")  # "Conferma"
    a.wait_gone("Modifica")
    a.close()
    if descriptions(archive) != ["Dentista, Dr. Rossi"]:
        raise AssertionError(f"the correction is not saved: the archive holds {descriptions(archive)}")
    clock.set(at("2028-04-04 16:00"))  # inside where next year's alerts would be
    a.fresh(archive)
    a.start()
    a.no_window(ALERT, TICK * 3, "the corrected one-off event is alerted the next year")
    a.close()


def two_pcs_take_in_an_event(a, b, clock, archive):
    """A holds an alert's stamp unsaved while B adds an event and saves: A
    takes it in within two ticks and alerts it when its time comes."""
    meeting = at("2027-09-14 09:00")
    write_archive(archive, [record("Riunione di reparto", "1 giorno prima", meeting, "Ogni ora")])
    clock.set(at("2027-09-14 07:40"))
    a.fresh(archive)
    b.fresh(archive)
    a.start()
    a.alert(alert_line("Riunione di reparto", meeting))
    b.start()
    b.alert(alert_line("Riunione di reparto", meeting))
    # The editor's own choices: today at 08.00, 10 minutes before, once a run.
    b.add("Telefonata al commercialista")
    b.close()
    both = ["Riunione di reparto", "Telefonata al commercialista"]
    if descriptions(archive) != both:
        raise AssertionError(f"B's save: the archive holds {descriptions(archive)}")
    time.sleep(TICK * 2 + 3)
    shown = a.last_description()
    if shown != both[1]:
        raise AssertionError(f"A's list does not show B's event {TICK * 2 + 3} s after B saved: last row {shown!r}")
    clock.set(at("2027-09-14 07:50"))  # its alerts begin
    a.alert(alert_line(both[1], at("2027-09-14 08:00")))
    a.close()
    if descriptions(archive) != both:
        raise AssertionError(f"A's save: the archive holds {descriptions(archive)}")


def put_off(pc, letter="m"):
    """Answers the alert box with one of its "Posticipa" choices, by its
    letter: 10 minuti (m), 1 ora (o), domani alle 9 (d)."""
    box = pc.keys_to(ALERT)
    pc.key("alt+" + letter)
    pc.wait_closed(ALERT, box)


def put_off_ten_minutes_then_to_tomorrow(a, b, clock, archive):
    event = at("2027-02-10 10:00")
    write_archive(archive, [record("Bollo auto", "1 ora prima", event, "Ogni giorno")])
    clock.set(at("2027-02-10 09:30"))
    a.fresh(archive)
    a.start()
    a.wait_window(ALERT, TICK * 3)
    put_off(a)
    clock.move(minutes=9)
    a.no_window(ALERT, TICK * 2, "the alert put off ten minutes came back before them")
    clock.move(minutes=1)
    if a.box_text(ALERT, TICK * 3) != alert_line("Bollo auto", event):
        raise AssertionError(f"the alert put off does not come back as it was: {a.box_text(ALERT)!r}")
    put_off(a, "d")
    a.no_window(ALERT, TICK * 2, "the alert put off to tomorrow came back at once")
    a.close()
    clock.set(at("2027-02-11 08:58"))
    a.start()
    a.no_window(ALERT, TICK * 2, "the alert put off to tomorrow at nine came back before nine")
    clock.set(at("2027-02-11 09:00"))
    a.alert(alert_line("Bollo auto", event))
    a.no_window(ALERT, TICK * 2, "the alert put off came back twice")
    a.close()


def put_off_then_deleted(a, b, clock, archive):
    event = at("2027-02-10 10:00")
    write_archive(archive, [record("Bollo auto", "1 ora prima", event, "Ogni giorno"),
                            record("Visita", "1 giorno prima", at("2027-02-20 10:00"), "Ogni giorno",
                                   stamp="10/02/2027 08.00")])
    clock.set(at("2027-02-10 09:30"))
    a.fresh(archive)
    a.start()
    a.wait_window(ALERT, TICK * 3)
    put_off(a, "o")
    a.keys_to(MAIN_TITLE)
    a.key("Home", "Delete")  # "Bollo auto", first in the list
    a.answer("Conferma Eliminazione")
    clock.move(hours=1, minutes=1)
    a.no_window(ALERT, TICK * 3, "the alert put off came back after its event was deleted")
    a.close()
    if descriptions(archive) != ["Visita"]:
        raise AssertionError(f"the deletion is not saved: the archive holds {descriptions(archive)}")


def missed_put_off_together(a, b, clock, archive):
    first, second = at("2027-03-12 11:00"), at("2027-03-13 09:00")
    write_archive(archive, [record("Scadenza A", "1 ora prima", first, "Ogni ora"),
                            record("Scadenza B", "1 ora prima", second, "Ogni ora")])
    clock.set(at("2027-03-15 10:00"))
    a.fresh(archive, examined_up_to=at("2027-03-12 10:00"))
    a.start()
    lines = a.box_text(ALERT, TICK * 3).split("\n")
    if lines != [MISSED, "", alert_line("Scadenza B", second), alert_line("Scadenza A", first)]:
        raise AssertionError(f"the missed box says {lines}")
    put_off(a)
    a.no_window(ALERT, TICK * 2, "the missed alerts put off came back at once")
    clock.move(minutes=10)
    # Together, as the box named them.
    a.alert("\n".join(["Scadenze posticipate:", "", alert_line("Scadenza B", second), alert_line("Scadenza A", first)]))
    a.no_window(ALERT, TICK * 2, "a missed alert put off came back twice")
    a.close()


SCENARIOS = [eleven_missed, start_up_event_clock_set_back, one_off_answered_late, one_off_corrected_after_its_date,
             two_pcs_take_in_an_event, put_off_ten_minutes_then_to_tomorrow, put_off_then_deleted,
             missed_put_off_together]


def main():
    if "RICORDEX_EXE" not in os.environ or "RICORDEX_BOX_TEXT" not in os.environ:
        sys.exit("RICORDEX_EXE and RICORDEX_BOX_TEXT name the built Ricordex.exe and box_text.exe")
    if not os.path.exists(LIBFAKETIME):
        sys.exit(f"{LIBFAKETIME} is missing: tools/install-deps.sh installs Debian's faketime")
    build = os.path.abspath(os.path.join(os.path.dirname(os.environ["RICORDEX_EXE"]), "..", ".."))
    only = os.environ.get("RICORDEX_CLOCK_ONLY", "").split()
    work = tempfile.mkdtemp(prefix="ricordex-alert-clock-")
    clock = Clock(os.path.join(work, "clock"))
    displays = [Display(), Display()]
    archive = os.path.join(work, "Shared folder", "Ricordex.psc")
    os.makedirs(os.path.dirname(archive))
    pcs, failed, passed = [], [], 0
    try:
        for name, display in zip("AB", displays):
            pcs.append(Pc(name, os.path.join(build, "wineprefix-clock-" + name.lower()), display.name,
                          os.path.join(work, "PC " + name), clock))
        for number, scenario in enumerate(SCENARIOS, 1):
            if only and str(number) not in only:
                continue
            began = time.time()
            try:
                scenario(*pcs, clock, archive)
                passed += 1
                print(f"ok: {scenario.__name__} ({time.time() - began:.0f} s)", flush=True)
            except (AssertionError, subprocess.TimeoutExpired) as failure:
                failed.append(scenario.__name__)
                for pc in pcs:
                    pc.screenshot(os.path.join(build, f"alert_clock-{scenario.__name__}-{pc.name}.png"))
                print(f"FAILED: {scenario.__name__} ({time.time() - began:.0f} s): {failure}", flush=True)
            for pc in pcs:
                pc.stop()
    finally:
        for pc in pcs:
            pc.stop()
        for display in displays:
            display.stop()
        shutil.rmtree(work, ignore_errors=True)
    print(f"{passed} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
