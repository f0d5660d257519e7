"""The component through every host under Wine: the VBScript suite of every
member, the JScript suite, and what a script can hand it that is broken:
corrupted and truncated pictures, a settings file of garbage, very long
lines or no line ends. Nothing may crash or hang the host; every failure is
the error or status the member answers for it."""

import random
import struct
import subprocess
import time
from pathlib import Path

import harness
from content_cases import NON_ANSI
from dialog_cases import BUT0, BUT1, FRIM, IM1, answer, click_button
from harness import Failure, ScriptRun, check_script_output

SCRIPTS = Path(__file__).resolve().parent / "scripts"


def case_vbscript_every_member(ctx):
    lines = ctx.run_script((SCRIPTS / "members.vbs").read_text(), "members", timeout=300)
    print("    " + next(l for l in lines if l.endswith(" failed")))


# --- JScript ---------------------------------------------------------------

def jscript_file(ctx, body, name):
    """A JScript file: the JScript prelude, then the body, in the ANSI code
    page (the host reads no other)."""
    ctx.counter += 1
    path = ctx.work / f"{name}-{ctx.bits}-{ctx.counter}.js"
    text = (SCRIPTS / "prelude.js").read_text() + "\n" + body
    path.write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))
    return path


def case_jscript_every_member(ctx):
    path = jscript_file(ctx, (SCRIPTS / "members.js").read_text(), "members")
    result = ctx.wine.run(ctx.bits, ctx.wine.cscript_command(ctx.bits, path), timeout=300)
    lines = check_script_output(result.stdout.replace("\r", ""))
    print("    " + next(l for l in lines if l.endswith(" failed")))


JSCRIPT_DIALOG = """
var w = new ActiveXObject("Brivet.Window");
w.Title = "Brivet jscript";
w.Caption = "From JScript";
w.ShowButtons = 2;
w.Button1Caption = "One";
w.Button2Caption = "Two";
checkError(0, "Show()", function () { w.Show(); });
var r = w.Response();
echo("response " + r + " " + typeof r);
w = null;
CollectGarbage();
finish();
"""


def answer_jscript(ctx, body, name, title, action):
    """Runs a JScript file, answers its one dialog with `action` and returns
    the lines it printed."""
    run = ScriptRun(ctx.wine, ctx.bits, jscript_file(ctx, body, name))
    try:
        if not ctx.probe.ready(title):
            raise Failure("the dialog did not appear")
        action(ctx, ctx.probe.rects(title))
        if not ctx.probe.gone(title):
            raise Failure("the dialog stayed on screen")
    finally:
        out = run.finish()
    return check_script_output(out)


def case_jscript_dialog_round_trip(ctx):
    lines = answer_jscript(ctx, JSCRIPT_DIALOG, "jsdialog", "Brivet jscript", click_button(1))
    got = [l for l in lines if l.startswith("response")]
    if got != ["response 2 number"]:
        raise Failure(f"JScript read {got}")


# Everything the user answered, read through the members that hand it back
# as results; written to a UTF-16 file, which keeps every character.
JSCRIPT_ANSWERS = """
var fso = new ActiveXObject("Scripting.FileSystemObject");
var w = new ActiveXObject("Brivet.Window");
check(w.SaveInfo("jscript", "greeting", "gr\u00fc\u00df dich") === 1, "SaveInfo");
w.Title = "Brivet jscript keys";
w.ShowTextBox(false) = 2;
w.Text1Caption = "&Name";
w.Text2Caption = "&City";
w.LoadList("red,green");
w.ShowList();
w.ShowButtons = 2;
checkError(0, "Show()", function () { w.Show(); });
var f = fso.CreateTextFile("{out}", true, true);
f.Write([w.ResponseCode, w.ResponseText1, w.ResponseText2, w.ResponseListItem,
         w.GetInfoValue("jscript", "greeting")].join("\x1e"));
f.Close();
check(w.DeleteInfo("jscript", "greeting") === 1, "DeleteInfo");
check(w.GetInfoValue("jscript", "greeting") === "", "a deleted setting's value is empty");
w = null;
CollectGarbage();
finish();
"""


def case_jscript_reads_what_was_typed(ctx):
    """Keys only: text typed and pasted into the first box, the second box
    reached by its access key, the list entry picked by its first letter,
    Enter for the first button."""
    out = ctx.work / f"jsanswers-{ctx.bits}.txt"

    def type_pick_and_enter(ctx, window):
        ctx.screen.type("first ")
        ctx.screen.paste(NON_ANSI, ctx.probe)
        ctx.screen.key("alt+c")
        ctx.screen.type("second")
        ctx.screen.key("alt+n", "shift+Tab", "g", "Return")

    body = JSCRIPT_ANSWERS.replace("{out}", harness.windows_path(out).replace("\\", "\\\\"))
    answer_jscript(ctx, body, "jsanswers", "Brivet jscript keys", type_pick_and_enter)
    got = out.read_bytes().decode("utf-16").split("\x1e")
    wanted = ["1", "first " + NON_ANSI, "second", "green", "gr\u00fc\u00df dich"]
    if got != wanted:
        raise Failure(f"JScript read {got}, expected {wanted}")


