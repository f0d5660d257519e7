"""The dialog as every Windows dialog behaves: Esc, the default button and
Enter, access keys, names for screen readers, readable button captions and
a layout that holds at high resolutions. Keys go to the real window through
xdotool; names come through oleacc; colours from screenshots."""


import harness
from content_cases import answers_script, make_pictures, read_answer
from dialog_cases import (BUT0, BUT1, BUT2, BUTTON_FRAMES, FRIM, FRLAB, FRLIST, FT1, FT2, LAB1, LBOX, T1,
                          T2, answer, expect, interact)
from harness import Failure, until

# The label a frame's caption is shown in (the frame's id + 100).
HEADING_T1, HEADING_T2 = FT1 + 100, FT2 + 100


def keys(*names):
    def action(ctx, window):
        ctx.screen.key(*names)
    return action


def typed(text, *then):
    def action(ctx, window):
        ctx.screen.type(text)
        ctx.screen.key(*then)
    return action


def case_esc_and_enter_answer_as_other_dialogs_do(ctx):
    setup = ('w.ShowTextBox(False) = 1\n  w.LoadList "red,green"\n  w.ShowList\n  w.ShowButtons = 2\n'
             '  w.Button1Caption = "One"\n  w.Button2Caption = "Two"')
    got = interact(ctx, "Brivet keys enter", setup, [
        keys("Escape"),                        # as the close box
        typed("typed", "Return"),              # Enter in a text box presses button 1
        keys("shift+Tab", "g", "Return"),      # and in the list
        keys("Tab", "Tab", "Return"),          # a focused button is pressed itself
        # Tab round into the list, nothing selected yet: End is its last entry.
        keys("Tab", "Tab", "Tab", "End", "Return"),
    ])
    expect(got, ["0 [][][] Integer", "1 [typed][][] Integer", "1 [][][green] Integer",
                 "2 [][][] Integer", "1 [][][green] Integer"])

    # Enter in the multi-line box is a line break; Esc drops what was typed.
    out = ctx.work / f"multi-{ctx.bits}-"
    body = answers_script("Brivet keys multi", 'w.ShowTextBox(True) = 1\n  w.ShowButtons = 1', 2, out)
    answer(ctx, body, [("Brivet keys multi #1", typed("a", "Return", "b", "Tab", "Return")),
                       ("Brivet keys multi #2", typed("lost", "Escape"))])
    expect(read_answer(out, 1), ["1", "a\r\nb", "", ""])
    expect(read_answer(out, 2), ["0", "", "", ""])

    # With no buttons, Enter does nothing: only Esc ends the dialog.
    got = interact(ctx, "Brivet keys none", "w.ShowTextBox(False) = 1\n  w.ShowButtons = 0",
                   [typed("x", "Return", "Escape")])
    expect(got, ["0 [][][] Integer"])


def case_default_button_has_the_default_frame(ctx):
    """The outermost column of the default button is the dark default frame;
    the other button shows its light raised edge there. A focused button
    takes the frame over."""
    title = "Brivet default #1"
    seen = {}

    def edges(ctx, window):
        def edge(button):
            left, top, right, bottom = window.child_screen_rect(button)
            middle = (top + bottom) // 2
            return ctx.screen.pixels((left, middle, left + 1, middle + 1))[0][0]
        return edge(BUT0), edge(BUT1)

    def darker_first(pair):
        return luminance(pair[0]) < luminance(pair[1])

    def look(ctx, window):
        if ctx.probe.focus(title, T1) != T1:
            raise Failure("the text box does not have the focus at first")
        seen["text box"] = until(lambda: edges(ctx, window), darker_first)
        ctx.screen.key("Tab", "Tab")
        if ctx.probe.focus(title, BUT1) != BUT1:
            raise Failure("Tab did not reach button 2")
        # Repainted once the focus moved: wait for it.
        seen["button 2"] = until(lambda: edges(ctx, window), lambda pair: not darker_first(pair))
        ctx.screen.key("Escape")

    interact(ctx, "Brivet default", 'w.ShowTextBox(False) = 1\n  w.ShowButtons = 2', [look])
    if not darker_first(seen["text box"]):
        raise Failure(f"focus in the text box: edges of buttons 1 and 2 are {seen['text box']}")
    if seen["button 2"] != seen["text box"][::-1]:
        raise Failure(f"focus on button 2: edges of buttons 1 and 2 are {seen['button 2']}")


