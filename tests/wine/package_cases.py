"""The release package under Wine: the zip unpacked into a fresh prefix,
registered with its own scripts through Wine's cmd, an example script run
against it and the registration removed again, leaving no key behind; and a
32-bit and a 64-bit registration side by side, one removed, the other still
working. The cases share one prefix (a fresh one costs start-up time) and
leave the registry clean for the next."""

import shutil
import sys
import tempfile
import time
import traceback
import zipfile
from pathlib import Path

import dialog_cases
import harness
from harness import Failure, check_script_output

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import package  # noqa: E402  (scripts/package.py, the packager itself)

CLSID = "{C3F47A89-20C2-4FB1-8BB0-79CD60D67DC6}"
IID = "{DBB564F6-E831-44A3-B1B4-6980FAE873F9}"
LIBID = "{C0E3F743-2B7A-4624-801B-EE705E7CB472}"
PROGID = "Brivet.Window"
FOLDER = {64: "x64", 32: "x86"}
MACHINE = {64: 0x8664, 32: 0x014C}  # the PE header's machine field
INSTALLED = "C:\\brivet"
EXAMPLE, EXAMPLE_TITLE = "demo.vbs", "Brivet demo"

# Every key a registration writes, below both classes roots.
KEYS = [f"{root}\\{key}" for root in ("HKLM\\Software\\Classes", "HKCU\\Software\\Classes")
        for key in (f"CLSID\\{CLSID}", f"Interface\\{IID}", f"TypeLib\\{LIBID}", PROGID)]

KEYS_SCRIPT = """@echo off
rem Prints which of the component's keys exist in this cmd's registry view.
""" + "".join(f'reg query "{key}" >nul 2>&1\r\nif not errorlevel 1 echo {key}\r\n' for key in KEYS)


class Package:
    """The unpacked package in the fresh prefix, and the means to drive it."""

    def __init__(self, wine, screen, build_root, zip_path):
        self.wine, self.screen = wine, screen
        self.build_root = build_root
        self.zip_path = zip_path
        self.probe = harness.Probe(wine, build_root / "win64/tests/wine/tools/probe.exe")
        major, minor = package.configured_version(build_root / "win64").split(".")[:2]
        self.library_version = f"{major}.{minor}"
        self.drive_c = wine.prefix / "drive_c"
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(self.drive_c / "brivet")
        (self.drive_c / "keys.cmd").write_bytes(KEYS_SCRIPT.replace("\r\n", "\n").replace("\n", "\r\n").encode())

    def dll(self, bits, folder=INSTALLED):
        return f"{folder}\\{FOLDER[bits]}\\brivet.dll"

    def cmd(self, bits, script, *args, folder=INSTALLED):
        """Runs a package script through the cmd of that bitness."""
        result = self.wine.run(bits, ["cmd", "/c", f"{folder}\\{script}"] + list(args))
        return result.returncode, [l.strip() for l in result.stdout.replace("\r", "").splitlines() if l.strip()]

    def keys(self):
        """The component's keys that exist, as each registry view sees them."""
        found = set()
        for bits in (64, 32):
            _, lines = self.cmd(bits, "keys.cmd", folder="C:")
            found |= {f"{line} ({bits}-bit view)" for line in lines}
        return found

    def value(self, bits, key, name=None):
        args = ["reg", "query", key] + (["/v", name] if name else ["/ve"])
        result = self.wine.run(bits, args)
        for line in result.stdout.splitlines() if result.returncode == 0 else []:
            fields = line.split(None, 2)
            if len(fields) == 3 and fields[1].startswith("REG_"):
                return fields[2].strip()
        return None

    def reset(self):
        """Removes whatever a failed case left registered."""
        for args in ((), ("/machine",)):
            self.cmd(64, "unregister.cmd", *args)

    def creates(self, bits):
        """Whether a script host of that bitness creates the object."""
        script = self.drive_c / "create.vbs"
        script.write_bytes(b'On Error Resume Next\r\nSet w = CreateObject("Brivet.Window")\r\n'
                           b'WScript.Echo "created " & (Err.Number = 0)\r\nWScript.Echo "END"\r\n')
        result = self.wine.run(bits, [self.wine.system_dir(bits) + "\\cscript.exe", "//nologo", "C:\\create.vbs"])
        return "created True" in check_script_output(result.stdout.replace("\r", ""))


