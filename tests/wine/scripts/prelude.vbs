' Shared by every test script: the host swallows run-time errors, so each
' step is checked by hand and the script must reach its last line.
Option Explicit
On Error Resume Next
Dim failures, passes
failures = 0
passes = 0

Sub Check(condition, what)
  If condition Then
    WScript.Echo "ok " & what
    passes = passes + 1
  Else
    WScript.Echo "FAIL " & what
    failures = failures + 1
  End If
End Sub

' Checks the error of the previous statement and clears it.
Sub CheckError(expected, what)
  Dim got
  got = Err.Number
  If got = expected Then
    WScript.Echo "ok " & what
    passes = passes + 1
  Else
    WScript.Echo "FAIL " & what & ": error " & got & " (" & Err.Description & "), expected " & expected
    failures = failures + 1
  End If
  Err.Clear
End Sub

' The closing count, then the END line that shows the script ran through.
Sub Finish()
  WScript.Echo passes & " passed, " & failures & " failed"
  WScript.Echo "END " & failures
End Sub
