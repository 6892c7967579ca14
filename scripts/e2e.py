#!/usr/bin/env python3
"""Drives the real Tarnwick window under Xvfb with xdotool, as a user would.

Opens a copy of the sample key file through the Open dialog, ticks Control on the keyboard page, copies a key that
is free with Control, pastes it into one line of the grid through the right-button menu, saves the file under a
new name, compares the saved file with the original, saves the report as RTF and lists the changes in the Changes
tab, saves the macros in TARGET format, sets the Joystick page's shift magnitude, shows the problems from the status
bar's count and selects the first one's line in the grid, then leaves through File > Exit.
The files the program wrote are checked byte for byte against what the edit must give and against tarnwick-cli.

Widgets are found by their Qt object names: the program, started with TARNWICK_GEOMETRY_DUMP naming a file, keeps
a JSON picture of its windows in it (src/gui/GeometryDump.h): every named widget's place on the screen and what it
shows. Each step that touches the window leaves a screenshot in WORK_DIR/shots.

Usage: python3 scripts/e2e.py [BUILD_DIR] [WORK_DIR]
  BUILD_DIR  build tree holding tarnwick and tarnwick-cli (default: build-e2e in the repository); configured when
             it has no CMake cache, and the two programs are built when out of date
  WORK_DIR   folder for the copies, the saved files and the screenshots (default: a new temporary folder)
Needs Python's standard library, Xvfb, xdotool, ImageMagick's import and unrtf; missing ones are installed with
scripts/install-deps.sh where possible, and one still missing fails the run. Prints "N passed, M failed" last and
exits 1 when a step failed. TARNWICK_BUILD_JOBS sets the build's parallel jobs (default 1).

A step is a function registered with @step: its docstring says what it checks, it raises Failure with the reason
when the program does not do it, and it may return a detail for the report. Steps run in order and share the
Drive object; after a failure the remaining steps are reported as failed without running.
"""

import argparse
import difflib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SAMPLE = ROOT / "samples" / "tarnwick-sample.key"
# The sim function whose key the run changes: a record with Ignored 0 near the top of the sample file.
TARGET_SIM = "OTWSelectChaseMode"
MAIN_WINDOW = "FrmZ4IZKey"
# The client area at the standard size: 15000 x 10395 twips at 15 twips a pixel.
CLIENT_SIZE = (1000, 693)
OPEN_TITLE = "Select the key file to open"
SAVE_TITLE = "Save file as"
# Seconds the whole drive may take before it is stopped as failed; every wait below is bounded as well.
BUDGET = 180
TOOLS = ["Xvfb", "xdotool", "import", "unrtf"]


class Failure(Exception):
    """A step found the program not doing what it should."""


def say(text):
    print(f"e2e: {text}", flush=True)


# -----------------------------------------------------------------------------------------------------------------
# The window as the geometry dump shows it
# -----------------------------------------------------------------------------------------------------------------


def centre(entry):
    return entry["x"] + entry["width"] // 2, entry["y"] + entry["height"] // 2


def widgets_of(window):
    return {w["objectName"]: w for w in window["widgets"]}