def expect_lines(rc, lines, wanted_rc, wanted, what):
    missing = [w for w in wanted if w not in lines]
    if rc != wanted_rc or missing:
        raise Failure(f"{what}: exit code {rc} (expected {wanted_rc}), missing {missing}, printed {lines}")


def reported(verb, scope):
    return [f"{verb} {FOLDER[bits]}\\brivet.dll {scope}." for bits in (64, 32)]


def expect_clean(pkg, what):
    left = pkg.keys()
    if left:
        raise Failure(f"{what}: keys left behind: {sorted(left)}")


def case_zip_layout(pkg):
    with zipfile.ZipFile(pkg.zip_path) as archive:
        names = set(archive.namelist())
        dlls = {bits: archive.read(f"{FOLDER[bits]}/brivet.dll") for bits in FOLDER}
        script = archive.read("register.cmd")
    examples = {f"examples/{p.name}" for p in (ROOT / "examples").glob("*.vbs")}
    wanted = {"x64/brivet.dll", "x86/brivet.dll", "register.cmd", "unregister.cmd", "README.txt",
              "LICENSE.txt"} | examples
    if names != wanted:
        raise Failure(f"extra {sorted(names - wanted)}, missing {sorted(wanted - names)}")
    for bits, data in dlls.items():
        header = int.from_bytes(data[0x3C:0x40], "little")
        machine = int.from_bytes(data[header + 4:header + 6], "little")
        if data[header:header + 4] != b"PE\0\0" or machine != MACHINE[bits]:
            raise Failure(f"{FOLDER[bits]}\\brivet.dll is not a {bits}-bit DLL (machine 0x{machine:x})")
    if b"\n" in script.replace(b"\r\n", b""):
        raise Failure("register.cmd has bare line feeds")


def case_per_user_round_trip(pkg):
    rc, lines = pkg.cmd(64, "register.cmd")
    expect_lines(rc, lines, 0, reported("Registered", "for the current user"), "register.cmd")
    # Wine does not read the user's classes (docs/wine-notes.md): the keys are
    # checked where Windows reads them, each bitness in its own view. Wine
    # keeps one per-user CLSID key for both views, so there the x86 DLL,
    # registered last, names the server in the 64-bit view too.
    servers = {64: {pkg.dll(64), pkg.dll(32)}, 32: {pkg.dll(32)}}
    for bits in (64, 32):
        classes = "HKCU\\Software\\Classes\\"
        server = pkg.value(bits, f"{classes}CLSID\\{CLSID}\\InprocServer32")
        if (server or "").lower() not in {s.lower() for s in servers[bits]}:
            raise Failure(f"{bits}-bit view: per-user in-process server is {server}")
        if pkg.value(bits, f"{classes}{PROGID}\\CLSID") != CLSID:
            raise Failure(f"{bits}-bit view: no per-user programmatic identifier")
        if pkg.value(bits, f"{classes}TypeLib\\{LIBID}\\{pkg.library_version}\\0\\win{bits}") is None:
            raise Failure(f"no per-user win{bits} type library")
    if any(key.startswith("HKLM") for key in pkg.keys()):
        raise Failure("the per-user registration wrote machine keys")
    rc, lines = pkg.cmd(64, "unregister.cmd")
    expect_lines(rc, lines, 0, reported("Unregistered", "for the current user"), "unregister.cmd")
    expect_clean(pkg, "after unregister.cmd")


def run_example(pkg, bits):
    """Runs the example script with the host of that bitness and answers its
    dialog with the first button."""
    host = pkg.wine.system_dir(bits) + "\\cscript.exe"
    run = pkg.wine.start(bits, [host, "//nologo", f"{INSTALLED}\\examples\\{EXAMPLE}"])
    try:
        if not pkg.probe.ready(EXAMPLE_TITLE):
            raise Failure(f"{bits}-bit host: the example's dialog did not appear")
        dialog_cases.click_button(0)(pkg, pkg.probe.rects(EXAMPLE_TITLE))
        if not pkg.probe.gone(EXAMPLE_TITLE):
            raise Failure(f"{bits}-bit host: the example's dialog stayed after a click")
        out, _ = run.communicate(timeout=60)
    finally:
        if run.poll() is None:
            run.kill()
    if "Response answered 1" not in out:
        raise Failure(f"{bits}-bit host: the example printed {out!r}")


