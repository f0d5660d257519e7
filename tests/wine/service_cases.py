"""The system services under Wine: the settings file through VBScript, the
choosers answered with real keyboard input, and wave sound played into a
null sink of a real sound server."""

import array
import math
import os
import shutil
import subprocess
import tempfile
import threading
import time
import wave
from pathlib import Path

from harness import Failure, ScriptRun, check_script_output, until, why_no_32bit, windows_path
from host_cases import jscript_file

SCRIPTS = Path(__file__).resolve().parent / "scripts"


def expect(got, wanted, what):
    if got != wanted:
        raise Failure(f"{what}: expected {wanted!r}, got {got!r}")


def settings_file(ctx):
    return ctx.wine.prefix / "drive_c/windows/brivetdll.ini"


def case_settings_file_edge_cases(ctx):
    ctx.run_script((SCRIPTS / "settings.vbs").read_text(), "settings")
    data = settings_file(ctx).read_bytes()
    if data.startswith(b"\xff\xfe") or b"\x00" in data:
        raise Failure(f"the settings file is not ANSI text: {data[:40]!r}")


WRITER = """
Dim w, v, r
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
Check w.SaveInfo("shared", "{key}", "{value}") = 1, "save {key}"
r = w.GetInfo("SHARED", "{other}", v)
WScript.Echo "read " & r & " [" & v & "]"
Set w = Nothing
Finish
"""


def case_two_scripts_write_the_settings_file_in_turn(ctx):
    path = settings_file(ctx)
    path.unlink(missing_ok=True)
    first = ctx.run_script(WRITER.format(key="first", value="one", other="second"), "writer")
    second = ctx.run_script(WRITER.format(key="second", value="two \xe9", other="first"), "writer")
    expect([l for l in first if l.startswith("read")], ["read 0 []"],
           "the first script before the second wrote")
    expect([l for l in second if l.startswith("read")], ["read 1 [one]"], "the second script")
    expect(path.read_bytes(), b"[shared]\r\nfirst=one\r\nsecond=two \xe9\r\n", "the file's bytes")


HOSTILE_NAMES = r"""
var w = new ActiveXObject("Brivet.Window");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var ini = fso.GetSpecialFolder(0).Path + "\\brivetdll.ini";
function contents() {
  var f = fso.OpenTextFile(ini), text = f.AtEndOfStream ? "" : f.ReadAll();
  f.Close();
  return text;
}
check(w.SaveInfo("victim", "k", "kept") === 1, "another script's setting");
var before = contents();
var c = String.fromCharCode;
var keys = [c(11) + "[victim]", c(12) + "[victim]", c(26) + "[victim]", "\uFF3Bvictim\uFF3D",
            "  \uFF3Bvictim]", "\u3000[victim]", "\uFF1Bnote", "k\uFF1Dx"];
for (var i = 0; i < keys.length; i++)
  check(w.SaveInfo("s", keys[i], "v") === -1, "key " + i + " would rewrite the file's structure: -1");
check(w.SaveInfo("a\uFF3Db", "k", "v") === -1, "a section with a look-alike of ] : -1");
check(contents() === before, "the file is as it was");
check(w.GetInfo("victim", "k", "") === 1, "the other script's setting is still found");
var names = ["Key\u03A9", "\u952E", "\uD83D\uDE00", " spaced "];
for (var i = 0; i < names.length; i++) {
  check(w.SaveInfo("intl", names[i], "v") === 1, "name " + i + " is saved");
  check(w.GetInfo("intl", names[i], "") === 1, "name " + i + " is found again");
  check(w.DeleteInfo("intl", names[i]) === 1 && w.GetInfo("intl", names[i], "") === 0,
        "name " + i + " is deleted");
}
finish();
"""


def case_settings_names_are_judged_as_the_file_holds_them(ctx):
    settings_file(ctx).unlink(missing_ok=True)
    path = jscript_file(ctx, HOSTILE_NAMES, "settings-names")
    result = ctx.wine.run(ctx.bits, ctx.wine.cscript_command(ctx.bits, path), timeout=120)
    lines = check_script_output(result.stdout.replace("\r", ""))
    print("    " + next(l for l in lines if l.endswith(" failed")))


def case_settings_routines_against_the_model_of_the_settings(ctx):
    """The property test of the settings routines on the system's profile
    functions: a short run; the README names the long one."""
    exe = ctx.build / "tests/wine/contracts/profile_property.exe"
    result = ctx.wine.run(ctx.bits, [exe, "300"], timeout=300)
    if result.returncode != 0:
        raise Failure(result.stdout + result.stderr)
    print("    " + (result.stdout.strip().splitlines() or ["?"])[-1])


