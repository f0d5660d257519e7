"""Every VBScript and JScript example in the documents runs as written under
Wine: each ```vbscript or ```javascript block becomes a script of its own,
after one line that creates `w`, started from C:\\Scripts in the prefix. The dialogs and choosers it opens
are answered (the first button, or the close box when there is none;
Escape for a chooser) and screenshotted for the gallery. The script must run
to its end (the host swallows run-time errors, so an END line is echoed
after the snippet), and a `WScript.Echo` line whose comment reads
`' text` (`// text` in JScript) must echo exactly that text."""

import re
from pathlib import Path

from dialog_cases import BUTTONS, click_close_box
from example_cases import run_example, scripts_folder
from harness import Failure
from service_cases import FILE_NAME_BOX, typing

ROOT = Path(__file__).resolve().parents[2]
END = "END of snippet"


class Language:
    def __init__(self, fence, suffix, create, end, comment):
        self.fence = re.compile(rf"^```{fence}\n(.*?)^```", re.M | re.S)
        self.suffix, self.create, self.end, self.comment = suffix, create, end, comment


VBSCRIPT = Language("vbscript", ".vbs", 'Set w = CreateObject("Brivet.Window")', f'WScript.Echo "{END}"', "'")
JSCRIPT = Language("javascript", ".js", 'var w = new ActiveXObject("Brivet.Window");',
                   f'WScript.Echo("{END}");', "//")
HEADING = re.compile(r"^#+ (.+)$", re.M)
CHOOSERS = [("ChooseFileOpen", "Open File"), ("ChooseFileSave", "Save As"),
            ("ChooseFolder", "Browse for Folder"), ("ChooseColorRGB", "Color"),
            ("ChooseColorHex", "Color")]


def slug(heading):
    """'Persist (write-only property)' gives 'persist'."""
    return re.sub(r"[^a-z0-9]+", "-", heading.split(" (")[0].lower()).strip("-")


def snippets(document, language):
    """(heading, code) of each block in the language, in order."""
    text = document.read_text()
    headings = [(m.start(), m.group(1)) for m in HEADING.finditer(text)]
    for m in language.fence.finditer(text):
        heading = [h for at, h in headings if at < m.start()][-1:] or [document.stem]
        yield heading[0], m.group(1)


def code_and_comment(line, marker="'"):
    """A line split at its comment's marker, outside string literals."""
    quoted = False
    for i, ch in enumerate(line):
        if ch == '"':
            quoted = not quoted
        elif line.startswith(marker, i) and not quoted:
            return line[:i], line[i + len(marker):].strip()
    return line, None


def echo_expected(code, marker):
    """The texts the snippet's commented WScript.Echo lines promise."""
    wanted = []
    for line in code.splitlines():
        statement, comment = code_and_comment(line, marker)
        if comment and "WScript.Echo" in statement:
            wanted.append(comment)
    return wanted


def press_first_button_or_close(ctx, window):
    visible = [b for b in BUTTONS if window.children.get(b, (False,))[0]]
    if visible:
        ctx.screen.click(*window.child_centre(visible[0]))
    else:
        click_close_box(ctx, window)


def escape_chooser(title):
    def action(ctx, window):
        if title in ("Open File", "Save As"):  # keys count once the name box has the focus
            ctx.probe.focus(title, FILE_NAME_BOX)
        typing("key:Escape")(ctx, window)
    return action


def windows_of(code, marker="'"):
    """The windows the snippet opens, in order, as (title, action): a dialog
    per `w.Show` under the title set last (a dismissal starts an unkept
    dialog over as "Form1"), a chooser per chooser call."""
    title, kept, opened = "Form1", False, []
    for line in code.splitlines():
        statement, _ = code_and_comment(line, marker)
        set_title = re.search(r'\bw\.Title\s*=\s*(.*)$', statement)
        if set_title:
            literal = re.fullmatch(r'"([^"]*)"\s*;?\s*', set_title.group(1))
            title = literal.group(1) if literal else None
        persist = re.search(r"\bw\.Persist\s*=\s*(\w+)", statement)
        if persist:
            kept = persist.group(1).lower() == "true"
        if re.search(r"\b(CreateObject|ActiveXObject)\(\"Brivet\.Window\"\)", statement):
            kept = False
        if re.search(r"\bw\.Reset\b", statement) and not kept:
            title = "Form1"
        for member, chooser in CHOOSERS:
            opened += [(chooser, escape_chooser(chooser))] * len(re.findall(rf"\bw\.{member}\b", statement))
        if re.search(r"\bw\.Show\s*(\(\s*\))?\s*;?\s*$", statement):
            if title is None:
                raise Failure("a snippet that shows the dialog must set its title as a plain text")
            opened.append((title, press_first_button_or_close))
            if not kept:
                title = "Form1"
    return opened


def script_text(code, language):
    text = f"{language.create}\n{code}{language.end}\n"
    return text.replace("\n", "\r\n").encode("cp1252")


def run_snippets(ctx, documents):
    """Runs every snippet of the documents; a failure names each snippet
    that failed and why, after all have run."""
    scripts_folder(ctx)
    failures, count = [], 0
    for document in documents:
        shots = {}
        # The JScript blocks after the VBScript ones: a picture keeps its name.
        for heading, code, language in [(h, c, l) for l in (VBSCRIPT, JSCRIPT)
                                        for h, c in snippets(ROOT / document, l)]:
            count += 1
            where = f"{document} '{heading}'"
            try:
                windows = windows_of(code, language.comment)
            except Failure as e:
                failures.append(f"{where}: {e}")
                continue
            script = ctx.work / f"snippet-{ctx.bits}-{count}{language.suffix}"
            script.write_bytes(script_text(code, language))
            named = []
            for title, action in windows:
                stem = f"{Path(document).stem.lower()}-{slug(heading)}"
                shots[stem] = shots.get(stem, 0) + 1
                named.append((title, stem + (f"-{shots[stem]}" if shots[stem] > 1 else ""), action))
            try:
                lines = run_example(ctx, where, named, script)
            except Failure as e:
                failures.append(str(e))
                continue
            if not lines or lines[-1] != END:
                failures.append(f"{where} stopped before its end (an error?): {lines!r}")
                continue
            missing = [w for w in echo_expected(code, language.comment) if w not in lines]
            if missing:
                failures.append(f"{where} did not echo {missing!r}; it echoed {lines[:-1]!r}")
    if failures:
        raise Failure(f"{len(failures)} of {count} snippets:\n  " + "\n  ".join(failures))
    print(f"    {count} snippets ran")


def case_reference_snippets_run_as_written(ctx):
    run_snippets(ctx, ["docs/reference.md"])


def case_guide_snippets_run_as_written(ctx):
    run_snippets(ctx, ["README.md", "docs/quickstart-windows.md", "docs/quickstart-linux.md",
                       "docs/troubleshooting.md", "docs/other-languages.md"])


CASES = [
    case_reference_snippets_run_as_written,
    case_guide_snippets_run_as_written,
]
