' Ask for notes of several lines in a multi-line box.
' Run it with:  cscript //nologo notes.vbs
Option Explicit
Dim w, answer, notes, lines

Set w = CreateObject("Brivet.Window")
w.Title = "Release notes"
w.Caption = "What changed in this release?"

' True in the brackets makes the first box multi-line: 400 x 120 pixels here.
' Enter starts a new line in it; the buttons take the mouse or Tab.
w.ShowTextBox(True, 400, 120) = 1
w.Text1Caption = "Notes, one change a line"
w.Text1Text = "Fixed the report's totals"   ' a first line to start from

w.ShowButtons = 2
w.Button1Caption = "Save"
w.Button2Caption = "Cancel"
w.Show

' The multi-line text comes back with its line breaks (vbCrLf).
answer = w.Response(notes)
If answer = 1 Then
  lines = Split(notes, vbCrLf)
  WScript.Echo "Notes of " & (UBound(lines) + 1) & " lines:"
  WScript.Echo notes
Else
  WScript.Echo "Cancelled"
End If
