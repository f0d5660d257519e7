#!/usr/bin/env python3
"""The component under Wine, for each bitness the machine can run: registration,
the type library, an early-bound client, VBScript clients, and real dialogs
answered with real mouse and keyboard input on an Xvfb display.

Prints one line per case and closes with 'N passed, N failed'."""

import argparse
import re
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import content_cases  # noqa: E402
import dialog_cases  # noqa: E402
import doc_cases  # noqa: E402
import example_cases  # noqa: E402
import package_cases  # noqa: E402
import host_cases  # noqa: E402
import keyboard_cases  # noqa: E402
import service_cases  # noqa: E402
import robustness_cases  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
SCRIPTS = Path(__file__).resolve().parent / "scripts"


Failure = harness.Failure
check_script_output = harness.check_script_output


class Context:
    def __init__(self, wine, screen, bits, build, work, shots):
        self.wine, self.screen, self.bits = wine, screen, bits
        self.build = build
        self.dll = build / "brivet.dll"
        self.work = work
        self.shots = shots
        self.probe = harness.Probe(wine, build / "tests/wine/tools/probe.exe")
        self.counter = 0

    def script_file(self, body, name="case"):
        """A test script: the prelude, then the body, in the ANSI code page,
        which is how the host reads scripts (Wine's VBScript has no ChrW)."""
        self.counter += 1
        path = self.work / f"{name}-{self.bits}-{self.counter}.vbs"
        text = (SCRIPTS / "prelude.vbs").read_text() + "\n" + body
        path.write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))
        return path

    def run_script(self, body, name="case", timeout=120):
        path = self.script_file(body, name)
        result = self.wine.run(self.bits, self.wine.cscript_command(self.bits, path), timeout=timeout)
        return check_script_output(result.stdout.replace("\r", ""))

    def start_script(self, body, name="dialog"):
        return harness.ScriptRun(self.wine, self.bits, self.script_file(body, name))

    def register(self):
        result = self.wine.regsvr32(self.bits, harness.windows_path(self.dll))
        if result.returncode != 0:
            raise Failure(f"regsvr32 failed with {result.returncode}")


CREATE_CHECK = """
Dim w
Set w = CreateObject("Brivet.Window")
WScript.Echo "created " & (Err.Number = 0)
Err.Clear
Set w = Nothing
Finish
"""


def creatable(ctx):
    lines = ctx.run_script(CREATE_CHECK, "create")
    return "created True" in lines


def case_registration_round_trip(ctx):
    dll = harness.windows_path(ctx.dll)
    if ctx.wine.regsvr32(ctx.bits, "/u", dll).returncode != 0:
        raise Failure("unregistering failed")
    if creatable(ctx):
        raise Failure("the class is still creatable after unregistering")
    ctx.register()
    if not creatable(ctx):
        raise Failure("the class is not creatable after registering")
    # Registration for the current user only. Wine 8 does not merge the user's
    # classes into HKEY_CLASSES_ROOT, so the keys are checked where Windows
    # reads them instead of creating the object through them.
    ctx.wine.regsvr32(ctx.bits, "/u", dll)
    if ctx.wine.regsvr32(ctx.bits, "/n", "/i:user", dll).returncode != 0:
        raise Failure("per-user registration failed")
    classes = "HKCU\\Software\\Classes\\"
    clsid = reg_value(ctx, classes + "Brivet.Window\\CLSID")
    if not clsid:
        raise Failure("no per-user programmatic identifier")
    server = reg_value(ctx, classes + f"CLSID\\{clsid}\\InprocServer32")
    if server is None or server.lower() != dll.lower():
        raise Failure(f"per-user in-process server is {server}")
    if reg_value(ctx, classes + f"CLSID\\{clsid}\\InprocServer32", "ThreadingModel") != "Apartment":
        raise Failure("per-user class is not apartment-threaded")
    if creatable(ctx):
        raise Failure("the per-user registration leaked into the machine's classes")
    if ctx.wine.regsvr32(ctx.bits, "/u", "/n", "/i:user", dll).returncode != 0:
        raise Failure("per-user unregistration failed")
    if reg_value(ctx, classes + "Brivet.Window\\CLSID") is not None:
        raise Failure("per-user keys remain after unregistration")
    ctx.register()


def reg_value(ctx, key, name=None):
    """A registry value as `reg query` shows it, or None."""
    args = ["reg", "query", key] + (["/v", name] if name else ["/ve"])
    result = ctx.wine.run(ctx.bits, args)
    if result.returncode != 0:
        return None
    for line in result.stdout.splitlines():
        fields = line.split(None, 2)
        if len(fields) == 3 and fields[1].startswith("REG_"):
            return fields[2].strip()
    return None


ENTRY_POINTS = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer",
                "DllInstall"}
# comdlg32, shell32, winmm and comctl32 are bound at first use instead:
# imported, comctl32 (and those that pull it in) starts under the loader lock
# while this module loads, which can deadlock with a host's other threads.
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
               "user32.dll"}