# --- several hosts on the settings file at once ---------------------------

RACE_KEYS, RACE_READS = 40, 60

# Each host says it is ready and waits for the go, so the calls overlap.
RACE_START = """
Dim w, fso, i, r, v, missed
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
Set fso = CreateObject("Scripting.FileSystemObject")
fso.CreateTextFile("{ready}").Close
Do While Not fso.FileExists("{go}")
  WScript.Sleep 5
Loop
missed = 0
"""

RACE_WRITER = RACE_START + """
For i = 0 To {keys} - 1
  r = w.SaveInfo("race", "{name}k" & i, "{name}v" & i)
  If r <> 1 Then missed = missed + 1 : WScript.Echo "SaveInfo answered " & r & " for key " & i
Next
Check missed = 0, "every SaveInfo answered 1"
Finish
"""

RACE_READER = RACE_START + """
For i = 1 To {reads}
  v = ""
  r = w.GetInfo("race", "earlier", v)
  If r <> 1 Or v <> "kept" Then missed = missed + 1 : WScript.Echo "GetInfo answered " & r & " [" & v & "]"
Next
Check missed = 0, "the earlier setting was found every time"
Finish
"""


def settings_rounds():
    """One round in CI; BRIVET_SETTINGS_ROUNDS makes the long run."""
    return max(1, int(os.environ.get("BRIVET_SETTINGS_ROUNDS", "1")))


def race_bitnesses(ctx):
    """Three hosts: one of them of the other bitness, registered for the
    occasion, where this machine runs both."""
    other = 32 if ctx.bits == 64 else 64
    if other == 32 and why_no_32bit() is not None:
        return [ctx.bits] * 3
    dll = ctx.build.parent / f"win{other}/brivet.dll"
    if ctx.wine.regsvr32(other, windows_path(dll)).returncode != 0:
        raise Failure(f"the win{other} DLL did not register")
    return [ctx.bits, ctx.bits, other]


def settings_section(ctx, name):
    """The section's settings as the file holds them."""
    settings, inside = {}, False
    for line in settings_file(ctx).read_bytes().decode("cp1252").splitlines():
        if line.startswith("["):
            inside = line.strip()[1:-1].lower() == name
        elif inside and "=" in line:
            key, value = line.split("=", 1)
            settings[key.strip()] = value.strip()
    return settings


def race(ctx, bitnesses, with_reader):
    """One round: the writers (and the reader) at once; answers the keys
    written and the keys found with their values."""
    go = ctx.work / f"go-{ctx.bits}-{ctx.counter}"
    runs, ready = [], []
    hosts = [(bits, RACE_WRITER, f"h{n}") for n, bits in enumerate(bitnesses)]
    if with_reader:
        hosts.append((ctx.bits, RACE_READER, "reader"))
    try:
        for bits, body, name in hosts:
            ready.append(ctx.work / f"ready-{ctx.bits}-{ctx.counter}-{name}")
            script = ctx.script_file(body.format(ready=windows_path(ready[-1]), go=windows_path(go), name=name,
                                                 keys=RACE_KEYS, reads=RACE_READS), "race")
            runs.append(ScriptRun(ctx.wine, bits, script))
        if not all(until(lambda: [r.exists() for r in ready], all, timeout=120, pause=0.05)):
            raise Failure("the hosts did not all start")
    finally:
        go.touch()
        outputs = [run.finish(timeout=180) for run in runs]
    for (bits, _, name), out in zip(hosts, outputs):
        try:
            check_script_output(out)
        except Failure as e:
            raise Failure(f"host {name} (win{bits}): {e}") from None
    settings = settings_section(ctx, "race")
    written = len(bitnesses) * RACE_KEYS
    found = sum(settings.get(f"h{n}k{i}") == f"h{n}v{i}" for n in range(len(bitnesses)) for i in range(RACE_KEYS))
    return written, found, settings


