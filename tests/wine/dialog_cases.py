"""Real dialogs under Wine, answered with real mouse and keyboard input."""

from harness import Failure, check_script_output

# Child-window ids of the form's controls (100 + the control's number).
FRLIST, LBOX, FRBUT3, BUT2, FRBUT2, BUT1, FRBUT1, BUT0, FRLAB, LAB1, FT2, T2, FT1, T1M, T1, FRIM, IM1 = range(100, 117)
BUTTONS = [BUT0, BUT1, BUT2]
BUTTON_FRAMES = [FRBUT1, FRBUT2, FRBUT3]
TWIPS = 15  # twips per pixel of the test display


def dialog_script(title, setup, shows=1, once="", first_title=None):
    """A script that shows a dialog `shows` times and reports each answer as
    'response N [text1][text2][entry]'. `once` runs before the first show
    only; `setup` before every show, since a dismissal resets the dialog."""
    report = 'WScript.Echo "response " & r & " [" & a & "][" & b & "][" & c & "] " & TypeName(r)'
    return f"""
Dim w, r, a, b, c, i
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
{once}
{show_loop(title, setup, shows, report, first_title)}
Set w = Nothing
CheckError 0, "release"
Finish
"""


def show_loop(title, setup, shows, report, first_title=None):
    """Script lines that show the dialog `shows` times, each with its own
    title (the first one `first_title` when given), and run `report` after
    each with the answer in r, a, b and c."""
    first = f'If i = 1 Then w.Title = "{first_title}"' if first_title else ""
    return f"""For i = 1 To {shows}
  w.Title = "{title} #" & i
  {first}
  {setup}
  CheckError 0, "set up the dialog"
  w.Show
  CheckError 0, "show " & i
  a = "unset" : b = "unset" : c = "unset"
  r = w.Response(a, b, c)
  {report}
Next"""


def responses(lines):
    return [l.split(" ", 1)[1] for l in lines if l.startswith("response ")]


def interact(ctx, title, setup, actions, shot=None, once="", first_title=None):
    """Runs the dialog script and, for each show, waits for the window and
    runs one action on it; returns the answers the script printed. A picture
    for the documents (`shot`) shows `first_title`, a title a reader would
    write, when given."""
    body = dialog_script(title, setup, len(actions), once, first_title)
    # Each show has its own title, so a dismissal is seen before the next show.
    shows = [(f"{title} #{n + 1}", action) for n, action in enumerate(actions)]
    if first_title:
        shows[0] = (first_title, actions[0])
    return answer(ctx, body, shows, shot)


def answer(ctx, body, shows, shot=None):
    """Runs a script and answers its dialogs: for each (title, action) waits
    for that window, runs the action on it and waits for it to go; returns
    the answers the script printed."""
    run = ctx.start_script(body, "dialog")
    try:
        for n, (title, action) in enumerate(shows):
            if not ctx.probe.ready(title):
                raise Failure(f"the window '{title}' did not appear ready for input")
            window = ctx.probe.rects(title)
            if shot and n == 0:
                ctx.screen.screenshot(ctx.shots / f"{shot}-win{ctx.bits}.png", pad(window.rect))
            action(ctx, window)
            if not ctx.probe.gone(title):
                ctx.screen.screenshot(ctx.shots / f"stuck-{n + 1}-win{ctx.bits}.png")
                raise Failure(f"the window '{title}' stayed on screen after its action; "
                              + ctx.probe.describe_point(*ctx.screen.last_click))
    finally:
        out = run.finish()
    return responses(check_script_output(out))


def pad(rect, margin=0):
    left, top, right, bottom = rect
    return max(0, left - margin), max(0, top - margin), right + margin, bottom + margin


def click_button(i):
    def action(ctx, window):
        visible, _ = window.children[BUTTONS[i]]
        if not visible:
            raise Failure(f"button {i + 1} is not visible")
        ctx.screen.click(*window.child_centre(BUTTONS[i]))
    return action


def click_close_box(ctx, window):
    ctx.screen.click(*window.close_box())


def expect(got, wanted):
    if got != wanted:
        raise Failure(f"expected {wanted}, got {got}")


BUTTON_SETUP = """w.ShowButtons = {n}
w.Button1Caption = "One"
w.Button2Caption = "Two"
w.Button3Caption = "Three"
"""


def case_empty_window_closes_with_its_close_box(ctx):
    seen = []

    def check_and_close(ctx, window):
        seen.append(window)
        click_close_box(ctx, window)

    got = interact(ctx, "Brivet empty", "", [check_and_close], shot="empty")
    expect(got, ["0 [][][] Integer"])
    window = seen[0]
    left, top, right, bottom = window.rect
    # 340 twips asked for; user32 keeps a captioned window at least as tall as
    # its title bar and borders, which is a little more.
    height = (bottom - top) * TWIPS
    if not 340 - TWIPS <= height <= 30 * TWIPS:
        raise Failure(f"height of a window without sections: {height} twips")
    near((right - left) * TWIPS, 5565, "width of a window without sections")
    for control, (visible, _) in window.children.items():
        if visible:
            raise Failure(f"control {control} is on screen in the empty window")