def check_dll_shape(dll, objdump):
    """Undecorated entry points, only the base system DLLs imported, a TYPELIB resource."""
    if not dll.exists():
        raise Failure(f"{dll} was not built")
    dump = subprocess.run([objdump, "-p", str(dll)], capture_output=True, text=True).stdout
    exports = set(re.findall(r"^\s+\[\s*\d+\]\s+(\S+)$", dump, re.M))
    if not ENTRY_POINTS <= exports:
        raise Failure(f"exports {sorted(exports)}")
    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    if not imports <= SYSTEM_DLLS:
        raise Failure(f"imports beyond the system DLLs: {sorted(imports - SYSTEM_DLLS)}")
    if b"MSFT" not in dll.read_bytes():  # the compiled type library's signature
        raise Failure("no type library inside")


def run_program(ctx, exe, *args):
    result = ctx.wine.run(ctx.bits, [exe] + list(args), timeout=120)
    if result.returncode != 0:
        raise Failure(result.stdout + result.stderr)
    return result.stdout


def case_type_library(ctx):
    out = run_program(ctx, ctx.build / "tests/wine/com/typelib_check.exe", harness.windows_path(ctx.dll))
    print("    " + (out.strip().splitlines() or ["?"])[-1])


def case_early_bound_client(ctx):
    out = run_program(ctx, ctx.build / "tests/wine/com/early_client.exe")
    print("    " + (out.strip().splitlines() or ["?"])[-1])


def case_coercion_against_oleaut32(ctx):
    exe = ctx.build / "tests/wine/coercion/coercion_diff.exe"
    if not exe.exists():
        raise Failure("coercion_diff.exe was not built")
    out = run_program(ctx, exe)
    print("    " + (out.strip().splitlines() or ["?"])[-1])


def case_toolkit_self_check(ctx):
    run_program(ctx, ctx.build / "tests/wine/tools/toolkit_check.exe")


def case_dialog_look_from_inside_the_host(ctx):
    """Styled common controls with themes, the system's message font, a
    per-monitor aware dialog in an unaware host, and a new layout at twice the
    dpi, seen by a host of the DLL in its own process."""
    out = run_program(ctx, ctx.build / "tests/wine/tools/look_check.exe")
    for line in out.splitlines():
        if " of " in line or "awareness" in line:
            print("    " + line)


def case_platform_contracts(ctx):
    run_program(ctx, ctx.build / "tests/wine/contracts/contracts.exe")


def case_vbscript_basics(ctx):
    ctx.run_script((SCRIPTS / "basics.vbs").read_text(), "basics")


CASES = [
    case_registration_round_trip,
    case_type_library,
    case_early_bound_client,
    case_coercion_against_oleaut32,
    case_toolkit_self_check,
    case_dialog_look_from_inside_the_host,
    case_platform_contracts,
    case_vbscript_basics,
] + dialog_cases.CASES + keyboard_cases.CASES + content_cases.CASES + service_cases.CASES + host_cases.CASES + \
    robustness_cases.CASES
CASES += example_cases.CASES + doc_cases.CASES


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-root", default=str(ROOT / "build"))
    parser.add_argument("--shots", default=str(ROOT / "build/screenshots"))
    parser.add_argument("--only", help="run the cases whose name contains this text "
                                       "(or any of several, separated by commas)")
    args = parser.parse_args()
    wanted = [w for w in (args.only or "").split(",") if w]
    selected = lambda name: not wanted or any(w in name for w in wanted)  # noqa: E731
    build_root = Path(args.build_root)
    shots = Path(args.shots)
    passed = failed = skipped = 0

    # The shape of both DLLs, whichever of them this machine can run.
    for bits, tool in ((64, "x86_64-w64-mingw32-objdump"), (32, "i686-w64-mingw32-objdump")):
        name = f"win{bits} exports_and_typelib_resource"
        try:
            check_dll_shape(build_root / f"win{bits}/brivet.dll", tool)
            passed += 1
            print(f"ok   {name}")
        except Failure as e:
            failed += 1
            print(f"FAIL {name}: {e}")

    bitness = [64]
    no_32bit = harness.why_no_32bit()
    if no_32bit is None:
        bitness.append(32)
    else:
        print(f"skip: 32-bit cases ({no_32bit})")
        skipped += 1

    with harness.Display() as display, tempfile.TemporaryDirectory(prefix="brivet-wine-") as work:
        wine = harness.Wine(build_root / "wine-prefix", display)
        wine.prepare()
        screen = harness.Screen(display)
        harness.Probe(wine, build_root / "win64/tests/wine/tools/probe.exe").keep_desktop()
        for bits in bitness:
            ctx = Context(wine, screen, bits, build_root / f"win{bits}", Path(work), shots)
            try:
                ctx.register()
            except Exception as e:  # noqa: BLE001
                print(f"FAIL win{bits} registration: {e}")
                failed += 1
                continue
            for case in CASES:
                name = f"win{bits} {case.__name__[5:]}"
                if not selected(name):
                    continue
                started = time.time()
                try:
                    case(ctx)
                    passed += 1
                    print(f"ok   {name} ({time.time() - started:.1f}s)", flush=True)
                except Failure as e:
                    failed += 1
                    print(f"FAIL {name}: {e}", flush=True)
                except Exception:  # noqa: BLE001
                    failed += 1
                    print(f"FAIL {name}:\n{traceback.format_exc()}", flush=True)
        wine.shutdown()
        # The release package, in a fresh prefix of its own.
        counts = package_cases.run(display, build_root, selected)
        passed, failed, skipped = passed + counts[0], failed + counts[1], skipped + counts[2]
    print(f"wine: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