class Drive:
    """The running program, its X server and what the steps found out."""

    def __init__(self, build, work):
        self.build = build
        self.work = work
        self.shots = work / "shots"
        self.cli = build / "src" / "cli" / "tarnwick-cli"
        self.dump_path = work / "geometry.json"
        self.sample = work / "tarnwick-sample.key"
        self.edited = work / "tarnwick-e2e-edited.key"
        self.report = work / "comparison.rtf"
        self.settings = work / "app" / "BremKeyDecode.ini"
        self.env = None
        self.xvfb = None
        self.app = None
        self.logs = []
        self.shot_count = 0

    # --- processes ------------------------------------------------------------------------------------------------

    def start_xvfb(self):
        """Starts an X server on a free display and keeps its number in DISPLAY for every program run later."""
        read_end, write_end = os.pipe()
        log = open(self.work / "xvfb.log", "wb")
        self.logs.append(log)
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=log, stderr=log, start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.5)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            raise Failure(f"Xvfb did not start (log: {self.work / 'xvfb.log'})")
        self.env = dict(os.environ)
        for name in ("QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_STYLE_OVERRIDE"):
            self.env.pop(name, None)
        self.env.update(DISPLAY=":" + number.decode().strip(), QT_QPA_PLATFORM="xcb", QT_ENABLE_HIGHDPI_SCALING="0",
                        LC_ALL="C.UTF-8")

    def start_app(self):
        """Starts the program copied into a folder of its own, with a fresh home: its settings file is written next
        to it, so the run starts with no settings and leaves the build tree alone."""
        home = self.work / "home"
        for folder in (self.work / "app", home):
            shutil.rmtree(folder, ignore_errors=True)
        (home / ".config").mkdir(parents=True)
        (home / "run").mkdir(mode=0o700)
        (self.work / "app").mkdir()
        program = self.work / "app" / "tarnwick"
        shutil.copy2(self.build / "src" / "app" / "tarnwick", program)
        self.dump_path.unlink(missing_ok=True)
        env = dict(self.env, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"), XDG_RUNTIME_DIR=str(home / "run"),
                   TARNWICK_GEOMETRY_DUMP=str(self.dump_path))
        log = open(self.work / "app.log", "wb")
        self.logs.append(log)
        self.app = subprocess.Popen([str(program)], env=env, stdout=log, stderr=subprocess.STDOUT)

    def app_running(self):
        return self.app is not None and self.app.poll() is None

    def stop(self):
        for process in (self.app, self.xvfb):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for log in self.logs:
            log.close()

    def run(self, *command):
        """Runs a program on the X server; its standard output, or a Failure with its error output."""
        result = subprocess.run([str(c) for c in command], env=self.env, capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"{' '.join(map(str, command))} failed with status {result.returncode}: "
                          f"{result.stderr.strip()}")
        return result.stdout

    # --- the picture of the windows -------------------------------------------------------------------------------

    def dump(self):
        try:
            return json.loads(self.dump_path.read_text(encoding="utf-8"))
        except FileNotFoundError:
            return {"focus": "", "windows": []}

    def wait(self, what, predicate, timeout=8.0):
        """Polls the dump until predicate(dump) gives a true value, and returns that value."""
        deadline = time.monotonic() + timeout
        while True:
            dump = self.dump()
            value = predicate(dump)
            if value:
                return value
            if not self.app_running():
                raise Failure(f"the program ended (status {self.app.returncode}) while waiting for {what}")
            if time.monotonic() >= deadline:
                raise Failure(f"no {what} after {timeout:g} s")
            time.sleep(0.05)

    @staticmethod
    def windows(dump, name=None, title=None):
        """The windows with an object name, or the file dialogs whose title starts with a text."""
        return [w for w in dump["windows"]
                if (name is None or w["objectName"] == name)
                and (title is None or (w["class"] == "QFileDialog" and w["title"].startswith(title)))]

    def main_widgets(self, dump):
        found = self.windows(dump, name=MAIN_WINDOW)
        return widgets_of(found[0]) if found else {}

    def widget(self, name, dump=None, window=MAIN_WINDOW):
        """The entry of a visible widget in a window, or a Failure naming what is missing."""
        dump = dump or self.dump()
        for win in self.windows(dump, name=window):
            entry = widgets_of(win).get(name)
            if entry and entry["visible"]:
                return entry
        raise Failure(f"no visible widget {name} in the window {window}")

    def wait_widget(self, name, condition=lambda w: True, what=None, timeout=8.0):
        """Polls the dump until the main window's widget `name` is visible and meets the condition; a Failure
        names what the widget showed last."""
        last = {}

        def found(dump):
            entry = last["entry"] = self.main_widgets(dump).get(name)
            return entry if entry and entry["visible"] and condition(entry) else None
        try:
            return self.wait(what or f"visible {name}", found, timeout)
        except Failure as failure:
            entry = last.get("entry") or {}
            seen = {k: entry[k] for k in ("visible", "text", "checked", "rows", "current", "selection",
                                          "characterCount") if k in entry}
            raise Failure(f"{failure}; {name} showed {seen or 'nothing'}") from None

    def other_windows(self, dump):
        return [f"{w['class']} {w['objectName']!r} {w['title']!r}" for w in dump["windows"]
                if w["objectName"] != MAIN_WINDOW]

    # --- input and screenshots ------------------------------------------------------------------------------------

    def click_at(self, x, y, button=1):
        self.run("xdotool", "mousemove", x, y, "click", button)

    def click(self, entry, button=1):
        if not entry["enabled"]:
            raise Failure(f"{entry['objectName']} is disabled")
        self.click_at(*centre(entry), button)

    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "30", *keys)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "15", "--", text)

    def click_tab(self, index, caption=None):
        tabs = self.widget("SSTab1Tabs")["tabs"]
        if index >= len(tabs) or (caption and tabs[index]["text"] != caption):
            raise Failure(f"tab {index} is not {caption!r}: tabs are {[t['text'] for t in tabs]}")
        self.click_at(*centre(tabs[index]))
        self.wait(f"tab {index} current",
                  lambda d: self.main_widgets(d).get("SSTab1Tabs", {}).get("currentIndex") == index)

    def shot(self, name):
        self.shot_count += 1
        path = self.shots / f"{self.shot_count:02d}-{name}.png"
        self.run("import", "-window", "root", path)
        return path

    def answer_file_dialog(self, title, path, shot_name):
        """Types a full path into the file dialog with the given title and confirms it with Return."""
        dialog = self.wait(f"dialog {title!r}", lambda d: self.windows(d, title=title))[0]
        name_field = widgets_of(dialog).get("fileNameEdit")
        if not name_field or not name_field["visible"]:
            raise Failure(f"the dialog {title!r} has no file name field")
        self.click(name_field)
        self.wait(f"focus in the file name field of {title!r}", lambda d: d["focus"] == "fileNameEdit")
        # A proposed name in the field is replaced.
        self.key("ctrl+a")
        self.type(str(path))
        self.wait(f"{path} in the file name field", lambda d: any(
            widgets_of(w).get("fileNameEdit", {}).get("text") == str(path) for w in self.windows(d, title=title)))
        self.shot(shot_name)
        # A completion list that takes a Return leaves the dialog open: then the next Return confirms.
        for _ in range(3):
            self.key("Return")
            try:
                self.wait(f"dialog {title!r} closed", lambda d: not self.windows(d, title=title), timeout=3)
                return
            except Failure:
                pass
        raise Failure(f"the dialog {title!r} did not accept {path}")

    # --- the keyboard page ----------------------------------------------------------------------------------------

    def key_colour_mismatches(self, dump, usage):
        """The letter keys whose colour is not the legend's colour for their use in `usage` (read_usage)."""
        widgets = self.main_widgets(dump)
        legend = {use: widgets.get(f"Label5_{i}", {}).get("background")
                  for i, use in enumerate(("free", "assigned", "multiple"))}
        if None in legend.values() or len(set(legend.values())) != 3:
            return [f"legend colours {legend} are not three distinct colours"]
        bad = []
        for letter, (code, use, _) in sorted(usage.items()):
            key = letter_key(widgets, code)
            if not key or not key["visible"] or key.get("caption") != letter:
                bad.append(f"{letter}: no visible key labelled {letter!r} for scan code {code}")
            elif key["background"] != legend[use]:
                bad.append(f"{letter}={key['background']} (want {use} {legend[use]})")
        return bad