def case_two_objects_share_one_form(ctx):
    title = "Brivet shared"
    body = f"""
Dim w1, w2, r
Set w1 = CreateObject("Brivet.Window")
w1.Title = "{title}"
w1.ShowButtons = 2
Set w2 = CreateObject("Brivet.Window")
CheckError 0, "second object"
w2.Show
CheckError 0, "show through the second object"
r = w1.Response
WScript.Echo "response " & r
Finish
"""
    # The title set through the first object is on the window the second shows.
    expect(answer(ctx, body, [(title, click_button(1))]), ["2"])


def case_each_button_answers_its_number(ctx):
    for n in (1, 2, 3):
        got = interact(ctx, f"Brivet {n} buttons", BUTTON_SETUP.format(n=n),
                       [click_button(i) for i in range(n)], shot=f"buttons-{n}")
        expect(got, [f"{i + 1} [][][] Integer" for i in range(n)])


def case_keyboard_presses_the_focused_button(ctx):
    def press(*names):
        def action(ctx, window):
            ctx.screen.key(*names)
        return action
    got = interact(ctx, "Brivet keys", BUTTON_SETUP.format(n=3),
                   [press("Return"), press("Tab", "space"), press("Tab", "Tab", "Return")])
    expect([g.split()[0] for g in got], ["1", "2", "3"])


def case_close_box_and_alt_f4_answer_zero(ctx):
    def alt_f4(ctx, window):
        ctx.screen.key("alt+F4")
    got = interact(ctx, "Brivet close", BUTTON_SETUP.format(n=2) + 'w.Persist = False\n',
                   [click_close_box, alt_f4])
    expect(got, ["0 [][][] Integer", "0 [][][] Integer"])


def case_dialog_without_buttons_only_closes(ctx):
    def try_keys_then_close(ctx, window):
        # The keys are handled before the click that follows them: had either
        # pressed a hidden button, the answer would be that button's number.
        ctx.screen.key("Return", "space")
        click_close_box(ctx, window)
    got = interact(ctx, "Brivet no buttons", "w.ShowButtons = 0", [try_keys_then_close])
    expect(got, ["0 [][][] Integer"])


def case_persist_shows_the_same_content_again(ctx):
    def second_show_has_the_same_buttons(ctx, window):
        for frame in BUTTON_FRAMES:
            if not window.children[frame][0]:
                raise Failure("the persisted dialog lost a button")
        click_button(0)(ctx, window)
    once = BUTTON_SETUP.format(n=3) + 'w.Persist = True\nw.Caption = "Kept between shows"\n'
    got = interact(ctx, "Brivet persist", "", [click_button(2), second_show_has_the_same_buttons],
                   shot="persist", once=once)
    expect([g.split()[0] for g in got], ["3", "1"])


def case_persisted_form_outlives_its_object(ctx):
    title = "Brivet outlives"
    body = f"""
Dim w, r
Set w = CreateObject("Brivet.Window")
w.Persist = True
w.Title = "{title}"
w.ShowButtons = 2
Set w = Nothing
CheckError 0, "release the only object"
Set w = CreateObject("Brivet.Window")
w.Show
CheckError 0, "show through a new object"
WScript.Echo "response " & w.Response
Finish
"""
    def second_button_still_there(ctx, window):
        if not window.children[FRBUT2][0]:
            raise Failure("the kept form lost its second button")
        click_button(1)(ctx, window)

    expect(answer(ctx, body, [(title, second_button_still_there)]), ["2"])


LAYOUTS = [
    ("one button", 1, None),
    ("caption and two buttons", 2, "Where does everything go?"),
    ("caption and three buttons", 3, "Three ways out"),
    ("a caption wider than the window", 2, "A message long enough to need a window wider than the default one"),
]


def case_layout_on_real_windows(ctx):
    """The window's and the frames' rectangles, read back in twips, follow the
    layout rules computed from the same inputs."""
    for n, (name, buttons, caption) in enumerate(LAYOUTS):
        seen = []

        def measure(ctx, window):
            seen.append(window)
            click_button(0)(ctx, window)

        setup = BUTTON_SETUP.format(n=buttons) + (f'w.Caption = "{caption}"\n' if caption else "")
        interact(ctx, f"Brivet layout {n + 1}", setup, [measure], shot="layout" if n == 1 else None)
        check_layout(seen[0], buttons, caption is not None, name)