ACCESS_SETUP = """w.ShowTextBox(False) = 2
  w.Text1Caption = "&User name"
  w.Text2Caption = "&Password"
  w.ShowButtons = 3
  w.Button1Caption = "&Yes"
  w.Button2Caption = "&No"
  w.Button3Caption = "Fish && &Chips"
"""


def case_access_keys_press_buttons_and_reach_boxes(ctx):
    underline = []

    def look_then(*names):
        def action(ctx, window):
            # Once the caption is painted.
            underline.append(until(lambda: lowest_caption_row(ctx, window, BUT0), bool))
            ctx.screen.key(*names)
        return action

    got = interact(ctx, "Brivet access", ACCESS_SETUP, [
        look_then("alt+n"),
        keys("alt+c"),                                    # after "&&", which is a plain "&"
        keys("alt+p", "p", "w", "alt+u", "m", "e", "alt+y"),  # boxes by their headings
        keys("Tab", "Tab", "n"),                          # the key alone while a button has the focus
        keys("alt+x", "Escape"),                          # no such key: nothing happens
    ], shot="access-keys", first_title="Sign in")
    expect(got, ["2 [][][] Integer", "3 [][][] Integer", "1 [me][pw][] Integer", "2 [][][] Integer",
                 "0 [][][] Integer"])
    # "&Yes": below the letters one short line, under the "Y" alone.
    runs = underline[0]
    if len(runs) != 1 or runs[0][1] - runs[0][0] < 4:
        raise Failure(f"the lowest row of the caption '&Yes' has the dark runs {runs}, not one underline")


def lowest_caption_row(ctx, window, button):
    """The runs of dark pixels, (first, end) columns, in the lowest row of a
    button's caption on the system's button colours."""
    left, top, right, bottom = window.child_screen_rect(button)
    rows = ctx.screen.pixels((left + 3, top + 3, right - 3, bottom - 3))
    dark = [[luminance(p) < 0.2 for p in row] for row in rows]
    lowest = max((y for y, row in enumerate(dark) if any(row)), default=None)
    if lowest is None:
        return []
    runs, start = [], None
    for x, d in enumerate(dark[lowest] + [False]):
        if d and start is None:
            start = x
        elif not d and start is not None:
            runs.append((start, x))
            start = None
    return runs


ROLE_CLIENT, ROLE_LIST, ROLE_STATIC_TEXT, ROLE_TEXT, ROLE_PUSH_BUTTON = 10, 33, 41, 42, 43