def letter_key(widgets, code):
    """The key label of a scan code: LBLkey_N where N is the code's value."""
    return widgets.get(f"LBLkey_{int(code, 16)}")


def read_usage(text):
    """tarnwick-cli keys output -> {key name: (scan code, use, sim names)} for the 26 letters."""
    usage = {}
    for line in text.splitlines():
        fields = line.split("\t")
        if len(fields) >= 3 and re.fullmatch(r"[a-z]", fields[1]):
            usage[fields[1]] = (fields[0], fields[2], fields[3] if len(fields) > 3 else "")
    return usage


def rtf_colour_index(rtf, colour):
    """The \\cfN index of a colour table entry such as \\red0\\green0\\blue255, or None."""
    table = re.search(r"\{\\colortbl([^}]*)\}", rtf)
    if not table:
        return None
    entries = table.group(1).split(";")
    return str(entries.index(colour)) if colour in entries else None


def rtf_colour_of(rtf, text):
    """The \\cfN in force on the first RTF line that holds a text."""
    colour = None
    for line in rtf.splitlines():
        found = re.findall(r"\\cf(\d+)", line)
        if found:
            colour = found[-1]
        if text in line:
            return colour
    return None


# -----------------------------------------------------------------------------------------------------------------
# The steps
# -----------------------------------------------------------------------------------------------------------------

STEPS = []


def step(name, shot=True):
    """Registers a step; with shot, a screenshot of the screen follows it."""
    def register(function):
        STEPS.append((name, " ".join(function.__doc__.split()), function, shot))
        return function
    return register


@step("expectations", shot=False)
def expectations(d):
    """tarnwick-cli finds the target line in the sample and a letter key that is free with Control"""
    shutil.copyfile(SAMPLE, d.sample)
    data = d.sample.read_bytes()
    lines = data.splitlines(keepends=True)
    row = 0
    for number, line in enumerate(lines, 1):
        if line.strip(b" \r\n"):
            row += 1
        fields = line.split()
        if fields and fields[0] == TARGET_SIM.encode():
            break
    else:
        raise Failure(f"{TARGET_SIM} is not in the sample file")
    body = line.rstrip(b"\r\n")
    prefix, quote, rest = body.partition(b'"')
    fields = prefix.split()
    if len(fields) != 8 or fields[2] != b"0" or body.startswith(b"#"):
        raise Failure(f"line {number} ({TARGET_SIM}) is not a plain record with Ignored 0: {body!r}")

    plain = read_usage(d.run(d.cli, "keys", d.sample))
    control = read_usage(d.run(d.cli, "keys", d.sample, "--control"))
    if len(plain) != 26 or len(control) != 26:
        raise Failure(f"tarnwick-cli listed {len(plain)} and {len(control)} letter keys, not 26")
    free = [k for k in sorted(control) if control[k][1] == "free"]
    if not free:
        raise Failure("no letter key is free with Control in the sample")
    # One that is taken without modifiers shows that ticking Control changed the view.
    d.letter = next((k for k in free if plain[k][1] == "assigned"), free[0])
    d.code = control[d.letter][0]
    d.plain_usage = plain
    d.control_usage = control
    d.row = row - 1
    d.line_number = number
    d.records = sum(1 for line in lines if line.strip(b" \r\n"))
    d.original_line = body.decode()
    d.expected_line = " ".join(f.decode() for f in fields[:3]) + f" {d.code} 2 " + \
        " ".join(f.decode() for f in fields[5:]) + " " + (quote + rest).decode()
    ending = line[len(body):]
    d.expected = b"".join(lines[:number - 1]) + d.expected_line.encode() + ending + b"".join(lines[number:])
    return f"line {number} (grid row {d.row}) gets Control+{d.letter} ({d.code}, modifier 2)"