def case_settings_writers_at_once_lose_nothing(ctx):
    bitnesses = race_bitnesses(ctx)
    rounds, totals = settings_rounds(), [0, 0, 0, 0]
    for _ in range(rounds):
        for with_file in (True, False):
            settings_file(ctx).unlink(missing_ok=True)
            if with_file:
                ctx.run_script('Check CreateObject("Brivet.Window").SaveInfo("race", "earlier", "kept") = 1, '
                               '"the earlier setting"\nFinish', "race")
            written, found, settings = race(ctx, bitnesses, with_reader=with_file)
            expect(found, written, "keys found with their values" + (" (no file at the start)" if not with_file else ""))
            if with_file:
                expect(settings.get("earlier"), "kept", "the earlier setting")
            totals = [totals[0] + written, totals[1] + found, totals[2] + with_file * RACE_READS, totals[3] + 1]
    print(f"    hosts win{'/win'.join(map(str, bitnesses))}: {totals[3]} runs in {rounds} round(s), "
          f"{totals[0]} keys written, {totals[1]} found, {totals[2]} reads of the earlier setting, all found")


HELD_ELSEWHERE = """
Dim w, v
Set w = CreateObject("Brivet.Window")
Check w.SaveInfo("s", "k", "v") = -1, "SaveInfo gives up with -1"
Check w.GetInfo("s", "k", v) = -2 And v = "", "GetInfo gives up with -2"
Finish
"""

AFTER_THE_HOLDER = """
Dim w, v
Set w = CreateObject("Brivet.Window")
Check w.SaveInfo("s", "k", "after") = 1, "SaveInfo answers 1"
Check w.GetInfo("s", "k", v) = 1 And v = "after", "GetInfo reads it back"
Finish
"""


def case_settings_lock_held_elsewhere_is_waited_for_a_while_and_taken_over_from_a_killed_holder(ctx):
    ctx.run_script('Check CreateObject("Brivet.Window").SaveInfo("s", "k", "before") = 1, "a file"\nFinish',
                   "held")
    holder = ctx.wine.start(ctx.bits, [ctx.build / "tests/wine/tools/hold_settings_lock.exe"])
    try:
        expect(holder.stdout.readline().strip(), "held", "the holder's lock")
        ctx.run_script(HELD_ELSEWHERE, "held")
    finally:
        holder.kill()  # killed with the lock held: the lock is abandoned
        holder.communicate()
    ctx.run_script(AFTER_THE_HOLDER, "held")


# --- choosers, answered with real keyboard input --------------------------

def chooser_script(call):
    """A script that makes one chooser call and writes its answer, in UTF-16,
    to a file the harness reads (the host's output is ANSI)."""
    return f"""
Dim w, fso, out, result, r, g, b
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
Set fso = CreateObject("Scripting.FileSystemObject")
{call}
CheckError 0, "the chooser call"
Set out = fso.CreateTextFile(WScript.ScriptFullName & ".answer", True, True)
out.Write result
out.Close
WScript.Echo "answer " & TypeName(result)
Set w = Nothing
Finish
"""


FILE_NAME_BOX = 1148  # the file choosers' file-name field (cmb13)


def answered(ctx, call, title, action, focus=None):
    """Runs the chooser call, waits for the chooser titled `title` (and, if
    given, for the focus on control `focus`), runs `action` on it and
    returns the script's answer and its printed lines."""
    script = ctx.script_file(chooser_script(call), "chooser")
    answer = Path(str(script) + ".answer")
    answer.unlink(missing_ok=True)
    run = ScriptRun(ctx.wine, ctx.bits, script)
    try:
        window = ctx.probe.ready(title)
        has_focus = ctx.probe.focus(title, focus) == focus if focus else ctx.probe.focused(title)
        if not window or not has_focus:
            raise Failure(f"the chooser '{title}' did not appear and take the focus; "
                          + ctx.probe.describe_point(0, 0))
        action(ctx, window)
        if not ctx.probe.gone(title, 20000):
            ctx.screen.screenshot(ctx.shots / f"chooser-stuck-win{ctx.bits}.png")
            raise Failure(f"the chooser '{title}' stayed on screen; "
                          + ctx.probe.describe_point(*ctx.screen.last_click))
    finally:
        out = run.finish()
    lines = check_script_output(out)
    if not answer.exists():
        raise Failure("the script wrote no answer")
    return answer.read_bytes().decode("utf-16"), lines


def typing(*texts_and_keys):
    """Types texts, presses "key:" items and pastes "paste:" items (a text
    with characters outside the keyboard map)."""
    def action(ctx, window):
        for item in texts_and_keys:
            if item.startswith("key:"):
                ctx.screen.key(item[4:])
            elif item.startswith("paste:"):
                ctx.screen.paste(item[6:], ctx.probe)
            else:
                ctx.screen.type(item)
    return action


