"""The scripts in examples/ run as a user runs them (no test prelude), their
dialogs and choosers answered with real input, their echoed lines checked,
and a screenshot of each taken for the gallery."""

import os
import shutil
from pathlib import Path

from dialog_cases import BUT0, BUT1, FRIM, IM1, LBOX, T1, T1M, T2
from harness import Failure, ScriptRun, windows_path
from service_cases import set_colour, settings_file, typing

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def scripts_folder(ctx):
    """C:\\Scripts in the prefix, the current folder of the scripts the
    examples and the documents' snippets run as: it holds the picture they
    show and the examples themselves, so a chooser opens on an ordinary
    folder of scripts."""
    folder = ctx.wine.prefix / "drive_c/Scripts"
    folder.mkdir(exist_ok=True)
    for path in list(EXAMPLES.glob("*.vbs")) + list(EXAMPLES.glob("*.js")) + [EXAMPLES / "logo.gif"]:
        shutil.copyfile(path, folder / path.name)
    return folder


def run_example(ctx, name, windows, script=None):
    """Runs examples/<name>.vbs (or `script`) from the scripts folder of the
    prefix and, for each (title, shot, action), waits for that window,
    screenshots it if `shot` is given, runs the action on it and waits for it
    to go. Answers the lines the script echoed."""
    script = script or EXAMPLES / (name if "." in name else f"{name}.vbs")
    run = ScriptRun(ctx.wine, ctx.bits, script, scripts_folder(ctx))
    try:
        for title, shot, action in windows:
            window = ctx.probe.ready(title)
            if not window or not ctx.probe.focused(title):
                raise Failure(f"{name}: the window '{title}' did not appear ready for input")
            window = ctx.probe.rects(title)
            if shot:
                ctx.screen.screenshot(ctx.shots / f"{shot}-win{ctx.bits}.png", window.rect)
            action(ctx, window)
            if not ctx.probe.gone(title):
                ctx.screen.screenshot(ctx.shots / f"stuck-{name}-win{ctx.bits}.png")
                raise Failure(f"{name}: the window '{title}' stayed on screen")
    finally:
        out = run.finish()
    return [line for line in out.splitlines() if line.strip()]


def expect_lines(got, wanted, name):
    if got != wanted:
        raise Failure(f"{name}: expected the lines {wanted!r}, got {got!r}")


def click(control):
    def action(ctx, window):
        ctx.screen.click(*window.child_centre(control))
    return action


def in_turn(*actions):
    def action(ctx, window):
        for a in actions:
            a(ctx, window)
    return action


def shoot(name):
    """A screenshot of the window as it is now, for the gallery."""
    def action(ctx, window):
        ctx.screen.screenshot(ctx.shots / f"{name}-win{ctx.bits}.png", window.rect)
    return action


def replace_text(text):
    """Replaces the text of the focused single-line box."""
    def action(ctx, window):
        ctx.screen.key("End", "shift+Home", "BackSpace")
        ctx.screen.type(text)
    return action


def case_example_sign_in_form(ctx):
    got = run_example(ctx, "signin", [
        ("Sign in", "example-signin",
         in_turn(click(T1), replace_text("alice"), click(T2), replace_text("LAB"), click(BUT0)))])
    expect_lines(got, ["Signed in as LAB\\alice"], "signin")
    got = run_example(ctx, "signin", [("Sign in", None, click(BUT1))])
    expect_lines(got, ["Cancelled"], "signin cancelled")


def pick_third_entry(ctx, window):
    # A click selects the first entry; Down moves the selection on.
    left, top, _, _ = window.child_screen_rect(LBOX)
    ctx.screen.click(left + 20, top + 5)
    ctx.screen.key("Down", "Down")


def case_example_choose_an_entry_in_vbscript_and_jscript(ctx):
    # The JScript example reads the entry through ResponseListItem.
    for name, title, shot in (("choose_entry", "Deploy", "example-choose-entry"),
                              ("pick_entry.js", "Deploy (JScript)", "example-jscript")):
        got = run_example(ctx, name, [(title, shot, in_turn(pick_third_entry, click(BUT0)))])
        expect_lines(got, ["Chosen: Staging"], name)
        got = run_example(ctx, name, [(title, None, click(BUT0))])
        expect_lines(got, ["Nothing chosen"], f"{name} without a selection")


def case_example_yes_no_cancel(ctx):
    got = run_example(ctx, "yes_no_cancel", [("Unsaved changes", "example-yes-no-cancel", click(BUT1))])
    expect_lines(got, ["No"], "yes_no_cancel")
    got = run_example(ctx, "yes_no_cancel", [("Unsaved changes", None,
                                               lambda ctx, window: ctx.screen.click(*window.close_box()))])
    expect_lines(got, ["Cancel"], "yes_no_cancel closed")


def case_example_remember_the_last_folder(ctx):
    desktop = (ctx.wine.prefix / "drive_c/users" / os.environ.get("USER", "root") / "Desktop").resolve()
    desktop.mkdir(parents=True, exist_ok=True)
    picked = desktop / "brivetexample"
    picked.mkdir(exist_ok=True)
    settings_file(ctx).unlink(missing_ok=True)
    chooser = "Browse for Folder"
    try:
        got = run_example(ctx, "remember_folder", [
            (chooser, None, typing("key:shift+Tab", "key:Home", "brivetexample", "key:Return"))])
        if len(got) != 2 or got[0] != "No folder remembered yet" or \
                not got[1].lower().endswith("\\desktop\\brivetexample"):
            raise Failure(f"the first run echoed {got!r}")
        folder = got[1].split(": ", 1)[1]
        # The second run finds the folder in the settings file.
        got = run_example(ctx, "remember_folder", [(chooser, "example-remember-folder", typing("key:Escape"))])
        expect_lines(got, ["Last folder: " + folder, "Cancelled"], "remember_folder, second run")
    finally:
        shutil.rmtree(picked, ignore_errors=True)