@step("start")
def start(d):
    """the program starts with no file, its client area at the standard 1000 x 693 pixels"""
    d.start_app()
    client = d.wait("main window in the geometry dump", lambda dump: d.main_widgets(dump).get("client"), timeout=20)
    if (client["width"], client["height"]) != CLIENT_SIZE:
        raise Failure(f"the client area is {client['width']}x{client['height']}, not {CLIENT_SIZE}")
    panel = d.widget("StatusPanel2")["text"]
    if panel != "No Key File Opened":
        raise Failure(f"the status bar names a file at the start: {panel!r}")
    return f"client area at {client['x']},{client['y']}"


@step("open-dialog")
def open_dialog(d):
    """the Open button's dialog accepts the copy of the sample, and the grid shows its records"""
    d.click(d.widget("Command4_0"))
    d.answer_file_dialog(OPEN_TITLE, d.sample, "open-path-typed")
    grid = d.wait_widget("GridData", lambda w: w.get("rows") == d.records,
                         f"grid of {d.records} rows")
    panel = d.widget("StatusPanel2")["text"]
    if panel != str(d.sample):
        raise Failure(f"the status bar names {panel!r}, not {d.sample}")
    tab = d.widget("SSTab1Tabs")["tabs"][0]["text"]
    if tab != d.sample.name:
        raise Failure(f"the first tab reads {tab!r}, not {d.sample.name!r}")
    return f"{grid['rows']} rows"


@step("keyboard-plain")
def keyboard_plain(d):
    """the keyboard page colours every letter key as tarnwick-cli reports it without modifiers"""
    d.click_tab(2, "Locate spare keys")
    mismatches = []

    def matches(dump):
        mismatches[:] = d.key_colour_mismatches(dump, d.plain_usage)
        return not mismatches
    try:
        d.wait("letter keys coloured as without modifiers", matches)
    except Failure as failure:
        raise Failure(f"{failure}: {'; '.join(mismatches)}") from None


@step("keyboard-control")
def keyboard_control(d):
    """ticking Control colours the letter keys as tarnwick-cli reports them with Control"""
    box = d.widget("ChkModifier_1")
    if box["text"] != "Control" or box.get("checked") is not False:
        raise Failure(f"ChkModifier_1 is not an unticked Control box: {box}")
    d.click(box)
    mismatches = []

    def matches(dump):
        if not d.main_widgets(dump).get("ChkModifier_1", {}).get("checked"):
            return False
        mismatches[:] = d.key_colour_mismatches(dump, d.control_usage)
        return not mismatches
    try:
        d.wait("Control ticked and letter keys coloured as with Control", matches)
    except Failure as failure:
        raise Failure(f"{failure}: {'; '.join(mismatches)}") from None
    return f"'{d.letter}' is free with Control"


@step("copy-key")
def copy_key(d):
    """hovering the free key shows its code, and a click copies it with the Control modifier"""
    key = letter_key(d.main_widgets(d.dump()), d.code)
    if not key or key.get("caption") != d.letter:
        raise Failure(f"no key labelled {d.letter!r} for scan code {d.code}")
    x, y = centre(key)
    d.run("xdotool", "mousemove", x - 5, y - 5)
    d.run("xdotool", "mousemove", x, y)
    d.wait_widget("Label3", lambda w: w["text"].upper() == d.code.upper(), f"key code {d.code} in the read-out")
    d.click_at(x, y)
    d.wait_widget("Label6_1", lambda w: w["text"] == "2", "modifier 2 copied")
    copied = d.widget("Label6_0")["text"]
    if copied.upper() != d.code.upper():
        raise Failure(f"the copied key code reads {copied!r}, not {d.code}")
    return f"{d.widget('Label6_2')['text'].strip()!r} copied"


def block_is(row, left, right):
    def check(grid):
        blocks = grid.get("selection", [])
        return (len(blocks) == 1 and blocks[0]["top"] == blocks[0]["bottom"] == row
                and (blocks[0]["left"], blocks[0]["right"]) == (left, right))
    return check


@step("select-cells")
def select_cells(d):
    """the keyboard, then a click and a shift+click, select the target row's Keys and Modifiers cells"""
    d.click_tab(0)
    grid = d.wait_widget("GridData")
    d.click(grid)
    d.wait("focus in the grid", lambda dump: dump["focus"] == "GridData")
    # Ctrl+Home goes to the Sim name of the first row: the line number is the rows' header, not a column.
    d.key("ctrl+Home", *(["Down"] * d.row), "Right", "Right", "Right", "shift+Right")
    grid = d.wait_widget("GridData", block_is(d.row, 4, 5), f"row {d.row} Keys to Modifiers selected by keys")
    block = grid["selection"][0]
    y = block["y"] + block["height"] // 2
    # The same cells by mouse, as a user picks them: a click on Keys alone, then a shift+click on Modifiers.
    d.click_at(block["x"] + 10, y)
    d.wait_widget("GridData", block_is(d.row, 4, 4), f"row {d.row} Keys alone selected by a click")
    d.run("xdotool", "keydown", "shift", "mousemove", block["x"] + block["width"] - 10, y, "click", "1",
          "keyup", "shift")
    grid = d.wait_widget("GridData", block_is(d.row, 4, 5), f"row {d.row} Keys to Modifiers selected by shift+click")
    d.block = grid["selection"][0]
    return f"grid row {d.row}"


