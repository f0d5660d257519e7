"""The release packages under Wine. The zip: unpacked into a fresh prefix,
registered with its own scripts through Wine's cmd, an example script run
against it and the registration removed again, leaving no key behind; a 32-bit
and a 64-bit registration side by side, one removed, the other still working.
The MSI: installed and removed silently, its registration compared with the
DLLs' own, an upgrade keeping the settings file. Signing with a throw-away
certificate. The cases share one prefix (a fresh one costs start-up time) and
leave the registry clean for the next. Where 32-bit programs cannot run, the
64-bit half of each case runs and the case says what it skipped."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import zipfile
from pathlib import Path

import dialog_cases
import harness
from harness import Failure, Skipped, check_script_output

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import package  # noqa: E402  (scripts/package.py, the packager itself)

CLSID, LIBID, PROGID = package.CLSID, package.LIBID, package.PROGID
FOLDER = package.FOLDER
MACHINE = {64: 0x8664, 32: 0x014C}  # the PE header's machine field
INSTALLED = "C:\\brivet"
PROGRAM_FILES = "C:\\Program Files\\Brivet"
ERROR_INSTALL_ALREADY_RUNNING = 1618  # msiexec: the installer is still busy with another run
EXAMPLE, EXAMPLE_TITLE = "demo.vbs", "Brivet demo"

# Every key a registration writes, below both classes roots.
CLASS_KEYS = (f"CLSID\\{CLSID}", *(f"Interface\\{iid}" for iid, _ in package.INTERFACES), f"TypeLib\\{LIBID}", PROGID)
KEYS = [f"{root}\\{key}" for root in ("HKLM\\Software\\Classes", "HKCU\\Software\\Classes") for key in CLASS_KEYS]
VIEWS = (64, 32)


def cmd_script(lines):
    return ("@echo off\r\n" + "\r\n".join(lines) + "\r\n").encode()


# The 64-bit reg reaches the 32-bit view with /reg:32, so no 32-bit program is needed.
KEYS_SCRIPT = cmd_script(
    [f'reg query "{key}" /reg:{view} >nul 2>&1\r\nif not errorlevel 1 echo {key} ({view}-bit view)'
     for view in VIEWS for key in KEYS])
DUMP_SCRIPT = cmd_script(
    [f'echo view {view}\r\nreg query "HKLM\\Software\\Classes\\{key}" /s /reg:{view} 2>nul'
     for view in VIEWS for key in CLASS_KEYS])


class Package:
    """The unpacked package in the fresh prefix, and the means to drive it."""

    def __init__(self, wine, screen, build_root, zip_path, msis):
        self.wine, self.screen = wine, screen
        self.build_root = build_root
        self.zip_path = zip_path
        self.msis = msis  # the MSI of this version, then that of a newer one
        self.bitness = [64] + ([32] if harness.can_run_32bit() else [])
        self.probe = harness.Probe(wine, build_root / "win64/tests/wine/tools/probe.exe")
        self.library_version = ".".join(package.configured_version(build_root / "win64").split(".")[:2])
        self.drive_c = wine.prefix / "drive_c"
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(self.drive_c / "brivet")
        (self.drive_c / "keys.cmd").write_bytes(KEYS_SCRIPT)
        (self.drive_c / "dump.cmd").write_bytes(DUMP_SCRIPT)

    def skip_note(self, what):
        """Says which part of a case this machine skipped."""
        if 32 not in self.bitness:
            print(f"    skipped {what} ({harness.why_no_32bit()})")

    def dll(self, bits, folder=INSTALLED):
        return f"{folder}\\{FOLDER[bits]}\\brivet.dll"

    def cmd(self, bits, script, *args, folder=INSTALLED):
        """Runs a package script through the cmd of that bitness."""
        result = self.wine.run(bits, ["cmd", "/c", f"{folder}\\{script}"] + list(args))
        return result.returncode, lines_of(result.stdout)

    def keys(self):
        """The component's keys that exist, as each registry view sees them."""
        return set(self.cmd(64, "keys.cmd", folder="C:")[1])

    def registration(self):
        """Every value below the machine's keys of the component, in each view."""
        found, view, key = set(), None, None
        for line in self.cmd(64, "dump.cmd", folder="C:")[1]:
            if line.startswith("view "):
                view = line.split()[1]
            elif line.startswith("HKEY_"):
                key = line
            elif registry_value(line):
                found.add((view, key.lower()) + registry_value(line))
        return found

    def value(self, bits, key, name=None):
        args = ["reg", "query", key, f"/reg:{bits}"] + (["/v", name] if name else ["/ve"])
        result = self.wine.run(64, args)
        values = [registry_value(l) for l in lines_of(result.stdout)] if result.returncode == 0 else []
        return next((v[1] for v in values if v), None)

    def reset(self):
        """Removes whatever a failed case left registered or installed."""
        for args in ((), ("/machine",)):
            self.cmd(64, "unregister.cmd", *args)
        for msi in self.msis:
            self.msiexec("/x", msi)

    def msiexec(self, action, msi, *properties):
        """Answers msiexec's exit code; while the installer still finishes an
        earlier run (1618, another installation in progress), it is asked again."""
        args = ["msiexec", action, harness.windows_path(msi), *properties, "/qn"]
        return harness.until(lambda: self.wine.run(64, args, timeout=300).returncode,
                             lambda rc: rc != ERROR_INSTALL_ALREADY_RUNNING, timeout=120, pause=0.5)

    def script(self, bits, body):
        """Runs a VBScript with the host of that bitness; answers its lines."""
        (self.drive_c / "package.vbs").write_bytes(
            ("On Error Resume Next\r\n" + body.replace("\n", "\r\n") + '\r\nWScript.Echo "END"\r\n').encode())
        result = self.wine.run(bits, [self.wine.system_dir(bits) + "\\cscript.exe", "//nologo", "C:\\package.vbs"])
        return check_script_output(result.stdout.replace("\r", ""))

    def creates(self, bits):
        """Whether a script host of that bitness creates the object."""
        lines = self.script(bits, 'Set w = CreateObject("Brivet.Window")\nWScript.Echo "created " & (Err.Number = 0)')
        return "created True" in lines