def case_screen_readers_get_names_and_roles(ctx):
    seen = {}

    def read_names(ctx, window):
        seen.update(ctx.probe.accessible("Brivet names #1") or {})
        ctx.screen.key("Escape")

    setup = ACCESS_SETUP.replace('"&Password"', '"Password"') + (
        '  w.Caption = "Sign in to go on"\n  w.LoadList "red,green"\n  w.ShowList\n')
    interact(ctx, "Brivet names", setup, [read_names])
    for key, (role, name, shortcut, text, late) in sorted(seen.items(), key=str):
        print(f"    {key}: role {role}, name '{name}', shortcut '{shortcut}', text '{text}', late-bound '{late}'")
    wanted = {
        "window": (ROLE_CLIENT, "Brivet names #1", "-"),
        T1: (ROLE_TEXT, "User name", "Alt+U"),
        T2: (ROLE_TEXT, "Password", "-"),
        LAB1: (ROLE_STATIC_TEXT, "Sign in to go on", "-"),
        BUT0: (ROLE_PUSH_BUTTON, "Yes", "Alt+Y"),
        BUT1: (ROLE_PUSH_BUTTON, "No", "Alt+N"),
        BUT2: (ROLE_PUSH_BUTTON, "Fish & Chips", "Alt+C"),  # "&&" is one "&"
        HEADING_T1: (ROLE_STATIC_TEXT, "User name", "Alt+U"),
        LBOX: (ROLE_LIST, "-", "-"),
    }
    for key, facts in wanted.items():
        if key not in seen:
            raise Failure(f"{key}: no accessible object")
        if seen[key][:3] != facts:
            raise Failure(f"{key}: role, name and shortcut {seen[key][:3]}, expected {facts}")
        # The controls' own objects answer late-bound callers alike (the
        # window's is the system's, which Wine answers late-bound not at all).
        if key != "window" and seen[key][4] != "|".join(map(str, facts)):
            raise Failure(f"{key}: late-bound role, name and shortcut '{seen[key][4]}', expected {facts}")
    # The windows keep their texts as set, "&" and all.
    for key, text in ((BUT0, "&Yes"), (BUT2, "Fish && &Chips"), (FT1, "&User name"), (HEADING_T1, "&User name")):
        if seen[key][3] != text:
            raise Failure(f"{key}: window text '{seen[key][3]}', expected '{text}'")


# Button colours as colour texts, with what they are.
BUTTON_COLOURS = [("0000FF", "pure blue"), ("FFFFFF", "white"), ("FFFF00", "yellow"),
                  ("006400", "dark green"), ("000000", "black"), ("808080", "mid grey")]


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def colour_of(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))


def case_button_captions_read_on_every_colour(ctx):
    """The caption's pixels on each button colour, from a screenshot: their
    contrast with the button reaches 4.5:1 wherever black or white can."""
    samples = []

    def sample(ctx, window):
        wanted = colour_of(BUTTON_COLOURS[len(samples)][0])
        left, top, right, bottom = window.child_screen_rect(BUT0)

        def look():
            # Inside the edges and the default frame; the focus is in the text box.
            counts = {}
            for row in ctx.screen.pixels((left + 5, top + 4, right - 5, bottom - 4)):
                for p in row:
                    counts[p] = counts.get(p, 0) + 1
            background = max(counts, key=counts.get)
            return background, max(counts, key=lambda p: contrast(p, background))

        # Until the button is painted in its colour.
        samples.append(until(look, lambda seen: seen[0] == wanted))
        ctx.screen.key("Escape")

    once = "Dim colours\ncolours = Array(" + ", ".join(f'"{c}"' for c, _ in BUTTON_COLOURS) + ")"
    setup = ('w.ShowTextBox(False) = 1\n  w.ShowButtons = 1\n  w.Button1Caption = "Read me"\n'
             '  w.ButtonColor = colours(i - 1)')
    interact(ctx, "Brivet caption colour", setup, [sample] * len(BUTTON_COLOURS), once=once,
             shot="caption-colour", first_title="Button colours")
    failures = []
    for (hex_colour, name), (background, caption) in zip(BUTTON_COLOURS, samples):
        wanted = colour_of(hex_colour)
        best = max(contrast(wanted, (0, 0, 0)), contrast(wanted, (255, 255, 255)))
        ratio = contrast(background, caption)
        print(f"    {name} {hex_colour}: caption {caption} on {background}, contrast {ratio:.2f}:1")
        if background != wanted:
            failures.append(f"{name}: the button shows {background}")
        elif ratio < min(4.5, best) - 0.01:
            failures.append(f"{name}: contrast {ratio:.2f}:1")
    if failures:
        raise Failure("; ".join(failures))


SECTIONS = [FRIM, FRLAB, FRLIST, FT1, FT2] + BUTTON_FRAMES