@step("paste-menu")
def paste_menu(d):
    """the right-button menu opens at the pointer over the selection, and its Paste writes the copied key"""
    x, y = centre(d.block)
    d.wait("no window but the main one", lambda dump: len(dump["windows"]) == 1 or None, timeout=3)
    d.click_at(x, y, 3)
    menu = d.wait("the right-button menu", lambda dump: d.windows(dump, name="mnuRHMmenu"))[0]
    if abs(menu["x"] - x) > 2 or abs(menu["y"] - y) > 2:
        raise Failure(f"the menu opened at {menu['x']},{menu['y']}, not at the pointer {x},{y}")
    d.shot("menu-open")
    d.click(d.widget("mnuRHMpaste", window="mnuRHMmenu"))
    d.wait("the menu closed", lambda dump: not d.windows(dump, name="mnuRHMmenu"))
    grid = d.wait_widget("GridData", lambda w: w.get("current", {}).get("text") == "2", "modifier 2 in the grid")
    if grid["current"]["column"] != 5:
        raise Failure(f"the current cell is in column {grid['current']['column']}, not Modifiers")
    return f"banner reads {d.widget('Label1')['text']!r}"


@step("save-dialog")
def save_dialog(d):
    """the Save button's dialog writes the file under the new name, and the window names it"""
    d.click(d.widget("Command4_1"))
    d.answer_file_dialog(SAVE_TITLE, d.edited, "save-path-typed")
    d.wait_widget("StatusPanel2", lambda w: w["text"] == str(d.edited), f"{d.edited} in the status bar")
    if not d.edited.is_file() or d.edited.stat().st_size == 0:
        raise Failure(f"{d.edited} was not written; windows open: {d.other_windows(d.dump())}")


@step("original-unchanged", shot=False)
def original_unchanged(d):
    """the opened copy is still the sample, byte for byte"""
    if d.sample.read_bytes() != SAMPLE.read_bytes():
        raise Failure(f"the opened copy {d.sample} was changed on disk")


@step("saved-bytes", shot=False)
def saved_bytes(d):
    """the saved file is the original with the target line set to Control and the free key, every other byte kept"""
    saved = d.edited.read_bytes()
    if saved != d.expected:
        diff = difflib.unified_diff([repr(x) for x in d.expected.splitlines(keepends=True)],
                                    [repr(x) for x in saved.splitlines(keepends=True)], "expected", "saved", n=1,
                                    lineterm="")
        raise Failure("the saved file differs from the expected bytes:\n" + "\n".join(list(diff)[:20]))
    return repr(d.expected_line)


@step("cli-sees-edit", shot=False)
def cli_sees_edit(d):
    """tarnwick-cli reports the pasted key as taken by the target function alone in the saved file"""
    use = read_usage(d.run(d.cli, "keys", d.edited, "--control")).get(d.letter)
    if not use or use[1:] != ("assigned", TARGET_SIM):
        raise Failure(f"tarnwick-cli reports Control+{d.letter} as {use}, not assigned to {TARGET_SIM}")


@step("compare")
def compare(d):
    """the compare page takes the original as key file 2 through its dialog and fills the report"""
    d.click_tab(4, "Compare two key files")
    first = d.widget("Label9_0")["text"]
    if first != str(d.edited):
        raise Failure(f"key file 1 is {first!r}, not the open file {d.edited}")
    d.click(d.widget("Command1_1"))
    d.answer_file_dialog(OPEN_TITLE, d.sample, "key-file-2-path-typed")
    d.wait_widget("Label9_1", lambda w: w["text"] == str(d.sample), f"{d.sample} as key file 2")
    d.click(d.widget("Command5"))
    report = d.wait_widget("RTBcompare", lambda w: w.get("characterCount", 0) > 100, "a report in the box")
    return f"{report['characterCount']} characters"


@step("report-rtf")
def report_rtf(d):
    """the report's Save button writes RTF (the dialog adds .rtf) with blue and green in its colour table"""
    d.click(d.widget("Command4_3"))
    d.answer_file_dialog(SAVE_TITLE, d.report.with_suffix(""), "report-path-typed")
    deadline = time.monotonic() + 5
    while not (d.report.is_file() and d.report.stat().st_size > 0):
        if time.monotonic() > deadline:
            raise Failure(f"the report was not written to {d.report}; windows open: {d.other_windows(d.dump())}")
        time.sleep(0.1)
    d.rtf = d.report.read_text(encoding="latin-1")
    if not d.rtf.startswith("{\\rtf1"):
        raise Failure(f"{d.report} does not start with {{\\rtf1")
    d.blue = rtf_colour_index(d.rtf, "\\red0\\green0\\blue255")
    d.green = rtf_colour_index(d.rtf, "\\red0\\green128\\blue0")
    if not d.blue or not d.green:
        raise Failure("the report has no colour table with blue (0,0,255) and green (0,128,0)")