def lines_of(output):
    return [l.strip() for l in output.replace("\r", "").splitlines() if l.strip()]


def registry_value(line):
    """(name, value) from a value line of `reg query`, else None."""
    fields = line.split(None, 2)
    return (fields[0], fields[2]) if len(fields) == 3 and fields[1].startswith("REG_") else None


def expect_lines(rc, lines, wanted_rc, wanted, what):
    missing = [w for w in wanted if w not in lines]
    if rc != wanted_rc or missing:
        raise Failure(f"{what}: exit code {rc} (expected {wanted_rc}), missing {missing}, printed {lines}")


def reported(pkg, verb, scope, bits=VIEWS):
    """What register.cmd prints for each DLL, as this machine runs it."""
    return [f"{verb} {FOLDER[b]}\\brivet.dll {scope}." if b in pkg.bitness else
            f"Skipped {FOLDER[b]}\\brivet.dll: this Windows does not run 32-bit programs." for b in bits]


def expect_clean(pkg, what):
    left = pkg.keys()
    if left:
        raise Failure(f"{what}: keys left behind: {sorted(left)}")


def case_zip_layout(pkg):
    with zipfile.ZipFile(pkg.zip_path) as archive:
        names = set(archive.namelist())
        dlls = {bits: archive.read(f"{FOLDER[bits]}/brivet.dll") for bits in FOLDER}
        script = archive.read("register.cmd")
        readme = archive.read("README.txt").decode("cp1252")
        pages = {n: archive.read(n).decode("utf-8") for n in names if n.endswith(".html")}
    examples = {f"examples/{p.name}" for p in (ROOT / "examples").iterdir() if p.suffix in (".vbs", ".js", ".gif")}
    wanted = {"x64/brivet.dll", "x86/brivet.dll", "register.cmd", "unregister.cmd", "README.txt",
              "LICENSE.txt", "docs/reference.html", "docs/quickstart-windows.html",
              "docs/troubleshooting.html", "examples/index.html"} | examples
    wanted |= {"CHANGELOG.txt"} if (ROOT / "CHANGELOG.md").exists() else set()
    if names != wanted:
        raise Failure(f"extra {sorted(names - wanted)}, missing {sorted(wanted - names)}")
    for bits, data in dlls.items():
        header = int.from_bytes(data[0x3C:0x40], "little")
        machine = int.from_bytes(data[header + 4:header + 6], "little")
        if data[header:header + 4] != b"PE\0\0" or machine != MACHINE[bits]:
            raise Failure(f"{FOLDER[bits]}\\brivet.dll is not a {bits}-bit DLL (machine 0x{machine:x})")
    if b"\n" in script.replace(b"\r\n", b""):
        raise Failure("register.cmd has bare line feeds")
    # README.txt names everything; the pages read offline: every picture
    # inside, every link to a file of the zip.
    unnamed = {n for n in names if not n.startswith("examples/")} | {"examples/index.html"}
    unnamed -= {w.replace("\\", "/") for w in readme.split()}
    if unnamed:
        raise Failure(f"README.txt does not name {sorted(unnamed)}")
    for name, page in pages.items():
        outside = [src for src in re.findall(r'<img [^>]*src="([^"]*)"', page) if not src.startswith("data:")]
        links = [h.split("#")[0] for h in re.findall(r'<a [^>]*href="([^"#][^"]*)"', page) if ":" not in h]
        broken = [h for h in links if os.path.normpath(os.path.join(os.path.dirname(name), h)) not in names]
        if outside or broken:
            raise Failure(f"{name}: pictures not embedded {outside}, links to nothing in the zip {broken}")