def check_layout(window, buttons, has_caption, name, picture=False):
    left, top, right, bottom = window.rect
    width = (right - left) * TWIPS
    header = 900 if has_caption or picture else 0
    form_width = 5565
    if has_caption:
        l, t, r, b = window.children[FRLAB][1]
        caption_width = (r - l) * TWIPS
        header = max(900, (b - t) * TWIPS + 60)
        form_width = max(form_width, caption_width + 1600)
        near(t * TWIPS, 60, f"{name}: caption frame top")
        if picture:
            near(l * TWIPS, 960, f"{name}: caption frame beside the picture")
        else:
            near(l * TWIPS, (form_width - 60 - caption_width) / 2, f"{name}: caption frame centred", 2)
    if picture:
        visible, (l, t, r, b) = window.children[FRIM]
        if not visible:
            raise Failure(f"{name}: the picture frame is hidden")
        near(l * TWIPS, 120, f"{name}: picture frame left")
        near(t * TWIPS, 120, f"{name}: picture frame top")
        near((r - l) * TWIPS, 720, f"{name}: picture frame width")
    form_height = 615 + header + 340
    # The client area holds the layout less its frame allowance; the real
    # frame (the side borders' width at the bottom) comes on top.
    border = window.client_origin[0] - left
    client_height = (bottom - window.client_origin[1] - border) * TWIPS
    near(client_height, form_height - 340, f"{name}: client area's height")
    near(width, form_width, f"{name}: window width", 2)
    # Centred for the height the layout set, which counts the allowance, not the real frame.
    near(top * TWIPS, (768 * TWIPS - (client_height + 340)) / 2, f"{name}: window top (centred vertically)")
    frame_width = 1695
    row_left = (width - buttons * frame_width) / 2
    for i, frame in enumerate(BUTTON_FRAMES):
        visible, (l, t, r, b) = window.children[frame]
        if i >= buttons:
            if visible:
                raise Failure(f"{name}: button frame {i + 1} is shown")
            continue
        near(l * TWIPS, row_left + i * frame_width, f"{name}: button frame {i + 1} left", 2)
        near(t * TWIPS, header, f"{name}: button frame {i + 1} top")
        near((r - l) * TWIPS, frame_width, f"{name}: button frame {i + 1} width")


def near(got, wanted, what, pixels=1):
    if abs(got - wanted) > pixels * TWIPS:
        raise Failure(f"{what}: expected {wanted:.1f} twips, got {got:.1f}")


def case_colours_reach_the_screen(ctx):
    samples = {}

    def sample(ctx, window):
        ox, oy = window.client_origin
        # The colour most of the button shows (its edges, focus mark and caption aside).
        button = ctx.screen.pixels(window.child_screen_rect(BUT1))
        counts = {}
        for row in button:
            for p in row:
                counts[p] = counts.get(p, 0) + 1
        samples["button"] = max(counts, key=counts.get)
        _, (fl, ft, fr, fb) = window.children[FRBUT1]
        samples["frame"] = ctx.screen.pixels((ox + fl + 2, oy + ft + 2, ox + fl + 3, oy + ft + 3))[0][0]
        samples["form"] = ctx.screen.pixels((ox + 2, oy + window.children[FRLAB][1][3] + 2,
                                             ox + 3, oy + window.children[FRLAB][1][3] + 3))[0][0]
        label = ctx.screen.pixels(window.child_screen_rect(LAB1))
        samples["label"] = {p for row in label for p in row}
        click_button(0)(ctx, window)

    setup = BUTTON_SETUP.format(n=2) + ('w.Caption = "Coloured text"\nw.WindowColor = "FF8000"\n'
                                        'w.ButtonColor = "0000ff"\nw.TextColor = "00A000"\n')
    interact(ctx, "Brivet colours", setup, [sample], shot="colours")
    expect(samples["button"], (0, 0, 255))
    expect(samples["frame"], (255, 128, 0))
    expect(samples["form"], (255, 128, 0))
    if (0, 160, 0) not in samples["label"]:
        raise Failure(f"no pixel of the text colour in the caption: {sorted(samples['label'])[:8]}")
    if (255, 128, 0) not in samples["label"]:
        raise Failure("the caption's background is not the window colour")


CASES = [
    case_empty_window_closes_with_its_close_box,
    case_two_objects_share_one_form,
    case_each_button_answers_its_number,
    case_keyboard_presses_the_focused_button,
    case_close_box_and_alt_f4_answer_zero,
    case_dialog_without_buttons_only_closes,
    case_persist_shows_the_same_content_again,
    case_persisted_form_outlives_its_object,
    case_layout_on_real_windows,
    case_colours_reach_the_screen,
]
