"""A benchmark script running under a Wine script host, every line it prints
stamped with the Linux high-resolution clock as it arrives.

Script-side costs are timed between marks the script prints around a block
of work ("M B name" ... "M E name"): the host writes each line straight to
the pipe, so a mark's stamp is its moment to within the pipe's latency, far
finer than the host's own Timer. The driver paces a script through go-files
the script waits for, since the host cannot read its standard input."""

import queue
import statistics
import subprocess
import threading
import time
from pathlib import Path

import harness

PRELUDE = r"""
Option Explicit
On Error Resume Next
Dim fso_, go_
Set fso_ = CreateObject("Scripting.FileSystemObject")
go_ = "{go}"

Sub Mark(name)
  WScript.Echo "M " & name
End Sub

' Waits, outside any timed block, until the driver lets the script go on
' (the host has no WScript.Sleep).
Sub WaitGo(name)
  Do Until fso_.FileExists(go_ & "\" & name)
  Loop
End Sub

' A run-time error the host would otherwise swallow.
Sub CheckError(what)
  If Err.Number <> 0 Then WScript.Echo "ERROR " & what & ": " & Err.Number & " " & Err.Description
  Err.Clear
End Sub
"""


class ScriptSession:
    def __init__(self, wine, bits, work, name, body):
        self.work = Path(work)
        self.go_dir = self.work / f"go-{name}-{bits}"
        self.go_dir.mkdir(parents=True, exist_ok=True)
        for old in self.go_dir.iterdir():
            old.unlink()
        path = self.work / f"{name}-{bits}.vbs"
        text = PRELUDE.replace("{go}", harness.windows_path(self.go_dir)) + body + '\nWScript.Echo "END"\n'
        path.write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))
        self.lines = queue.Queue()
        self.log = []
        self.process = subprocess.Popen([wine.loader(bits)] + wine.cscript_command(bits, path), env=wine.env,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                        errors="replace")
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            stamped = (time.perf_counter(), line.rstrip("\r\n"))
            self.log.append(stamped)
            self.lines.put(stamped)
        self.lines.put((time.perf_counter(), None))

    def go(self, name):
        (self.go_dir / name).touch()

    def expect(self, text, timeout=120):
        """Waits for the next line equal to text; answers its stamp."""
        deadline = time.perf_counter() + timeout
        while True:
            try:
                stamp, line = self.lines.get(timeout=max(0.0, deadline - time.perf_counter()))
            except queue.Empty:
                raise RuntimeError(f"no '{text}' from the script") from None
            if line is None:
                raise RuntimeError(f"the script ended before '{text}':\n" + self.text()[-2000:])
            if line.startswith("ERROR"):
                raise RuntimeError(line)
            if line == text:
                return stamp

    def finish(self, timeout=900):
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise RuntimeError("the script did not finish")
        self.reader.join(10)
        errors = [l for _, l in self.log if l.startswith("ERROR")]
        if errors or not self.log or self.log[-1][1] != "END":
            raise RuntimeError("the script failed:\n" + "\n".join(errors or [self.text()[-2000:]]))

    def text(self):
        return "\n".join(l for _, l in self.log)

    def intervals(self):
        """Every timed block the script marked: name -> [seconds, ...]."""
        opened, found = {}, {}
        for stamp, line in self.log:
            if line.startswith("M B "):
                opened[line[4:]] = stamp
            elif line.startswith("M E ") and line[4:] in opened:
                found.setdefault(line[4:], []).append(stamp - opened.pop(line[4:]))
        return found


def summary(values):
    """Median and spread (the interquartile range, and the extremes), and
    the first round: a cost kept for later rounds shows there."""
    ordered = sorted(values)
    if len(ordered) >= 4:
        q = statistics.quantiles(ordered, n=4)
        quartiles = (q[0], q[2])
    else:
        quartiles = (ordered[0], ordered[-1])
    return {"median": statistics.median(ordered), "q1": quartiles[0], "q3": quartiles[1],
            "min": ordered[0], "max": ordered[-1], "first": values[0], "n": len(ordered)}
