' Shared by every test script: the host swallows run-time errors, so each
' step is checked by hand and the script must reach its last line.
Option Explicit
On Error Resume Next
Dim failures
failures = 0

Sub Check(condition, what)
  If condition Then
    WScript.Echo "ok " & what
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
  Else
    WScript.Echo "FAIL " & what & ": error " & got & " (" & Err.Description & "), expected " & expected
    failures = failures + 1
  End If
  Err.Clear
End Sub

Sub Finish()
  WScript.Echo "END " & failures
End Sub
