#!/usr/bin/env python3
"""Packs the win64 and win32 builds for release:

- brivet-<version>.zip for one machine: both DLLs, the registration scripts,
  README.txt, the licence, the changelog, the reference and the quick start as
  HTML pages, and the example scripts with their index;
- brivet-<version>-x64.msi for deployment tools: a per-machine install of the
  DLLs, the documentation and the examples into Program Files, the COM
  registration in both registry views written by the package's own tables,
  and the shared settings file, writable by the machine's users.

With BRIVET_SIGN_CERT and BRIVET_SIGN_KEY set (PEM files; BRIVET_SIGN_PASSWORD
for an encrypted key, BRIVET_TIMESTAMP_URL for an RFC 3161 timestamp server)
both DLLs and the MSI are signed with osslsigncode; without them the package
is unsigned and says so. The version is the project's, as CMake configured
the builds."""

import argparse
import base64
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
FOLDER = {64: "x64", 32: "x86"}

# Fixed once: a newer MSI finds and replaces an older one by the upgrade code,
# and a component keeps its identity from one version to the next.
UPGRADE_CODE = "182CC220-9F73-4833-B280-E6322A793EFF"
COMPONENT_GUIDS = {
    "Component64": "8AB6FEEF-61E9-4E5A-85DC-DA2AD6037E9A",
    "Component32": "8D353B64-3271-4401-9F5E-BFC484430521",
    "Settings": "B053E99A-03AF-42F4-BC30-3ADC95F4916F",
    "Documentation": "D0E943B8-A90E-4CBF-BFE2-97AA49D504F7",
    "Examples": "36EC1679-1AD0-4FD7-AC07-AC5B119E29B8",
    "Pages": "D3B7F637-A95B-445F-849C-173B9354E597",
}
SETTINGS_FILE = "brivetdll.ini"
# The settings file's rights, by well-known SIDs so that they hold in every
# language of Windows: full control for the system and administrators, read
# and write (not delete, not change the rights) for every user of the machine.
SETTINGS_RIGHTS = "D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFW;;;BU)"
PROGID = "Brivet.Window"
# The automation marshaler serves every dual interface described by a type library.
AUTOMATION_PROXY = "{00020424-0000-0000-C000-000000000046}"


def configured_version(build):
    cache = build / "CMakeCache.txt"
    found = re.search(r"^CMAKE_PROJECT_VERSION:\w+=(\S+)$", cache.read_text(), re.M)
    if not found:
        raise SystemExit(f"no project version in {cache}")
    return found.group(1)


def identifiers():
    """The library's, the class's and each interface's identifier, by the
    name the type library description declares them under."""
    text = (ROOT / "src/interface/brivet.idl").read_text()
    found = dict((name, "{" + uuid.upper() + "}") for uuid, name in re.findall(
        r"uuid\(([0-9a-fA-F-]{36})\).*?\]\s*(?:library|interface|coclass)\s+(\w+)", text, re.S))
    interfaces = [(found[name], name) for name in ("_Window", "_Window2")]
    return found["Brivet"], interfaces, found["Window"]


LIBID, INTERFACES, CLSID = identifiers()


def com_registration(bits, dll, folder, library_version):
    """(key below HKLM, value name or None, value) for what the DLL of that
    bitness writes machine-wide from DllRegisterServer, in its own registry
    view. The type library's version key and the programmatic identifier are
    one key for both views: the 64-bit DLL writes them, the 32-bit DLL adds
    only its own win32 entry."""
    classes = "Software\\Classes\\"
    library = f"{classes}TypeLib\\{LIBID}\\{library_version}"
    shared = [
        (library, None, "Brivet"),
        (f"{library}\\FLAGS", None, "0"),
        (f"{library}\\HELPDIR", None, folder),
        (f"{classes}{PROGID}", None, "Window"),
        (f"{classes}{PROGID}\\CLSID", None, CLSID),
    ]
    clsid = f"{classes}CLSID\\{CLSID}"
    own = [
        (f"{library}\\0\\win{bits}", None, dll),
        (clsid, None, "Window"),
        (f"{clsid}\\InprocServer32", None, dll),
        (f"{clsid}\\InprocServer32", "ThreadingModel", "Apartment"),
        (f"{clsid}\\ProgID", None, PROGID),
        (f"{clsid}\\VersionIndependentProgID", None, PROGID),
        (f"{clsid}\\TypeLib", None, LIBID),
        (f"{clsid}\\Version", None, library_version),
    ]
    for iid, name in INTERFACES:
        key = f"{classes}Interface\\{iid}"
        own += [
            (key, None, name),
            (f"{key}\\ProxyStubClsid", None, AUTOMATION_PROXY),
            (f"{key}\\ProxyStubClsid32", None, AUTOMATION_PROXY),
            (f"{key}\\TypeLib", None, LIBID),
            (f"{key}\\TypeLib", "Version", library_version),
        ]
    return own + (shared if bits == 64 else [])