def case_machine_registration_runs_the_example(pkg):
    # A 32-bit cmd reaches the 64-bit regsvr32 through Sysnative.
    rc, lines = pkg.cmd(32, "register.cmd", "/machine")
    expect_lines(rc, lines, 0, reported("Registered", "for all users"), "register.cmd /machine")
    for bits in (64, 32):
        run_example(pkg, bits)
    rc, lines = pkg.cmd(64, "unregister.cmd", "/machine")
    expect_lines(rc, lines, 0, reported("Unregistered", "for all users"), "unregister.cmd /machine")
    expect_clean(pkg, "after unregister.cmd /machine")


def case_side_by_side_one_unregistered(pkg):
    for removed, kept in ((64, 32), (32, 64)):
        rc, lines = pkg.cmd(64, "register.cmd", "/machine")
        expect_lines(rc, lines, 0, reported("Registered", "for all users"), "register.cmd /machine")
        if pkg.wine.regsvr32(removed, "/u", pkg.dll(removed)).returncode != 0:
            raise Failure(f"unregistering the {removed}-bit DLL failed")
        if not pkg.creates(kept):
            raise Failure(f"the {kept}-bit object is gone after unregistering the {removed}-bit DLL")
        if pkg.creates(removed):
            raise Failure(f"the {removed}-bit object is still creatable after unregistering it")
        checker = pkg.build_root / f"win{kept}/tests/wine/com/typelib_check.exe"
        result = pkg.wine.run(kept, [checker, "/registered"])
        if result.returncode != 0 or f"registered at {pkg.dll(kept)}".lower() not in result.stdout.lower():
            raise Failure(f"the {kept}-bit type library after unregistering the {removed}-bit DLL:\n"
                          + result.stdout)
        rc, lines = pkg.cmd(64, "unregister.cmd", "/machine")
        expect_lines(rc, lines, 0, reported("Unregistered", "for all users"), "unregister.cmd /machine")
        expect_clean(pkg, f"after removing the {removed}-bit DLL first")


def case_failed_registration_is_reported(pkg):
    broken = pkg.drive_c / "broken"
    shutil.copytree(pkg.drive_c / "brivet", broken)
    (broken / "x86/brivet.dll").unlink()
    rc, lines = pkg.cmd(64, "register.cmd", folder="C:\\broken")
    if rc == 0 or not any(l.startswith("FAILED:") and "x86\\brivet.dll" in l for l in lines):
        raise Failure(f"a missing DLL: exit code {rc}, printed {lines}")
    expect_lines(1, lines, 1, reported("Registered", "for the current user")[:1], "the 64-bit DLL")
    pkg.cmd(64, "unregister.cmd", folder="C:\\broken")
    expect_clean(pkg, "after unregister.cmd")


CASES = [
    case_zip_layout,
    case_per_user_round_trip,
    case_machine_registration_runs_the_example,
    case_side_by_side_one_unregistered,
    case_failed_registration_is_reported,
]


def run(display, build_root, selected):
    """Runs the matching cases in a fresh prefix; answers (passed, failed, skipped)."""
    cases = [(f"package {case.__name__[5:]}", case) for case in CASES]
    cases = [(name, case) for name, case in cases if selected(name)]
    if not cases:
        return 0, 0, 0
    if not harness.can_run_32bit():
        print("skip: package cases (the package registers a 32-bit DLL, which needs 32-bit Wine)")
        return 0, 0, 1
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="brivet-package-") as out:
        try:
            zip_path = package.build_package(build_root, Path(out))
        except SystemExit as e:
            print(f"FAIL package: {e}")
            return 0, 1, 0
        prefix = build_root / "wine-package-prefix"
        shutil.rmtree(prefix, ignore_errors=True)
        wine = harness.Wine(prefix, display)
        wine.prepare()
        pkg = Package(wine, harness.Screen(display), build_root, zip_path)
        pkg.probe.keep_desktop()
        before = pkg.keys()
        for name, case in cases:
            started = time.time()
            try:
                case(pkg)
                if pkg.keys() != before:
                    raise Failure(f"the registry differs from before the case: {sorted(pkg.keys() ^ before)}")
                passed += 1
                print(f"ok   {name} ({time.time() - started:.1f}s)", flush=True)
            except Failure as e:
                failed += 1
                print(f"FAIL {name}: {e}", flush=True)
                pkg.reset()
            except Exception:  # noqa: BLE001
                failed += 1
                print(f"FAIL {name}:\n{traceback.format_exc()}", flush=True)
                pkg.reset()
        wine.shutdown()
    return passed, failed, 0