def case_file_choosers_answer_what_the_user_typed(ctx):
    folder = Path(tempfile.mkdtemp(prefix=f"choose{ctx.bits}-", dir=ctx.work))
    existing = folder / "existing.dat"
    existing.write_text("x")
    unicode_folder = folder / "\u03a9mega-\u0436"
    unicode_folder.mkdir()
    base = windows_path(folder)
    cases = [
        ("result = w.ChooseFileOpen", "Open File", typing(base + "\\typed-open.log", "key:Return"),
         base + "\\typed-open.log"),
        ("result = w.ChooseFileOpen", "Open File", typing("paste:" + base + "\\existing.dat", "key:Return"),
         base + "\\existing.dat"),
        ("result = w.ChooseFileSave", "Save As", typing("paste:" + base + "\\report", "key:Return"),
         base + "\\report.txt"),
        ("result = w.ChooseFileSave", "Save As", typing("paste:" + base + "\\existing.dat", "key:Return"),
         base + "\\existing.dat"),
        ("result = w.ChooseFileOpen", "Open File", typing("key:Escape"), ""),
        ("result = w.ChooseFileSave", "Save As", typing("key:Escape"), ""),
        ("result = w.ChooseFileOpen", "Open File",
         typing("paste:" + windows_path(unicode_folder) + "\\\u00e9t\u00e9 \u03c0.txt", "key:Return"),
         windows_path(unicode_folder) + "\\\u00e9t\u00e9 \u03c0.txt"),
    ]
    for call, title, action, wanted in cases:
        got, _ = answered(ctx, call, title, action, focus=FILE_NAME_BOX)
        expect(got, wanted, f"{call} ({title})")


def case_folder_chooser_picks_a_folder(ctx):
    # The tree opens at the desktop, expanded, with the focus on OK; a folder
    # made on the desktop is one of the desktop's items, reached by typing
    # its name in the tree.
    desktop = ctx.wine.prefix / "drive_c/users" / os.environ.get("USER", "root") / "Desktop"
    desktop = desktop.resolve()
    desktop.mkdir(parents=True, exist_ok=True)
    picked = desktop / "brivetpick"
    picked.mkdir(exist_ok=True)

    def pick(name):
        return typing("key:shift+Tab", "key:Home", name, "key:Return")

    try:
        got, _ = answered(ctx, 'result = w.ChooseFolder("Choose the test folder")', "Browse for Folder",
                          pick("brivetpick"))
        if not got.lower().endswith("\\desktop\\brivetpick"):
            raise Failure(f"the folder chooser answered {got!r}")
        got, _ = answered(ctx, "result = w.ChooseFolder()", "Browse for Folder", pick("Trash"))
        expect(got, "", "an item without a file-system path")
        got, _ = answered(ctx, "result = w.ChooseFolder()", "Browse for Folder", typing("key:Escape"))
        expect(got, "", "a cancelled folder chooser")
    finally:
        shutil.rmtree(picked, ignore_errors=True)


COLOR_RED, COLOR_GREEN, COLOR_BLUE = 706, 707, 708  # the chooser's component fields


def set_colour(red, green, blue):
    def action(ctx, window):
        window = ctx.probe.rects("Color")
        for field, value in ((COLOR_RED, red), (COLOR_GREEN, green), (COLOR_BLUE, blue)):
            if field not in window.children:
                raise Failure(f"the colour chooser has no field {field}: {sorted(window.children)}")
            ctx.screen.click(*window.child_centre(field))
            ctx.screen.key("End", "shift+Home", "BackSpace")
            ctx.screen.type(str(value))
        ctx.screen.key("Return")
    return action


def case_colour_chooser_answers_components_and_text(ctx):
    got, lines = answered(ctx, 'result = w.ChooseColorRGB(r, g, b) & " " & r & " " & g & " " & b & " " & '
                               'TypeName(r)', "Color", set_colour(18, 52, 86))
    expect(got, f"{0x563412} 18 52 86 Long", "ChooseColorRGB")
    got, _ = answered(ctx, "result = w.ChooseColorHex", "Color", set_colour(171, 205, 239))
    expect(got, "ABCDEF", "ChooseColorHex")
    got, _ = answered(ctx, 'result = w.ChooseColorRGB(r, g, b) & " " & r & " " & g & " " & b & " " & '
                           'TypeName(r)', "Color", typing("key:Escape"))
    expect(got, "-1 -1 -1 -1 Integer", "a cancelled ChooseColorRGB")
    got, _ = answered(ctx, "result = w.ChooseColorHex", "Color", typing("key:Escape"))
    expect(got, "", "a cancelled ChooseColorHex")