def case_example_pick_a_file_and_a_colour(ctx):
    folder = ctx.work / f"example-{ctx.bits}"
    folder.mkdir(exist_ok=True)
    report = folder / "report.txt"
    report.write_text("x")
    got = run_example(ctx, "pick_file_and_colour", [
        ("Open File", "example-open-file", typing("paste:" + windows_path(report), "key:Return")),
        ("Color", "example-colour", set_colour(200, 100, 30)),
    ])
    expect_lines(got, ["File: " + windows_path(report), "Colour: C8641E"], "pick_file_and_colour")
    got = run_example(ctx, "pick_file_and_colour", [
        ("Open File", None, typing("key:Escape")), ("Color", None, typing("key:Escape"))])
    expect_lines(got, ["No file chosen", "No colour chosen"], "pick_file_and_colour cancelled")


# What docs/other-languages.md tells a JScript author: arguments go by value,
# so Response and GetInfo write into no variable of the script, while the
# members that answer the same as results, a put with arguments and the
# statuses work.
JSCRIPT = """
var w = new ActiveXObject("Brivet.Window");
w.Title = "Brivet JScript";
w.ShowTextBox(false) = 1;
w.LoadList("red,green,blue");
w.ShowList();
w.ShowButtons = 2;
w.Show();
var text = "unset";
WScript.Echo("code " + w.Response(text) + " text " + text);
WScript.Echo("typed " + w.ResponseText1 + " entry " + w.ResponseListItem);
var value = "unset";
WScript.Echo("saved " + w.SaveInfo("jscript", "key", "stored"));
WScript.Echo("read " + w.GetInfo("jscript", "key", value) + " value " + value);
WScript.Echo("value " + w.GetInfoValue("jscript", "key"));
try { w.ShowButtons = 40000; } catch (e) { WScript.Echo("error " + (e.number & 0xFFFF)); }
"""


def case_example_jscript_without_by_reference_arguments(ctx):
    script = ctx.work / f"client-{ctx.bits}.js"
    script.write_bytes(JSCRIPT.encode("ascii"))

    def type_pick_and_press(ctx, window):
        click(T1)(ctx, window)
        ctx.screen.type("typed")
        left, top, _, _ = window.child_screen_rect(LBOX)
        ctx.screen.click(left + 20, top + 5)  # the first entry
        click(BUT1)(ctx, window)

    got = run_example(ctx, "jscript", [("Brivet JScript", None, type_pick_and_press)], script)
    expect_lines(got, ["code 2 text unset", "typed typed entry red", "saved 1", "read 1 value unset",
                       "value stored", "error 6"], "the JScript client")


def fill_demo(screen, window):
    """What the demo's answer shows: a name typed and the second entry
    picked (scripts/demo.py does the same without a display)."""
    screen.click(*window.child_centre(T1))
    screen.type("Ada")
    left, top, _, _ = window.child_screen_rect(LBOX)
    screen.click(left + 20, top + 5)  # the first entry; Down moves on
    screen.key("Down")


def case_example_demo(ctx):
    got = run_example(ctx, "demo", [
        ("Brivet demo", None, in_turn(lambda ctx, window: fill_demo(ctx.screen, window),
                                      shoot("demo"), click(BUT0)))])
    expect_lines(got, ["Response answered 1", "Your name: Ada", "Where you are: Office",
                       "Entry: Testing"], "demo")


def case_example_notes_in_a_multi_line_box(ctx):
    def add_a_line(ctx, window):
        ctx.screen.click(*window.child_centre(T1M))
        ctx.screen.key("ctrl+End", "Return")
        ctx.screen.type("Faster start")
    got = run_example(ctx, "notes", [
        ("Release notes", "example-notes", in_turn(add_a_line, click(BUT0)))])
    expect_lines(got, ["Notes of 2 lines:", "Fixed the report's totals", "Faster start"], "notes")


def case_example_picture_beside_the_message(ctx):
    def picture_shown(ctx, window):
        if not (window.children[FRIM][0] and window.children[IM1][0]):
            raise Failure("picture_message: the picture is not shown")
        click(BUT0)(ctx, window)
    got = run_example(ctx, "picture_message", [("Backup finished", "example-picture", picture_shown)])
    expect_lines(got, ["Response: 1"], "picture_message")


def case_example_trapped_errors(ctx):
    got = run_example(ctx, "trap_errors", [("Trapping errors", "example-trap-errors", click(BUT0))])
    # The descriptions are the host's; the numbers are the component's.
    wanted = ["set the title: ok", "read the title: error 438", "show 40000 buttons: error 6",
              "show the dialog: ok", "Response: 1"]
    if len(got) != len(wanted) or any(not g.startswith(w) for g, w in zip(got, wanted)):
        raise Failure(f"trap_errors: expected lines starting {wanted!r}, got {got!r}")


CASES = [
    case_example_sign_in_form,
    case_example_choose_an_entry_in_vbscript_and_jscript,
    case_example_yes_no_cancel,
    case_example_remember_the_last_folder,
    case_example_pick_a_file_and_a_colour,
    case_example_jscript_without_by_reference_arguments,
    case_example_demo,
    case_example_notes_in_a_multi_line_box,
    case_example_picture_beside_the_message,
    case_example_trapped_errors,
]