def case_per_user_round_trip(pkg):
    rc, lines = pkg.cmd(64, "register.cmd")
    expect_lines(rc, lines, 0, reported(pkg, "Registered", "for the current user"), "register.cmd")
    # Wine runs programs as administrator: the per-user registration warns.
    if not any("run \"register.cmd /machine\"" in l for l in lines):
        raise Failure(f"no advice to use /machine when run as administrator: {lines}")
    # Wine does not read the user's classes (docs/wine-notes.md): the keys are
    # checked where Windows reads them, each bitness in its own view. Wine
    # keeps one per-user CLSID key for both views, so there the x86 DLL,
    # registered last, names the server in the 64-bit view too.
    servers = {64: {pkg.dll(64), pkg.dll(32)} if 32 in pkg.bitness else {pkg.dll(64)}, 32: {pkg.dll(32)}}
    for bits in pkg.bitness:
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
    expect_lines(rc, lines, 0, reported(pkg, "Unregistered", "for the current user"), "unregister.cmd")
    expect_clean(pkg, "after unregister.cmd")
    pkg.skip_note("the 32-bit registration")


def case_register_waits_when_double_clicked(pkg):
    # Explorer's command line for a double-clicked script; Wine's cmd has no
    # CMDCMDLINE of its own, so the script reads this one.
    script = f"{INSTALLED}\\unregister.cmd"
    run = pkg.wine.start(64, ["cmd", "/c", script], stdin=subprocess.PIPE,
                         CMDCMDLINE=f'C:\\windows\\system32\\cmd.exe /c ""{script}" "')
    try:
        out = ""
        while "Press any key" not in out:  # the prompt ends without a line feed
            text = run.stdout.read(1)
            if not text:
                raise Failure(f"ended without waiting for a key: {out!r}")
            out += text
        if run.poll() is not None:
            raise Failure("ended before a key was pressed")
        run.stdin.write("\n")
        run.stdin.close()
        run.wait(timeout=60)
    finally:
        if run.poll() is None:
            run.kill()
            run.wait()
    # From a prompt (or a tool's cmd /c), nothing waits: the other cases run so.


