"""The dialog's content under Wine: typed texts, the picked entry, pictures
of every accepted kind and a long list, with real input."""

import subprocess

import harness
from dialog_cases import (BUT0, BUT1, BUT2, FRIM, IM1, LBOX, T1, T1M, T2, answer, check_layout,
                          click_button, click_close_box, expect, interact, show_loop)
from harness import Failure

NON_ANSI = "Gr\u00fc\u00dfe \u2713 \u65e5\u672c\u8a9e"


def answers_script(title, setup, shows, out):
    """Shows the dialog `shows` times; after each show writes the answer and
    the three texts to a UTF-16 file, which keeps every character."""
    report = f"""Set f = fso.CreateTextFile("{harness.windows_path(out)}" & i & ".txt", True, True)
  f.Write r & Chr(30) & a & Chr(30) & b & Chr(30) & c
  f.Close
  CheckError 0, "write the answer " & i"""
    return f"""
Dim w, fso, f, r, a, b, c, i
Set fso = CreateObject("Scripting.FileSystemObject")
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
{show_loop(title, setup, shows, report)}
Finish
"""


def read_answer(out, n):
    # Fields apart by the record separator, so line breaks in a text stay.
    return (out.parent / f"{out.name}{n}.txt").read_bytes().decode("utf-16").split("\x1e")


TEXT_BOX_SETUP = """w.ShowTextBox(True) = 2
  w.Text1Caption = "Notes"
  w.Text2Caption = "Name"
  w.LoadList "red,green,blue"
  w.ShowList
  w.ShowButtons = 2
  w.Button1Caption = "Save"
  w.Button2Caption = "Send"
  """


def case_typed_texts_and_the_picked_entry_come_back(ctx):
    out = ctx.work / f"typed-{ctx.bits}-"

    def type_pick_and_press(ctx, window):
        ctx.screen.click(*window.child_centre(T1M))
        ctx.screen.type("line one")
        ctx.screen.key("Return")
        ctx.screen.paste(NON_ANSI, ctx.probe)
        ctx.screen.click(*window.child_centre(T2))
        ctx.screen.type("second")
        left, top, _, _ = window.child_screen_rect(LBOX)
        ctx.screen.click(left + 20, top + 5)  # the first entry
        click_button(1)(ctx, window)

    def type_then_close(ctx, window):
        ctx.screen.click(*window.child_centre(T2))
        ctx.screen.type("lost")
        click_close_box(ctx, window)

    title = "Brivet typing"
    body = answers_script(title, TEXT_BOX_SETUP, 2, out)
    answer(ctx, body, [(f"{title} #1", type_pick_and_press), (f"{title} #2", type_then_close)],
           shot="text-boxes")
    expect(read_answer(out, 1), ["2", "line one\r\n" + NON_ANSI, "second", "red"])
    # The close box answers 0 and drops what was typed.
    expect(read_answer(out, 2), ["0", "", "", ""])


def make_pictures(folder):
    """One 40-pixel red square of each accepted kind, plus a file that is no
    picture under an accepted name."""
    files = {}
    for kind, target in (("bmp", "BMP3:{}"), ("jpg", "{}"), ("gif", "{}"), ("ico", "{}")):
        path = folder / f"red.{kind.upper() if kind == 'bmp' else kind}"
        size = "32x32" if kind == "ico" else "40x40"
        subprocess.run(["convert", "-size", size, "xc:#FF0000", target.format(path)], check=True, timeout=60)
        files[kind] = path
    files["bad"] = folder / "bad.jpg"
    files["bad"].write_text("no picture in here")
    return files