HEX_TO_WINDOW = """
Dim w, h
Set w = CreateObject("Brivet.Window")
h = w.ChooseColorHex
WScript.Echo "hex " & h
w.WindowColor = h
w.Title = "Brivet chosen colour"
w.ShowButtons = 1
w.Show
CheckError 0, "show"
Set w = Nothing
Finish
"""


def case_chosen_colour_text_colours_the_window(ctx):
    run = ctx.start_script(HEX_TO_WINDOW, "hexwindow")
    try:
        if not ctx.probe.ready("Color"):
            raise Failure("the colour chooser did not appear")
        set_colour(200, 100, 30)(ctx, None)
        window = ctx.probe.wait("Brivet chosen colour")
        if not window:
            raise Failure("the dialog did not appear")
        ox, oy = window.client_origin
        # Until the window has painted.
        pixel = until(lambda: ctx.screen.pixels((ox + 3, oy + 3, ox + 4, oy + 4))[0][0],
                      lambda seen: seen == (200, 100, 30), pause=0.1)
        ctx.screen.click(*window.close_box())
    finally:
        out = run.finish()
    lines = check_script_output(out)
    expect([l for l in lines if l.startswith("hex")], ["hex C8641E"], "the colour text")
    expect(pixel, (200, 100, 30), "the window's colour on screen")


# --- sound ---------------------------------------------------------------