@step("report-colours", shot=False)
def report_colours(d):
    """the report shows the edited line and key file 1 in blue, the original line in green"""
    for text, colour, what in ((d.expected_line, d.blue, "the edited line in blue"),
                               (d.original_line, d.green, "the original line in green"),
                               (f"Text in blue relates to: {d.edited}", d.blue, "the saved file as key file 1")):
        if rtf_colour_of(d.rtf, text) != colour:
            raise Failure(f"the report does not show {what}: {text}")


@step("report-matches-cli", shot=False)
def report_matches_cli(d):
    """the report is what tarnwick-cli compare --rtf writes for the same two files, but for the time"""
    cli_report = d.work / "cli-report.rtf"
    d.run(d.cli, "compare", d.edited, d.sample, "--rtf", cli_report)

    def timeless(text):
        return [line for line in text.splitlines() if "Comparison made:" not in line]
    ours, theirs = timeless(d.rtf), timeless(cli_report.read_text(encoding="latin-1"))
    if ours != theirs:
        diff = difflib.unified_diff(theirs, ours, "tarnwick-cli", "window", n=0, lineterm="")
        raise Failure("the window's RTF report differs from tarnwick-cli's:\n" + "\n".join(list(diff)[:20]))


@step("report-unrtf", shot=False)
def report_unrtf(d):
    """unrtf reads the report: its Summary and the target line"""
    text = d.run("unrtf", "--text", d.report)
    if not re.search(r"^Summary", text, re.MULTILINE):
        raise Failure("unrtf finds no Summary in the report")
    if d.expected_line not in text:
        raise Failure(f"unrtf finds no {TARGET_SIM} line in the report")


@step("changes-view")
def changes_view(d):
    """the Changes tab beside the report lists the rebound function, as tarnwick-cli compare --changes does"""
    tabs = d.widget("CompareViewTabs")["tabs"]
    if [t["text"] for t in tabs] != ["Report", "Changes"]:
        raise Failure(f"the compare page's views are {[t['text'] for t in tabs]}, not Report and Changes")
    d.click_at(*centre(tabs[1]))
    grid = d.wait_widget("ChangesGrid", lambda w: w.get("rows", 0) > 0, "changed functions in the Changes tab")
    cli = [line for line in d.run(d.cli, "compare", d.edited, d.sample, "--changes").splitlines() if line]
    if grid["rows"] != len(cli) or not cli or not cli[0].startswith("rebound\t") or TARGET_SIM not in cli[0]:
        raise Failure(f"the Changes tab lists {grid['rows']} functions, tarnwick-cli {cli}")
    counts = d.widget("LblChangeCounts")["text"]
    if not counts.startswith("0 added, 0 removed, 1 rebound"):
        raise Failure(f"the counts read {counts!r}")
    return counts


@step("target-macros")
def target_macros(d):
    """the macro page in TARGET format saves through its dialog the defines tarnwick-cli macros --format target writes"""
    d.click_tab(3, "Cougar macros")
    d.wait("no window but the main one", lambda dump: len(dump["windows"]) == 1 or None, timeout=3)
    d.click(d.widget("CmbMacroFormat"))
    d.wait("the format list open", lambda dump: len(dump["windows"]) > 1 or None, timeout=3)
    d.key("Down", "Return")
    d.wait_widget("CmbMacroFormat", lambda w: w.get("text") == "TARGET", "TARGET chosen")
    d.wait_widget("Label4_10", lambda w: "TARGET" in w.get("text", ""), "the caption naming TARGET")
    d.click(d.widget("Command3_3"))
    macros = d.work / "macros.ttm"
    d.answer_file_dialog("Save macros as", macros.with_suffix(""), "macros-path-typed")
    deadline = time.monotonic() + 5
    while not (macros.is_file() and macros.stat().st_size > 0):
        if time.monotonic() > deadline:
            raise Failure(f"the macros were not written to {macros}; windows open: {d.other_windows(d.dump())}")
        time.sleep(0.1)
    saved = macros.read_bytes()
    expected = subprocess.run([str(d.cli), "macros", str(d.edited), "--format", "target"], capture_output=True,
                              check=True).stdout
    if b"\r\ndefine " not in saved or saved != expected:
        raise Failure(f"{macros} is not tarnwick-cli's TARGET text; it starts {saved[:60]!r}")
    return f"{saved.count(b'define ')} defines"


@step("joystick")
def joystick(d):
    """the Joystick page lists the buttons and hats as tarnwick-cli buttons does, and follows a new shift magnitude"""
    d.click_tab(5, "Joystick")
    lines = d.run(d.cli, "buttons", d.edited).splitlines()
    d.wait_widget("GridJoystick", lambda w: w.get("rows") == len(lines), f"{len(lines)} rows in the joystick table")
    box = d.widget("SpinShiftMagnitude")
    if box.get("text") != "256":
        raise Failure(f"the shift magnitude reads {box.get('text')!r}, not 256")
    d.click(box)
    d.key("ctrl+a")
    d.type("16")
    d.key("Return")
    unplaced = sum(1 for line in d.run(d.cli, "buttons", d.edited, "--shift-magnitude", "16").splitlines()
                   if line.startswith("?\t"))
    summary = d.wait_widget("LblJoystickSummary", lambda w: f"; {unplaced} lines not placed" in w["text"],
                            f"{unplaced} lines not placed with a magnitude of 16")
    return summary["text"]