def case_pictures_of_every_kind_show(ctx):
    folder = ctx.work / f"pictures-{ctx.bits}"
    folder.mkdir(exist_ok=True)
    files = make_pictures(folder)
    (folder / "red.png").write_bytes(files["gif"].read_bytes())
    # Errors, without a dialog: the loader's for a file that holds no
    # picture; none for what names no accepted file.
    ctx.run_script(f"""
Dim w
Set w = CreateObject("Brivet.Window")
w.Picture = "{harness.windows_path(files['bad'])}"
CheckError 481, "a .jpg that holds no picture"
w.Picture = "{harness.windows_path(folder / 'red.png')}"
CheckError 0, "another extension"
w.Picture = "{harness.windows_path(folder / 'missing.gif')}"
CheckError 0, "a missing file"
w.Picture = "{harness.windows_path(folder)}"
CheckError 0, "a folder"
w.Picture = ""
CheckError 0, "the empty text"
Finish
""", "pictures")

    kinds = ["bmp", "jpg", "gif", "ico"]
    seen = {}

    def sample(kind):
        def action(ctx, window):
            if not window.children[FRIM][0]:
                raise Failure(f"the picture frame is hidden for the {kind} file")
            left, top, right, bottom = window.child_screen_rect(IM1 if IM1 in window.children else FRIM)
            seen[kind] = ctx.screen.pixels((left + 8, top + 8, left + 9, top + 9))[0][0]
            click_button(0)(ctx, window)
        return action

    title = "Brivet picture"
    setup = ('Select Case i\n' + "".join(
        f'  Case {n + 1}: w.Picture = "{harness.windows_path(files[k])}"\n' for n, k in enumerate(kinds)) +
        '  End Select\n  w.ShowButtons = 1')
    body = f"""
Dim w, i
Set w = CreateObject("Brivet.Window")
For i = 1 To {len(kinds)}
  w.Title = "{title} #" & i
  {setup}
  CheckError 0, "picture " & i
  w.Show
Next
Finish
"""
    answer(ctx, body, [(f"{title} #{n + 1}", sample(k)) for n, k in enumerate(kinds)], shot="picture")
    for kind in kinds:
        r, g, b = seen[kind]
        if not (r > 200 and g < 60 and b < 60):
            raise Failure(f"the {kind} picture shows {seen[kind]} where red was expected")


def case_a_long_list_fills_and_reads_back(ctx):
    ctx.run_script("""
Dim w, i, j, block, s, got
' Wine's VBScript has no Join: blocks of a thousand keep the building linear.
For j = 0 To 31
  block = ""
  For i = 0 To 999
    block = block & ",entry " & (j * 1000 + i)
  Next
  s = s & block
Next
s = Mid(s, 2)
CheckError 0, "build the list text"
Check Len(s) > 300000, "the list text is " & Len(s) & " characters"
Set w = CreateObject("Brivet.Window")
w.LoadList s
got = w.GetList
CheckError 0, "load and read back"
Check got = s, "32,000 entries read back as loaded"
w.ClearList
w.LoadList s & "," & s
got = w.GetList
Check got = "", "a text of more than 32,768 pieces adds nothing (" & Len(got) & ")"
Finish
""", "long-list", timeout=300)


def case_tab_follows_the_template_order(ctx):
    forward = [T1, T2, BUT0, BUT1, BUT2, LBOX]
    title = "Brivet tabs #1"

    def walk(ctx, key, controls):
        for control in controls:
            ctx.screen.key(key)
            got = ctx.probe.focus(title, control)
            if got != control:
                raise Failure(f"{key}: the focus is on control {got}, expected {control}")

    def tab_round(ctx, window):
        ctx.screen.click(*window.child_centre(T1))
        if ctx.probe.focus(title, T1) != T1:
            raise Failure("a click did not focus the first text box")
        # Backwards from the first box round to it again, then forwards to
        # the list. (Under Wine the first key after Tab focused the list is
        # lost, so the round ends there; see docs/wine-notes.md.)
        walk(ctx, "shift+Tab", list(reversed(forward)))
        walk(ctx, "Tab", forward[1:])
        click_close_box(ctx, window)

    setup = 'w.ShowTextBox(False) = 2\n  w.LoadList "a,b"\n  w.ShowList\n  w.ShowButtons = 3'
    interact(ctx, "Brivet tabs", setup, [tab_round])


def case_header_follows_the_caption_and_the_picture(ctx):
    folder = ctx.work / f"header-{ctx.bits}"
    folder.mkdir(exist_ok=True)
    picture = harness.windows_path(make_pictures(folder)["gif"])
    layouts = [
        ("a caption of four lines", '"First line" & vbCrLf & "second" & vbCrLf & "third" & vbCrLf & "fourth"',
         False, "caption-lines"),
        ("a picture beside a caption", '"The picture is on the left"', True, "picture-caption"),
        ("a picture alone", None, True, None),
    ]
    for n, (name, caption, with_picture, shot) in enumerate(layouts):
        seen = []

        def measure(ctx, window):
            seen.append(window)
            click_button(0)(ctx, window)

        setup = 'w.ShowButtons = 1\nw.Button1Caption = "OK"\n'
        setup += f"w.Caption = {caption}\n" if caption else ""
        setup += f'w.Picture = "{picture}"\n' if with_picture else ""
        interact(ctx, f"Brivet header {n + 1}", setup, [measure], shot=shot)
        check_layout(seen[0], 1, caption is not None, name, picture=with_picture)


CASES = [
    case_tab_follows_the_template_order,
    case_header_follows_the_caption_and_the_picture,
    case_typed_texts_and_the_picked_entry_come_back,
    case_pictures_of_every_kind_show,
    case_a_long_list_fills_and_reads_back,
]
