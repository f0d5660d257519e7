' Trap errors instead of stopping: each step reports Err.Number.
' Run it with:  cscript //nologo trap_errors.vbs
' Under Wine, cscript ends a script silently at a run-time error; with
' On Error Resume Next the script goes on and can say what failed.
Option Explicit
On Error Resume Next
Dim w, title

Set w = CreateObject("Brivet.Window")
If Err.Number <> 0 Then
  ' 429: Brivet is not registered for this host (see docs/troubleshooting.md).
  WScript.Echo "CreateObject failed: error " & Err.Number & " (" & Err.Description & ")"
  WScript.Quit 1
End If

' Reports the error of the step before, if any, and clears it.
Sub Report(what)
  If Err.Number <> 0 Then
    WScript.Echo what & ": error " & Err.Number & " (" & Err.Description & ")"
    Err.Clear
  Else
    WScript.Echo what & ": ok"
  End If
End Sub

w.Title = "Trapping errors"
Report "set the title"

title = w.Title                   ' the properties are write-only: error 438
Report "read the title"

w.ShowButtons = 40000             ' beyond a 16-bit number: error 6
Report "show 40000 buttons"

w.Caption = "Two of the steps before failed; the console says which."
w.ShowButtons = 1
w.Button1Caption = "OK"
w.Show
Report "show the dialog"

WScript.Echo "Response: " & w.Response()