class SoundServer:
    """A private sound server whose only output is a null sink, and a
    recording of that sink's monitor."""

    RATE = 44100

    def __init__(self, work):
        self.dir = Path(tempfile.mkdtemp(prefix="pulse-", dir=work))
        self.socket = self.dir / "native"
        self.env = dict(os.environ, HOME=str(self.dir), PULSE_RUNTIME_PATH=str(self.dir / "run"),
                        PULSE_SERVER=f"unix:{self.socket}")
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
             f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1",
             "--load=module-null-sink sink_name=brivet_null", "--log-target=stderr"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 20
        while subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode != 0:
            if time.time() > deadline or self.server.poll() is not None:
                raise Failure("the sound server did not start")
            time.sleep(0.2)
        # Silence played all along keeps the sink running: an idle sink's
        # monitor delivers nothing, and the start of a sound would be lost
        # while it wakes.
        self.zeros = open("/dev/zero", "rb")
        self.silence = subprocess.Popen(
            ["pacat", "-p", "--raw", "--format=s16le", f"--rate={self.RATE}", "--channels=1"],
            env=self.env, stdin=self.zeros)
        self.recorder = None

    def record(self):
        self.recording = bytearray()
        self.recorder = subprocess.Popen(
            ["pacat", "-r", "-d", "brivet_null.monitor", "--raw", "--format=s16le", f"--rate={self.RATE}",
             "--channels=1", "--latency-msec=50"], env=self.env, stdout=subprocess.PIPE)

        def collect():
            while chunk := self.recorder.stdout.read(4096):
                self.recording.extend(chunk)

        self.collector = threading.Thread(target=collect, daemon=True)
        self.collector.start()
        deadline = time.time() + 20
        # Recording for real once the sink's silence comes in.
        while len(self.recording) < self.RATE:  # half a second of samples
            if time.time() > deadline:
                raise Failure("the recorder gets nothing from the sink's monitor")
            time.sleep(0.1)

    def pactl(self, *args):
        return subprocess.run(["pactl"] + list(args), env=self.env, capture_output=True, text=True).stdout

    def samples(self):
        data = bytes(self.recording)
        samples = array.array("h")
        samples.frombytes(data[: len(data) // 2 * 2])
        return samples

    def recorded(self, settled):
        """The recording, once `settled(samples)` holds (or after 15 s): the
        recorder gets what the sink played some time later, and nothing at
        all while the sink is idle."""
        deadline = time.time() + 15
        samples = self.samples()
        while not settled(samples) and time.time() < deadline:
            time.sleep(0.2)
            samples = self.samples()
        self.recorder.terminate()
        self.recorder.wait(10)
        self.collector.join(10)
        return samples

    def stop(self):
        for process in (self.recorder, self.silence):
            if process and process.poll() is None:
                process.kill()
        self.zeros.close()
        self.server.terminate()
        try:
            self.server.wait(10)
        except subprocess.TimeoutExpired:
            self.server.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def write_tone(path, seconds=1.0, hertz=440, rate=44100):
    frames = array.array("h", (int(12000 * math.sin(2 * math.pi * hertz * i / rate))
                               for i in range(int(seconds * rate))))
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(frames.tobytes())


def tone_blocks(samples, rate=SoundServer.RATE, hertz=440):
    """For each 10 ms block of the recording, whether it holds the tone: loud,
    and crossing zero about as often as the tone does."""
    block = rate // 100
    wanted = 2 * hertz / 100
    held = []
    for start in range(0, len(samples) - block, block):
        chunk = samples[start:start + block]
        loud = sum(abs(s) for s in chunk) / block > 2000
        crossings = sum(1 for a, b in zip(chunk, chunk[1:]) if (a < 0) != (b < 0))
        held.append(loud and abs(crossings - wanted) <= 2)
    return held


def tone_then_silence(samples):
    """The tone was recorded and half a second of silence after it."""
    held = tone_blocks(samples)
    return any(held) and len(held) - (len(held) - held[::-1].index(True)) >= 50


SOUND_SCRIPT = """
Dim w, t, paths, i
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
paths = Array({paths})
For i = 0 To UBound(paths)
  t = Timer
  w.PlaySound paths(i)
  CheckError 0, "PlaySound " & i
  WScript.Echo "took " & Int((Timer - t) * 1000)
Next
w.PlaySound Null
CheckError 0, "PlaySound Null"
Set w = Nothing
Finish
"""


def played(ctx, server, paths, expect_tone):
    """Runs PlaySound for each path while recording the sink; returns how long
    each call took (ms) and how many seconds of the tone were recorded."""
    quoted = ", ".join('"' + p + '"' for p in paths)
    server.record()
    saved = dict(ctx.wine.env)
    ctx.wine.env.update(PULSE_SERVER=server.env["PULSE_SERVER"])
    try:
        lines = ctx.run_script(SOUND_SCRIPT.format(paths=quoted), "sound")
    finally:
        ctx.wine.env = saved
    took = [int(l.split()[1]) for l in lines if l.startswith("took ")]
    if expect_tone:
        samples = server.recorded(tone_then_silence)
    else:  # half a second of the sink's output after the script ended
        ended = len(server.samples())
        samples = server.recorded(lambda s: len(s) >= ended + SoundServer.RATE // 2)
    held = tone_blocks(samples)
    return took, sum(held) / 100, "".join("#" if h else "." for h in held)


def case_wave_sound_plays_to_its_end(ctx):
    folder = Path(tempfile.mkdtemp(prefix=f"sound{ctx.bits}-", dir=ctx.work))
    write_tone(folder / "tone.WaV")
    shutil.copy(folder / "tone.WaV", folder / "tone.mp3")
    shutil.copy(folder / "tone.WaV", folder / "tone.wav.bak")
    (folder / "folder.wav").mkdir()
    base = windows_path(folder)
    server = SoundServer(ctx.work)
    try:
        took, heard, trace = played(ctx, server, [base + "\\tone.WaV"], True)
        if not took or took[0] < 1000:
            raise Failure(f"PlaySound returned after {took} ms, before the 1-second tone had played")
        # Under load Wine's stream can underrun, which breaks up some blocks.
        if heard < 0.5:
            raise Failure(f"the sink's monitor holds {heard:.2f} s of the tone (10 ms blocks: {trace})")
        silent = [base + "\\missing.wav", base + "\\tone.mp3", base + "\\tone.wav.bak",
                  base + "\\folder.wav", ""]
        took, heard, trace = played(ctx, server, silent, False)
        expect(len(took), len(silent), "calls that returned")
        if heard > 0:
            raise Failure(f"{heard:.2f} s of the tone was played for files that are no wave files: {trace}")
    finally:
        server.stop()


CASES = [
    case_settings_file_edge_cases,
    case_two_scripts_write_the_settings_file_in_turn,
    case_settings_names_are_judged_as_the_file_holds_them,
    case_settings_routines_against_the_model_of_the_settings,
    case_settings_writers_at_once_lose_nothing,
    case_settings_lock_held_elsewhere_is_waited_for_a_while_and_taken_over_from_a_killed_holder,
    case_file_choosers_answer_what_the_user_typed,
    case_folder_chooser_picks_a_folder,
    case_colour_chooser_answers_components_and_text,
    case_chosen_colour_text_colours_the_window,
    case_wave_sound_plays_to_its_end,
]
