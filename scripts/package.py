#!/usr/bin/env python3
"""Packs the win64 and win32 builds into brivet-<version>.zip: both DLLs, the
registration scripts, a short README, the licence and the example scripts.
The version is the project's, as CMake configured the builds."""

import argparse
import re
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]


def configured_version(build):
    cache = build / "CMakeCache.txt"
    found = re.search(r"^CMAKE_PROJECT_VERSION:\w+=(\S+)$", cache.read_text(), re.M)
    if not found:
        raise SystemExit(f"no project version in {cache}")
    return found.group(1)


def windows_text(path, version):
    """Text files in the zip have CRLF line ends, as cmd and Notepad expect."""
    text = path.read_text().replace("@VERSION@", version)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def build_package(build_root, out_dir):
    builds = {"x64": build_root / "win64", "x86": build_root / "win32"}
    versions = {configured_version(b) for b in builds.values()}
    if len(versions) != 1:
        raise SystemExit(f"the builds disagree on the version: {sorted(versions)}")
    version = versions.pop()
    for build in builds.values():
        if not (build / "brivet.dll").exists():
            raise SystemExit(f"{build / 'brivet.dll'} is missing: run scripts/build.sh win64 win32")

    out_dir.mkdir(parents=True, exist_ok=True)
    target = out_dir / f"brivet-{version}.zip"
    packaging = ROOT / "packaging"
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zip_file:
        for folder, build in builds.items():
            zip_file.write(build / "brivet.dll", f"{folder}/brivet.dll")
        for name in ("register.cmd", "unregister.cmd", "README.txt"):
            zip_file.writestr(name, windows_text(packaging / name, version))
        zip_file.writestr("LICENSE.txt", windows_text(ROOT / "LICENSE", version))
        for script in sorted((ROOT / "examples").glob("*.vbs")):
            zip_file.writestr(f"examples/{script.name}", windows_text(script, version))
    return target


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build-root", default=str(ROOT / "build"))
    parser.add_argument("--out", default=str(ROOT / "dist"))
    args = parser.parse_args()
    print(build_package(Path(args.build_root), Path(args.out)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