@step("find-assign")
def find_assign(d):
    """Ctrl+F filters the grid as tarnwick-cli find does; Enter on a Keys cell opens the assign dialog, which takes
    Ctrl+Alt+O by its scan code; Ctrl+Z undoes the assignment and Esc empties the filter"""
    d.click_tab(0)
    d.click(d.widget("GridData"))
    d.key("ctrl+f")
    d.wait("focus in the filter box", lambda dump: dump["focus"] == "FilterBox")
    d.type("padlock")
    found = d.run(d.cli, "find", d.edited, "padlock").splitlines()
    total = len(d.run(d.cli, "list", d.edited).splitlines())
    d.wait_widget("FilterCount", lambda w: w["text"] == f"{len(found)} of {total:,} lines",
                  f"{len(found)} of {total} lines counted")
    d.wait_widget("GridData", lambda w: w.get("rows") == len(found), f"{len(found)} rows shown")
    d.click(d.widget("GridData"))
    d.key("ctrl+Home", "Right", "Right", "Right")
    before = d.wait_widget("GridData", lambda w: w.get("current", {}).get("column") == 4, "a Keys cell current")
    d.key("Return")
    d.wait("the assign dialog", lambda dump: d.windows(dump, name="AssignKeyDialog"))
    d.key("ctrl+alt+o")
    words = d.wait("CTL ALT o in the dialog",
                   lambda dump: (d.windows(dump, name="AssignKeyDialog") or [None])[0] and
                   widgets_of(d.windows(dump, name="AssignKeyDialog")[0]).get("AssignWords", {}).get("text")
                   == "CTL ALT o")
    cells = d.widget("AssignCells", window="AssignKeyDialog")["text"]
    if cells != "0X18 6 0 0":
        raise Failure(f"the dialog would write {cells!r}, not '0X18 6 0 0'")
    d.shot("assign-dialog")
    d.click(d.widget("AssignButton", window="AssignKeyDialog"))
    grid = d.wait_widget("GridData", lambda w: w.get("current", {}).get("text") == "0X18", "0X18 in the Keys cell")
    # Without a window manager nothing gives the window back its activation when the dialog closes: a click does.
    d.click_at(*centre(grid["current"]))
    d.key("ctrl+z")
    original = before["current"]["text"]
    d.wait_widget("GridData", lambda w: w.get("current", {}).get("text") == original, f"{original} back after undo")
    d.click(d.widget("FilterBox"))
    d.key("Escape")
    d.wait_widget("FilterCount", lambda w: w["text"] == f"{total:,} lines", "the filter emptied")
    return f"{len(found)} lines found, {words and 'CTL ALT o'} assigned and undone"


def counted(n, word):
    return f"{n} {word}" + ("" if n == 1 else "s")


@step("problems")
def problems(d):
    """the status bar counts the saved file's problems as tarnwick-cli check does; the count opens the list, and
    Return on its first problem selects that line in the grid"""
    result = subprocess.run([str(d.cli), "check", "--json", str(d.edited)], capture_output=True, text=True)
    if result.returncode not in (0, 1):
        raise Failure(f"tarnwick-cli check failed with status {result.returncode}: {result.stderr.strip()}")
    report = json.loads(result.stdout)
    errors = sum(1 for p in report if p["severity"] == "error")
    expected = f"{counted(errors, 'error')}, {counted(len(report) - errors, 'warning')}" if report else "No problems"
    d.click(d.wait_widget("StatusProblems", lambda w: w["text"] == expected, f"{expected!r} in the status bar"))
    table = d.wait_widget("ProblemsTable", lambda w: w.get("rows") == len(report), f"{len(report)} problems listed")
    if not report:
        return "no problems"
    d.click(table)
    d.key("ctrl+Home", "Return")
    line = report[0]["line"]
    row = sum(1 for text in d.edited.read_bytes().splitlines()[:line] if text.strip(b" \r\n")) - 1
    d.wait_widget("GridData", lambda w: w.get("current", {}).get("row") == row and w["current"]["column"] == 1,
                  f"grid row {row} (line {line}) current")
    d.shot("problem-selected")
    d.click(d.widget("StatusProblems"))
    d.wait("the problems hidden", lambda dump: not d.main_widgets(dump).get("ProblemsTable", {}).get("visible"))
    return f"{expected}; line {line} selected"


@step("exit")
def exit_program(d):
    """File > Exit closes the program without a question, as nothing is unsaved"""
    # The pointer goes to the banner, where no tool tip shows.
    d.run("xdotool", "mousemove", *centre(d.widget("Label1")))
    d.wait("no window but the main one", lambda dump: len(dump["windows"]) == 1 or None, timeout=3)
    d.click(d.widget("mnuFile"))
    d.wait("the File menu", lambda dump: d.windows(dump, name="mnuFile"))
    d.shot("file-menu-open")
    d.click(d.widget("mnuFileExit", window="mnuFile"))
    try:
        status = d.app.wait(10)
    except subprocess.TimeoutExpired:
        raise Failure(f"File > Exit did not close the program; windows open: {d.other_windows(d.dump())}") from None
    if status != 0:
        raise Failure(f"the program exited with status {status}")