def windows_text(path, version):
    """Text files in the packages have CRLF line ends, as cmd and Notepad expect."""
    text = path.read_text(encoding="utf-8").replace("@VERSION@", version)
    try:
        return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
    except UnicodeEncodeError as e:
        raise SystemExit(f"{path}: {text[e.start]!r} has no place in the Windows code page 1252") from e


# --- documentation as HTML ----------------------------------------------------

PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: Segoe UI, sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }}
code, pre {{ font-family: Consolas, monospace; background: #f4f4f4; }}
pre {{ padding: .6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: .2em .5em; text-align: left; vertical-align: top; }}
</style></head>
<body>
{body}
</body></html>
"""


def html_page(markdown_path, links):
    """One self-contained page from a Markdown file: pictures embedded as data
    URIs, links to files in the package pointed at their packaged names, links
    to anything else left as plain text."""
    source = markdown_path.read_text(encoding="utf-8")
    # Debian's converter (python3-markdown), run as a program: it belongs to the
    # system's Python, which need not be the one running this.
    body = subprocess.run(["markdown_py", "-e", "utf-8", "-x", "tables", "-x", "fenced_code", "-x", "toc"],
                          input=source, capture_output=True, text=True, encoding="utf-8", check=True).stdout

    def picture(match):
        target = (markdown_path.parent / html.unescape(match.group(2))).resolve()
        data = base64.b64encode(target.read_bytes()).decode()
        return f'{match.group(1)}"data:image/png;base64,{data}"'

    body = re.sub(r'(<img [^>]*src=)"([^"]+\.png)"', picture, body)

    def link(match):
        target, anchor = match.group(2).partition("#")[::2]
        if not target or re.match(r"[a-z]+:", target):
            return match.group(0)
        key = (markdown_path.parent / target).resolve().relative_to(ROOT).as_posix().rstrip("/")
        if key not in links:
            return match.group(3)
        return f'{match.group(1)}"{links[key]}{"#" + anchor if anchor else ""}">{match.group(3)}</a>'

    body = re.sub(r'(<a [^>]*href=)"([^"]*)">(.*?)</a>', link, body, flags=re.S)
    title = re.search(r"^# (.+)$", source, re.M).group(1)
    return PAGE.format(title=html.escape(title), body=body).encode("utf-8")


# --- the staged tree both packages are made of --------------------------------

def stage(build_root, staging, version):
    """Copies everything the packages hold into staging; answers the zip's
    names and the subset the MSI installs."""
    for bits, folder in FOLDER.items():
        dll = build_root / f"win{bits}" / "brivet.dll"
        if not dll.exists():
            raise SystemExit(f"{dll} is missing: run scripts/build.sh win64 win32")
        (staging / folder).mkdir(parents=True)
        shutil.copy(dll, staging / folder / "brivet.dll")
    packaging = ROOT / "packaging"
    for name in ("register.cmd", "unregister.cmd", "README.txt"):
        (staging / name).write_bytes(windows_text(packaging / name, version))
    (staging / "LICENSE.txt").write_bytes(windows_text(ROOT / "LICENSE", version))
    if (ROOT / "CHANGELOG.md").exists():
        (staging / "CHANGELOG.txt").write_bytes(windows_text(ROOT / "CHANGELOG.md", version))
    (staging / "examples").mkdir()
    examples = sorted(p for p in (ROOT / "examples").iterdir() if p.suffix in (".vbs", ".js", ".gif"))
    for example in examples:
        if example.suffix == ".gif":
            shutil.copy(example, staging / "examples" / example.name)
        else:
            (staging / "examples" / example.name).write_bytes(windows_text(example, version))
    # Where each Markdown page and example lands; links are made relative to each page.
    pages = {"docs/reference.md": "docs/reference.html",
             "docs/quickstart-windows.md": "docs/quickstart-windows.html",
             "docs/troubleshooting.md": "docs/troubleshooting.html",
             "examples/README.md": "examples/index.html"}
    packaged = dict(pages, examples="examples/index.html")
    packaged.update({f"examples/{p.name}": f"examples/{p.name}" for p in examples})
    (staging / "docs").mkdir()
    for source, target in pages.items():
        here = Path(target).parent
        links = {k: os.path.relpath(v, here).replace(os.sep, "/") for k, v in packaged.items()}
        (staging / target).write_bytes(html_page(ROOT / source, links))
    names = sorted(p.relative_to(staging).as_posix() for p in staging.rglob("*") if p.is_file())
    msi_names = [n for n in names if n not in ("register.cmd", "unregister.cmd", "README.txt")]
    return names, msi_names


# --- signing -------------------------------------------------------------------

def signing_settings():
    """The osslsigncode arguments for the certificate in the environment, or
    None when no certificate is given."""
    cert, key = os.environ.get("BRIVET_SIGN_CERT"), os.environ.get("BRIVET_SIGN_KEY")
    if not cert and not key:
        return None
    if not (cert and key):
        raise SystemExit("signing needs both BRIVET_SIGN_CERT and BRIVET_SIGN_KEY")
    args = ["-certs", cert, "-key", key, "-n", "Brivet", "-h", "sha256"]
    if os.environ.get("BRIVET_SIGN_PASSWORD"):
        args += ["-pass", os.environ["BRIVET_SIGN_PASSWORD"]]
    if os.environ.get("BRIVET_TIMESTAMP_URL"):
        args += ["-ts", os.environ["BRIVET_TIMESTAMP_URL"]]
    return args


def sign(path, settings):
    unsigned = path.with_name(path.name + ".unsigned")
    path.rename(unsigned)
    result = subprocess.run(["osslsigncode", "sign"] + settings + ["-in", str(unsigned), "-out", str(path)],
                            capture_output=True, text=True)
    unsigned.unlink()
    if result.returncode != 0:
        raise SystemExit(f"signing {path.name} failed:\n{result.stdout}{result.stderr}")


# --- the MSI ---------------------------------------------------------------------

def wix_id(prefix, name):
    return prefix + re.sub(r"[^A-Za-z0-9_]", "_", name)


def registry_xml(entries):
    lines = []
    for key, name, value in entries:
        named = f' Name="{html.escape(name)}"' if name else ""
        lines.append(f'<RegistryValue Root="HKLM" Key="{html.escape(key)}"{named} Type="string" '
                     f'Value="{html.escape(value)}"/>')
    return "\n".join(lines)


def product_wxs(staging, msi_names, version, library_version):
    folders = {}
    for name in msi_names:
        folders.setdefault(str(Path(name).parent), []).append(name)

    def files_xml(folder, key_path):
        return "\n".join(f'<File Id="{wix_id("File_", n)}" Name="{Path(n).name}" Source="package/{n}"'
                         + (' KeyPath="yes"' if key_path and i == 0 else "") + "/>"
                         for i, n in enumerate(folders.get(folder, [])))

    dll_dirs = []
    for bits, folder in FOLDER.items():
        # [#file] is the installed file's path and [DIR] its folder with the
        # trailing backslash, as DllRegisterServer writes them.
        entries = com_registration(bits, f"[#{wix_id('File_', folder + '/brivet.dll')}]", f"[Folder{bits}]",
                                   library_version)
        dll_dirs.append(f"""<Directory Id="Folder{bits}" Name="{folder}">
<Component Id="Component{bits}" Guid="{COMPONENT_GUIDS[f'Component{bits}']}" Win64="{'yes' if bits == 64 else 'no'}">
{files_xml(folder, True)}
{registry_xml(entries)}
</Component></Directory>""")
    return f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
<Product Id="*" Name="Brivet {version}" Language="1033" Version="{version}" Manufacturer="Brivet"
         UpgradeCode="{UPGRADE_CODE}">
<Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
         Description="Brivet automation component {version}" Comments="Brivet.Window for Windows scripts"/>
<MajorUpgrade DowngradeErrorMessage="A newer version of Brivet is already installed."/>
<Media Id="1" Cabinet="brivet.cab" EmbedCab="yes"/>
<Property Id="ARPNOMODIFY" Value="1"/>
<Directory Id="TARGETDIR" Name="SourceDir">
<Directory Id="ProgramFiles64Folder">
<Directory Id="INSTALLDIR" Name="Brivet">
{"".join(dll_dirs)}
<Component Id="Documentation" Guid="{COMPONENT_GUIDS['Documentation']}" Win64="yes">
{files_xml(".", True)}
</Component>
<Directory Id="DocsFolder" Name="docs">
<Component Id="Pages" Guid="{COMPONENT_GUIDS['Pages']}" Win64="yes">
{files_xml("docs", True)}
</Component></Directory>
<Directory Id="ExamplesFolder" Name="examples">
<Component Id="Examples" Guid="{COMPONENT_GUIDS['Examples']}" Win64="yes">
{files_xml("examples", True)}
</Component></Directory>
</Directory></Directory>
<Directory Id="WindowsFolder">
<Component Id="Settings" Guid="{COMPONENT_GUIDS['Settings']}" Win64="yes">
<File Id="SettingsFile" Name="{SETTINGS_FILE}" Source="{SETTINGS_FILE}" KeyPath="yes"/>
</Component></Directory>
</Directory>
<Feature Id="Complete" Level="1">
<ComponentRef Id="Component64"/><ComponentRef Id="Component32"/><ComponentRef Id="Documentation"/>
<ComponentRef Id="Pages"/><ComponentRef Id="Examples"/><ComponentRef Id="Settings"/>
</Feature>
</Product>
</Wix>
"""


def msibuild(msi, *args):
    result = subprocess.run(["msibuild", str(msi)] + list(args), capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit(f"msibuild {args} failed:\n{result.stdout}{result.stderr}")


def build_msi(staging, msi_names, target, version, library_version):
    (staging.parent / SETTINGS_FILE).write_bytes(b"")
    wxs = staging.parent / "brivet.wxs"
    wxs.write_text(product_wxs(staging, msi_names, version, library_version), encoding="utf-8")
    # wixl takes sources relative to the folder it runs in.
    result = subprocess.run(["wixl", "-a", "x64", "-o", str(target.resolve()), wxs.name], cwd=wxs.parent,
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit(f"wixl failed:\n{result.stdout}{result.stderr}")
    # What wixl has no element for, written into the tables directly.
    tables = staging.parent / "tables"
    tables.mkdir()

    def table(name, columns, types, keys, *rows):
        (tables / f"{name}.idt").write_text("\r\n".join(
            ["\t".join(columns), "\t".join(types), "\t".join([name] + keys)] + ["\t".join(r) for r in rows]) + "\r\n")
        msibuild(target, "-i", str(tables / f"{name}.idt"))

    # Users may change the settings file: its rights are set as the installer
    # creates it.
    table("MsiLockPermissionsEx", ["MsiLockPermissionsEx", "LockObject", "Table", "SDDL", "Condition"],
          ["s72", "s72", "s32", "s255", "S255"], ["MsiLockPermissionsEx"],
          ["SettingsRights", "SettingsFile", "File", SETTINGS_RIGHTS, ""])
    # The settings file is the scripts' data: an upgrade leaves it
    # (permanent), and so does an uninstall once a script has used it. A file
    # that is there already, made by a script or by an earlier version, is
    # left as it is, rights and all: the component is installed only where
    # the search finds no file.
    table("Signature", ["Signature", "FileName", "MinVersion", "MaxVersion", "MinSize", "MaxSize", "MinDate",
                        "MaxDate", "Languages"], ["s72", "s255", "S20", "S20", "I4", "I4", "I4", "I4", "S255"],
          ["Signature"], ["ExistingSettings", SETTINGS_FILE, "", "", "", "", "", "", ""])
    table("DrLocator", ["Signature_", "Parent", "Path", "Depth"], ["s72", "S72", "S255", "I2"],
          ["Signature_", "Parent", "Path"], ["ExistingSettings", "", "[WindowsFolder]", "0"])
    table("AppSearch", ["Property", "Signature_"], ["s72", "s72"], ["Property", "Signature_"],
          ["EXISTING_SETTINGS", "ExistingSettings"])
    for sequence in ("InstallExecuteSequence", "InstallUISequence"):
        msibuild(target, "-q", f"INSERT INTO {sequence} (Action, Sequence) VALUES ('AppSearch', 50)")
    # A settings file no script has written to goes with an uninstall (not
    # with the old version's removal in an upgrade).
    deferred_as_system_ignoring_failure = 34 | 0x400 | 0x800 | 0x40
    delete_if_empty = (f'"[System64Folder]cmd.exe" /c for %F in ("[WindowsFolder]{SETTINGS_FILE}") '
                       'do if %~zF==0 del "%~F"')
    table("CustomAction", ["Action", "Type", "Source", "Target", "ExtendedType"], ["s72", "i2", "S72", "S255", "I4"],
          ["Action"], ["RemoveUnusedSettings", str(deferred_as_system_ignoring_failure), "WindowsFolder",
                       delete_if_empty, ""])
    msibuild(target, "-q", "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES "
                           "('RemoveUnusedSettings', 'REMOVE~=\"ALL\" AND NOT UPGRADINGPRODUCTCODE', 3510)")
    permanent, win64 = 0x10, 0x100
    msibuild(target, "-q", f"UPDATE Component SET Attributes = {permanent | win64}, "
                           "Condition = 'NOT EXISTING_SETTINGS' WHERE Component = 'Settings'")
    return target


# --- the two packages ------------------------------------------------------------

def build_package(build_root, out_dir, msi_version=None):
    """Writes the zip and the MSI into out_dir; answers the zip's path (the
    MSI lies beside it). msi_version stands in for the project's version in
    the MSI only, for trying an upgrade."""
    builds = [build_root / f"win{bits}" for bits in FOLDER]
    versions = {configured_version(b) for b in builds}
    if len(versions) != 1:
        raise SystemExit(f"the builds disagree on the version: {sorted(versions)}")
    version = versions.pop()
    library_version = ".".join(version.split(".")[:2])
    signing = signing_settings()
    out_dir.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="brivet-stage-") as work:
        staging = Path(work) / "package"
        names, msi_names = stage(build_root, staging, version)
        for folder in FOLDER.values() if signing else ():
            sign(staging / folder / "brivet.dll", signing)
        target = out_dir / f"brivet-{version}.zip"
        with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zip_file:
            for name in names:
                zip_file.write(staging / name, name)
        msi = build_msi(staging, msi_names, out_dir / f"brivet-{msi_version or version}-x64.msi",
                        msi_version or version, library_version)
        if signing:
            sign(msi, signing)
    if not signing:
        print("unsigned: set BRIVET_SIGN_CERT and BRIVET_SIGN_KEY to sign the DLLs and the MSI", file=sys.stderr)
    return target


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-root", default=str(ROOT / "build"))
    parser.add_argument("--out", default=str(ROOT / "dist"))
    args = parser.parse_args()
    zip_path = build_package(Path(args.build_root), Path(args.out))
    print(zip_path)
    print(next(zip_path.parent.glob(zip_path.stem + "-x64.msi")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