# --- broken pictures ----------------------------------------------------------

def picture_sample(folder, kind, colour):
    path = folder / f"sample.{kind}"
    target = ("BMP3:" if kind == "bmp" else "") + str(path)
    size = "32x32" if kind == "ico" else "40x40"
    subprocess.run(["convert", "-size", size, f"xc:{colour}", target], check=True, timeout=60)
    return path.read_bytes()


def patched(data, offset, value):
    return data[:offset] + value + data[offset + len(value):]


def broken_pictures(folder):
    """Files of the four accepted kinds that hold no readable picture: cut
    inside their headers, a magic byte flipped, absurd declared sizes and
    offsets. Each comes with the reason it is broken."""
    broken = []
    for kind in ("bmp", "jpg", "gif", "ico"):
        data = picture_sample(folder, kind, "#00FF00")
        # Where the first pixel data starts: a cut before it leaves no picture.
        header_end = {"bmp": 54, "jpg": data.find(b"\xff\xda"), "gif": data.find(b"\x2c"), "ico": 22 + 40}[kind]
        for n in sorted({0, 1, 2, 3, 5, 8, 13, 21, header_end // 2, header_end - 1, header_end}):
            broken.append((kind, f"cut to {n} bytes", data[:n]))
        broken.append((kind, "first byte flipped", bytes([data[0] ^ 0xFF]) + data[1:]))
        broken.append((kind, "second byte flipped", data[:1] + bytes([data[1] ^ 0xFF]) + data[2:]))
        rng = random.Random(kind)
        broken.append((kind, "magic then noise", data[:4] + bytes(rng.randrange(256) for _ in range(3000))))
        if kind == "bmp":
            huge = struct.pack("<ii", 0x7FFFFFFF, 0x7FFFFFFF)
            broken.append((kind, "huge width and height", patched(data, 18, huge)))
            broken.append((kind, "huge width, negative height", patched(data, 18, struct.pack("<ii", 0x40000000, -0x40000000))))
            broken.append((kind, "bit count 0", patched(data, 28, struct.pack("<H", 0))))
            broken.append((kind, "bit count 33", patched(data, 28, struct.pack("<H", 33))))
            broken.append((kind, "pixel offset past the end", patched(data, 10, struct.pack("<I", 0xFFFFFFF0))))
            broken.append((kind, "info size huge", patched(data, 14, struct.pack("<I", 0x7FFFFFFF))))
            broken.append((kind, "width and height 0", patched(data, 18, struct.pack("<ii", 0, 0))))
        elif kind == "jpg":
            sof = data.find(b"\xff\xc0")
            if sof < 0:
                sof = data.find(b"\xff\xc2")
            broken.append((kind, "frame 65535 x 65535", patched(data, sof + 5, struct.pack(">HH", 0xFFFF, 0xFFFF))))
            broken.append((kind, "frame 0 x 0", patched(data, sof + 5, struct.pack(">HH", 0, 0))))
            broken.append((kind, "frame of 0 components", patched(data, sof + 9, b"\x00")))
            broken.append((kind, "segment length 0", patched(data, 4, b"\x00\x00")))
            broken.append((kind, "segment length past the end", patched(data, 4, b"\xff\xff")))
        elif kind == "gif":
            broken.append((kind, "screen and image 65535 x 65535",
                           patched(patched(data, 6, struct.pack("<HH", 0xFFFF, 0xFFFF)),
                                   data.find(b"\x2c") + 5, struct.pack("<HH", 0xFFFF, 0xFFFF))))
            broken.append((kind, "image 0 x 0", patched(data, data.find(b"\x2c") + 5, struct.pack("<HH", 0, 0))))
            broken.append((kind, "no image, only the trailer", data[:data.find(b"\x2c")] + b"\x3b"))
        else:
            broken.append((kind, "no images", patched(data, 4, struct.pack("<H", 0))))
            broken.append((kind, "65535 images", patched(data, 4, struct.pack("<H", 0xFFFF))))
            broken.append((kind, "image size huge", patched(data, 14, struct.pack("<I", 0xFFFFFFFF))))
            broken.append((kind, "image offset past the end", patched(data, 18, struct.pack("<I", 0xFFFFFF00))))
            broken.append((kind, "bitmap of huge size",
                           patched(data, 22 + 4, struct.pack("<ii", 0x7FFFFFFF, 0x7FFFFFFF))))
    return broken


def case_broken_pictures_raise_481_and_keep_the_picture(ctx):
    folder = ctx.work / f"broken-pictures-{ctx.bits}"
    folder.mkdir(exist_ok=True)
    red = folder / "red.gif"
    red.write_bytes(picture_sample(folder, "gif", "#FF0000"))
    lines = []
    for n, (kind, why, data) in enumerate(broken_pictures(folder)):
        path = folder / f"broken{n}.{kind}"
        path.write_bytes(data)
        lines.append(f'w.Picture = "{harness.windows_path(path)}"\n'
                     f'CheckError 481, "{kind} {why}"')
    setup = f'w.Picture = "{harness.windows_path(red)}"\n  CheckError 0, "the good picture"\n  ' + \
        "\n  ".join(lines) + "\n  w.ShowButtons = 1"
    body = f"""
Dim w
Set w = CreateObject("Brivet.Window")
w.Title = "Brivet broken pictures"
{setup}
w.Show
CheckError 0, "show"
Set w = Nothing
Finish
"""
    seen = {}

    def sample(ctx, window):
        if not window.children[FRIM][0]:
            raise Failure("the picture frame is hidden")
        left, top, _, _ = window.child_screen_rect(IM1 if IM1 in window.children else FRIM)
        seen["pixel"] = ctx.screen.pixels((left + 8, top + 8, left + 9, top + 9))[0][0]
        click_button(0)(ctx, window)

    answer(ctx, body, [("Brivet broken pictures", sample)])
    r, g, b = seen["pixel"]
    if not (r > 200 and g < 60 and b < 60):
        raise Failure(f"after the broken files the picture shows {seen['pixel']}, not the red one set before")


# --- settings files of garbage ------------------------------------------------

def garbage(seed, size):
    """Bytes of every value, line ends and brackets among them; never a
    byte-order mark at the start, which would make the file Unicode."""
    rng = random.Random(seed)
    data = bytes(rng.choice(b"[]=;\r\n\x00 \t\xe9\xff") if rng.random() < 0.3 else rng.randrange(256)
                 for _ in range(size))
    return b"x" + data


LONG = 100_000
GOOD = b"\r\n[keep]\r\nk=v\r\n[after]\r\nz=1\r\n"
# Each file, and the settings read from it: (section, key, status, value).
SETTINGS_FILES = [
    ("garbage before the sections", garbage(1, 20000) + GOOD,
     [("keep", "k", 1, "v"), ("after", "z", 1, "1")]),
    ("garbage only", garbage(2, 20000), [("keep", "k", 0, "")]),
    ("a value of 100,000 characters", b"[keep]\r\nk=v\r\nlong=" + b"x" * LONG + GOOD,
     [("keep", "long", 1, "x" * 254), ("keep", "k", 1, "v"), ("after", "z", 1, "1")]),
    ("a key of 100,000 characters", b"[keep]\r\n" + b"y" * LONG + b"=2\r\nk=v" + GOOD,
     [("keep", "y" * LONG, 1, "2"), ("keep", "k", 1, "v")]),
    ("a section of 100,000 characters", b"[" + b"s" * LONG + b"]\r\nz=3" + GOOD,
     [("s" * LONG, "z", 1, "3"), ("keep", "k", 1, "v")]),
    ("one line of 100,000 characters without a line end", b"q" * LONG, [("keep", "k", 0, "")]),
    ("a last line without its line end", b"[keep]\r\nk=v", [("keep", "k", 1, "v")]),
    ("line feeds only", b"[keep]\nk=v\n[after]\nz=1\n", [("keep", "k", 1, "v"), ("after", "z", 1, "1")]),
]


def settings_script(reads, section, key):
    """Reads the settings, writes one more into another section, and reads
    them all again."""
    def read_all(when):
        out = []
        for s, k, status, value in reads + [(section, key, 1, "written")] * (when == "after"):
            vs = f'String({len(s)}, "{s[0]}")' if len(s) > 64 else f'"{s}"'
            vk = f'String({len(k)}, "{k[0]}")' if len(k) > 64 else f'"{k}"'
            vv = f'String({len(value)}, "{value[0]}")' if len(value) > 64 else f'"{value}"'
            out.append(f'v = 99\nr = w.GetInfo({vs}, {vk}, v)\nCheckError 0, "GetInfo {when}"\n'
                       f'Check r = {status} And v = {vv}, "{when}: [{s[:20]}] {k[:20]} answers {status} (" & r & ", " & Len(v) & ")"')
        return "\n".join(out)
    return f"""
Dim w, v, r
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
{read_all("before")}
r = w.SaveInfo("{section}", "{key}", "written")
Check r = 1, "SaveInfo into the file answers 1 (" & r & ")"
{read_all("after")}
Set w = Nothing
Finish
"""


def case_settings_file_of_garbage_is_read_without_harm(ctx):
    path = ctx.wine.prefix / "drive_c/windows/brivetdll.ini"
    try:
        for what, data, reads in SETTINGS_FILES:
            path.write_bytes(data)
            try:
                ctx.run_script(settings_script(reads, "added", "n"), "garbage")
            except Failure as e:
                raise Failure(f"{what}: {e}")
            after = path.read_bytes()
            for s, k, _, value in reads:
                if value == "x" * 254 and b"x" * LONG not in after:
                    raise Failure(f"{what}: the long value was not kept by the write")
    finally:
        path.unlink(missing_ok=True)


CASES = [
    case_vbscript_every_member,
    case_jscript_every_member,
    case_jscript_dialog_round_trip,
    case_jscript_reads_what_was_typed,
    case_broken_pictures_raise_481_and_keep_the_picture,
    case_settings_file_of_garbage_is_read_without_harm,
]