def run_example(pkg, bits, folder=INSTALLED):
    """Runs the example script with the host of that bitness and answers its
    dialog with the first button."""
    host = pkg.wine.system_dir(bits) + "\\cscript.exe"
    run = pkg.wine.start(bits, [host, "//nologo", f"{folder}\\examples\\{EXAMPLE}"])
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
    rc, lines = pkg.cmd(pkg.bitness[-1], "register.cmd", "/machine")
    expect_lines(rc, lines, 0, reported(pkg, "Registered", "for all users"), "register.cmd /machine")
    if any("/machine" in l for l in lines):
        raise Failure(f"advice to use /machine when it was used: {lines}")
    for bits in pkg.bitness:
        run_example(pkg, bits)
    rc, lines = pkg.cmd(64, "unregister.cmd", "/machine")
    expect_lines(rc, lines, 0, reported(pkg, "Unregistered", "for all users"), "unregister.cmd /machine")
    expect_clean(pkg, "after unregister.cmd /machine")
    pkg.skip_note("the 32-bit cmd and script host")


def case_side_by_side_one_unregistered(pkg):
    if 32 not in pkg.bitness:
        raise Skipped(harness.why_no_32bit())
    for removed, kept in ((64, 32), (32, 64)):
        rc, lines = pkg.cmd(64, "register.cmd", "/machine")
        expect_lines(rc, lines, 0, reported(pkg, "Registered", "for all users"), "register.cmd /machine")
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
        expect_lines(rc, lines, 0, reported(pkg, "Unregistered", "for all users"), "unregister.cmd /machine")
        expect_clean(pkg, f"after removing the {removed}-bit DLL first")


def case_failed_registration_is_reported(pkg):
    broken = pkg.drive_c / "broken"
    shutil.copytree(pkg.drive_c / "brivet", broken)
    (broken / "x64/brivet.dll").unlink()
    rc, lines = pkg.cmd(64, "register.cmd", folder="C:\\broken")
    if rc == 0 or not any(l.startswith("FAILED:") and "x64\\brivet.dll" in l for l in lines):
        raise Failure(f"a missing DLL: exit code {rc}, printed {lines}")
    expect_lines(1, lines, 1, reported(pkg, "Registered", "for the current user", bits=(32,)), "the 32-bit DLL")
    pkg.cmd(64, "unregister.cmd", folder="C:\\broken")
    expect_clean(pkg, "after unregister.cmd")


def installed_files(pkg):
    """Our files in Program Files and the Windows folder, as paths below drive C."""
    found = [p for p in (pkg.drive_c / "Program Files/Brivet").rglob("*")]
    found += [p for p in [pkg.drive_c / "windows" / package.SETTINGS_FILE] if p.exists()]
    return sorted(str(p.relative_to(pkg.drive_c)) for p in found)