@step("settings", shot=False)
def settings(d):
    """the settings file names the saved file as the last key file and remembers the shift magnitude"""
    if not d.settings.is_file():
        raise Failure(f"no settings file {d.settings}")
    lines = d.settings.read_text(encoding="latin-1").splitlines()
    if f"KeyFilePath={d.edited}" not in lines:
        raise Failure(f"{d.settings} does not name {d.edited} as the last key file")
    if "ShiftMagnitude=16" not in lines:
        raise Failure(f"{d.settings} does not remember the shift magnitude 16")


# -----------------------------------------------------------------------------------------------------------------
# Running
# -----------------------------------------------------------------------------------------------------------------


def run_steps(d):
    passed = failed = 0
    failed_at = None
    for name, description, function, shot in STEPS:
        if failed_at:
            failed += 1
            say(f"FAIL {name}: {description} (not run: {failed_at} failed)")
            continue
        try:
            detail = function(d)
            if shot and d.app_running():
                d.shot(name)
            passed += 1
            say(f"ok   {name}: {description}" + (f" ({detail})" if detail else ""))
        except Failure as failure:
            failed += 1
            failed_at = name
            say(f"FAIL {name}: {description}")
            for line in str(failure).splitlines():
                print(f"     {line}", file=sys.stderr, flush=True)
            if d.xvfb is not None and d.xvfb.poll() is None:
                try:
                    say(f"screen at the failure: {d.shot('failure-' + name)}")
                except Failure:
                    pass
    return passed, failed


def install_missing_tools():
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        say(f"installing what provides {', '.join(missing)}")
        subprocess.run(["bash", str(ROOT / "scripts" / "install-deps.sh")],
                       env=dict(os.environ, TARNWICK_WITH_EXTRAS="1"), stdout=sys.stderr)
        missing = [tool for tool in TOOLS if not shutil.which(tool)]
    return missing


def build_programs(build, work):
    log_path = work / "build.log"
    with open(log_path, "wb") as log:
        steps = []
        if not (build / "CMakeCache.txt").is_file():
            steps.append(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
                          "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DTARNWICK_BUILD_BENCH=OFF"])
        steps.append(["cmake", "--build", str(build), "--target", "tarnwick", "tarnwick-cli",
                      "-j", os.environ.get("TARNWICK_BUILD_JOBS", "1")])
        for command in steps:
            if subprocess.run(command, stdout=log, stderr=subprocess.STDOUT).returncode != 0:
                sys.stderr.write("".join(log_path.read_text(errors="replace").splitlines(True)[-40:]))
                return False
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default=str(ROOT / "build-e2e"), help="build tree (default: build-e2e)")
    parser.add_argument("work", nargs="?", help="folder for the files and screenshots (default: a new one)")
    args = parser.parse_args()
    started = time.monotonic()
    build = Path(args.build).resolve()
    work = Path(args.work).resolve() if args.work else Path(tempfile.mkdtemp(prefix="tarnwick-e2e."))
    work.mkdir(parents=True, exist_ok=True)

    missing = install_missing_tools()
    if missing:
        say(f"FAIL missing tools: {', '.join(missing)} (install them with "
            "TARNWICK_WITH_EXTRAS=1 bash scripts/install-deps.sh)")
        say(f"0 passed, {len(STEPS)} failed")
        return 1
    if not build_programs(build, work):
        say(f"FAIL could not build tarnwick and tarnwick-cli in {build} (log: {work / 'build.log'})")
        say(f"0 passed, {len(STEPS)} failed")
        return 1
    say(f"build {build}, work folder {work}")

    d = Drive(build, work)
    shutil.rmtree(d.shots, ignore_errors=True)
    d.shots.mkdir()
    # A folder used before holds the files an earlier drive saved; the steps save into an empty one, as a new user
    # would (an old macros.ttm would bring up the overwrite question).
    for stale in work.iterdir():
        if stale.is_file() and stale.suffix != ".log":
            stale.unlink()

    def out_of_time(signum, frame):
        raise Failure(f"stopped after the time budget of {BUDGET} s")
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(BUDGET)
    drive_started = time.monotonic()
    try:
        d.start_xvfb()
        passed, failed = run_steps(d)
    except Failure as failure:
        say(f"FAIL {failure}")
        passed, failed = 0, len(STEPS)
    finally:
        signal.alarm(0)
        d.stop()
    if failed and (work / "app.log").is_file():
        tail = (work / "app.log").read_text(errors="replace").splitlines()[-20:]
        if tail:
            say("program output (last lines):")
            print("\n".join(tail), file=sys.stderr)
    say(f"screenshots in {d.shots}")
    say(f"drive took {time.monotonic() - drive_started:.0f} s, {time.monotonic() - started:.0f} s in all")
    say(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