def case_full_dialog_fits_at_every_resolution(ctx):
    """At 96, 120, 144 and 192 dots per inch (Wine's LogPixels): every control
    inside the window, no two sections overlapping, every caption with the
    room its text needs."""
    folder = ctx.work / f"dpi-{ctx.bits}"
    folder.mkdir(exist_ok=True)
    picture = harness.windows_path(make_pictures(folder)["gif"])
    setup = (f'w.Picture = "{picture}"\n  w.Caption = "Everything at once, at every resolution"\n'
             '  w.ShowTextBox(False) = 2\n  w.Text1Caption = "&User name"\n  w.Text2Caption = "&Password"\n'
             '  w.LoadList "red,green,blue"\n  w.ShowList\n  w.ShowButtons = 3\n'
             '  w.Button1Caption = "&Sign in"\n  w.Button2Caption = "Register..."\n'
             '  w.Button3Caption = "Cancel"')
    for dpi in (96, 120, 144, 192):
        seen = {}

        def measure(ctx, window):
            seen["window"] = ctx.probe.rects(f"Your account ({dpi} dpi)")
            seen["texts"] = ctx.probe.texts(f"Your account ({dpi} dpi)")
            ctx.screen.key("Escape")

        set_resolution(ctx, dpi)
        try:
            interact(ctx, f"Brivet dpi {dpi}", setup, [measure], shot=f"dpi-{dpi}",
                     first_title=f"Your account ({dpi} dpi)")
        finally:
            set_resolution(ctx, None)
        check_fits(seen["window"], seen["texts"], f"{dpi} dpi")


def set_resolution(ctx, dpi):
    """Sets the resolution the prefix's next programs start with; None goes
    back to Wine's own (96)."""
    key = "HKCU\\Control Panel\\Desktop"
    if dpi is None:
        ctx.wine.run(64, ["reg", "delete", key, "/v", "LogPixels", "/f"])
    else:
        ctx.wine.run(64, ["reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                     check=True)


def check_fits(window, texts, what):
    if window is None or texts is None:
        raise Failure(f"{what}: the probe could not read the window")
    left, top, right, bottom = window.rect
    ox, oy = window.client_origin
    border = ox - left
    client = (0, 0, right - left - 2 * border, bottom - oy - border)

    def inside(r, outer):
        return r[0] >= outer[0] and r[1] >= outer[1] and r[2] <= outer[2] and r[3] <= outer[3]

    shown = {i: r for i, (visible, r) in window.children.items() if visible}
    # The layout leaves the button row's frame a little lower than the
    # client area (it allows 340 twips for the borders); what is in it counts.
    for control, r in shown.items():
        if control not in SECTIONS and not inside(r, client):
            raise Failure(f"{what}: control {control} at {r} leaves the client area {client}")
    for n, a in enumerate(SECTIONS):
        for b in SECTIONS[n + 1:]:
            if a in shown and b in shown:
                ra, rb = shown[a], shown[b]
                if ra[0] < rb[2] and rb[0] < ra[2] and ra[1] < rb[3] and rb[1] < ra[3]:
                    raise Failure(f"{what}: sections {a} {ra} and {b} {rb} overlap")
    for section in SECTIONS:
        if section not in shown:
            raise Failure(f"{what}: section {section} is not shown")
    # A button's caption needs room for the button's edges too (2 pixels a side).
    for control, (need_w, need_h, has_w, has_h) in texts.items():
        edges = 4 if control in (BUT0, BUT1, BUT2) else 0
        if need_w + edges > has_w or need_h + edges > has_h:
            raise Failure(f"{what}: the text of control {control} needs {need_w}x{need_h} pixels "
                          f"and has {has_w}x{has_h}")
    for control in (BUT0, BUT1, BUT2, LAB1, HEADING_T1, HEADING_T2):
        if control not in texts:
            raise Failure(f"{what}: no text measured for control {control}")


CASES = [
    case_esc_and_enter_answer_as_other_dialogs_do,
    case_default_button_has_the_default_frame,
    case_access_keys_press_buttons_and_reach_boxes,
    case_screen_readers_get_names_and_roles,
    case_button_captions_read_on_every_colour,
    case_full_dialog_fits_at_every_resolution,
]