def products(pkg):
    """The display versions of the installed products named Brivet."""
    result = pkg.wine.run(64, ["reg", "query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "/s"])
    entries = []
    for line in lines_of(result.stdout):
        if line.startswith("HKEY_"):
            entries.append({})
        elif registry_value(line) and entries:
            entries[-1].update([registry_value(line)])
    return [e.get("DisplayVersion") for e in entries if e.get("DisplayName", "").startswith("Brivet")]


def expect_uninstalled(pkg, msi, settings_used):
    """Removes the MSI and checks that nothing stays but a settings file that
    a script used; answers its text, and deletes it for the next case."""
    rc = pkg.msiexec("/x", msi)
    if rc != 0:
        raise Failure(f"msiexec /x failed (exit code {rc})")
    settings = pkg.drive_c / "windows" / package.SETTINGS_FILE
    left = [f for f in installed_files(pkg) if Path(f) != settings.relative_to(pkg.drive_c)]
    left += sorted(pkg.keys()) + products(pkg)
    if left or settings.exists() != settings_used:
        raise Failure(f"left behind after msiexec /x: {left}; the settings file stayed: {settings.exists()}")
    text = settings.read_bytes() if settings_used else b""
    settings.unlink(missing_ok=True)
    return text


def case_msi_install_use_uninstall(pkg):
    msi = pkg.msis[0]
    if "BU" not in subprocess.run(["msiinfo", "export", str(msi), "MsiLockPermissionsEx"],
                                  capture_output=True, text=True).stdout:
        raise Failure("the MSI does not let users write the settings file")
    if pkg.msiexec("/i", msi) != 0:
        raise Failure("msiexec /i failed")
    files = installed_files(pkg)
    for wanted in ("x64\\brivet.dll", "x86\\brivet.dll", "docs\\reference.html", "examples\\demo.vbs"):
        if f"Program Files/Brivet/{wanted}".replace("\\", "/") not in files:
            raise Failure(f"{wanted} was not installed: {files}")
    settings = pkg.drive_c / "windows" / package.SETTINGS_FILE
    if not settings.exists() or settings.stat().st_size != 0:
        raise Failure("no empty settings file in the Windows folder")
    for bits in pkg.bitness:
        run_example(pkg, bits, folder=PROGRAM_FILES)
    # The package's registration is the DLLs' own: removed by them, written
    # again by them (the 64-bit DLL last, as its folder is the help folder
    # both share), it reads the same.
    by_package = pkg.registration()
    for bits in pkg.bitness:
        pkg.wine.regsvr32(bits, "/u", pkg.dll(bits, PROGRAM_FILES))
    if 32 in pkg.bitness:
        expect_clean(pkg, "after regsvr32 /u of the installed DLLs")
    for bits in reversed(pkg.bitness):
        if pkg.wine.regsvr32(bits, pkg.dll(bits, PROGRAM_FILES)).returncode != 0:
            raise Failure(f"regsvr32 of the installed {bits}-bit DLL failed")
    by_dlls = pkg.registration()
    if by_package != by_dlls:
        raise Failure(f"only the package wrote {sorted(by_package - by_dlls)}; "
                      f"only the DLLs wrote {sorted(by_dlls - by_package)}")
    # A repair writes the registration again.
    pkg.wine.run(64, ["reg", "delete", f"HKLM\\Software\\Classes\\CLSID\\{CLSID}", "/f"])
    rc = pkg.msiexec("/i", msi, "REINSTALL=ALL", "REINSTALLMODE=omus")
    if rc != 0 or pkg.registration() != by_package:
        raise Failure(f"a repair (exit code {rc}) did not restore {sorted(by_package - pkg.registration())}")
    expect_uninstalled(pkg, msi, settings_used=False)
    pkg.skip_note("the 32-bit script host and the 32-bit DLL's own registration")


def case_msi_upgrade_and_uninstall_keep_settings(pkg):
    older, newer = pkg.msis
    if pkg.msiexec("/i", older) != 0:
        raise Failure("msiexec /i of the older MSI failed")
    lines = pkg.script(64, 'Set w = CreateObject("Brivet.Window")\n'
                           'WScript.Echo "saved " & w.SaveInfo("fleet", "kept", "yes")')
    if "saved 1" not in lines:
        raise Failure(f"SaveInfo after the install: {lines}")
    if pkg.msiexec("/i", newer) != 0:
        raise Failure("msiexec /i of the newer MSI failed")
    versions = products(pkg)
    if versions != [newer.name.split("-")[1]]:
        raise Failure(f"installed versions after the upgrade: {versions}")
    lines = pkg.script(64, 'Set w = CreateObject("Brivet.Window")\nv = ""\n'
                           'WScript.Echo "read " & w.GetInfo("fleet", "kept", v) & " " & v')
    if "read 1 yes" not in lines:
        raise Failure(f"the setting after the upgrade: {lines}")
    if b"kept=yes" not in expect_uninstalled(pkg, newer, settings_used=True):
        raise Failure("the settings file lost its setting at the uninstall")


def case_signed_with_a_certificate(pkg):
    with tempfile.TemporaryDirectory(prefix="brivet-sign-") as work:
        work = Path(work)
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Brivet test signing", "-keyout", work / "key.pem", "-out", work / "cert.pem",
                        "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
        os.environ.update(BRIVET_SIGN_CERT=str(work / "cert.pem"), BRIVET_SIGN_KEY=str(work / "key.pem"))
        try:
            zip_path = package.build_package(pkg.build_root, work / "signed")
        finally:
            del os.environ["BRIVET_SIGN_CERT"], os.environ["BRIVET_SIGN_KEY"]
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(work / "unpacked")
        signed = [work / "unpacked" / f"{folder}/brivet.dll" for folder in FOLDER.values()]
        signed.append(zip_path.with_name(pkg.msis[0].name))

        def verifies(path):
            return subprocess.run(["osslsigncode", "verify", "-CAfile", work / "cert.pem", "-in", path],
                                  capture_output=True, text=True)

        for path in signed:
            result = verifies(path)
            if result.returncode != 0:
                raise Failure(f"{path.name} does not verify:\n{result.stdout}{result.stderr}")
        if verifies(pkg.msis[0]).returncode == 0:
            raise Failure("the unsigned MSI verifies")


CASES = [
    case_zip_layout,
    case_per_user_round_trip,
    case_register_waits_when_double_clicked,
    case_machine_registration_runs_the_example,
    case_side_by_side_one_unregistered,
    case_failed_registration_is_reported,
    case_msi_install_use_uninstall,
    case_msi_upgrade_and_uninstall_keep_settings,
    case_signed_with_a_certificate,
]
# Cases that need no Wine: alone, they start no prefix.
WITHOUT_WINE = {case_zip_layout, case_signed_with_a_certificate}


def newer_version(version):
    major, minor, patch = version.split(".")
    return f"{major}.{minor}.{int(patch) + 1}"


def run(display, build_root, selected):
    """Runs the matching cases in a fresh prefix; answers (passed, failed, skipped)."""
    cases = [(f"package {case.__name__[5:]}", case) for case in CASES]
    cases = [(name, case) for name, case in cases if selected(name)]
    if not cases:
        return 0, 0, 0
    passed = failed = skipped = 0
    with tempfile.TemporaryDirectory(prefix="brivet-package-") as out:
        try:
            zip_path = package.build_package(build_root, Path(out))
            version = package.configured_version(build_root / "win64")
            upgrade = package.build_package(build_root, Path(out) / "newer", msi_version=newer_version(version))
        except SystemExit as e:
            print(f"FAIL package: {e}")
            return 0, 1, 0
        msis = [zip_path.with_name(f"brivet-{version}-x64.msi"),
                upgrade.with_name(f"brivet-{newer_version(version)}-x64.msi")]
        prefix = build_root / "wine-package-prefix"
        shutil.rmtree(prefix, ignore_errors=True)
        wine = harness.Wine(prefix, display)
        needs_wine = any(case not in WITHOUT_WINE for _, case in cases)
        if needs_wine:
            wine.prepare()
        pkg = Package(wine, harness.Screen(display), build_root, zip_path, msis)
        if needs_wine:
            pkg.probe.keep_desktop()
        before = pkg.keys() if needs_wine else set()
        for name, case in cases:
            started = time.time()
            try:
                case(pkg)
                if case not in WITHOUT_WINE and pkg.keys() != before:
                    raise Failure(f"the registry differs from before the case: {sorted(pkg.keys() ^ before)}")
                passed += 1
                print(f"ok   {name} ({time.time() - started:.1f}s)", flush=True)
            except Skipped as e:
                skipped += 1
                print(f"skip: {name} ({e})", flush=True)
            except Exception as e:  # noqa: BLE001
                failed += 1
                print(f"FAIL {name}: " + (str(e) if isinstance(e, Failure) else "\n" + traceback.format_exc()),
                      flush=True)
                if case not in WITHOUT_WINE:
                    pkg.reset()
        if needs_wine:
            wine.shutdown()
    return passed, failed, skipped
