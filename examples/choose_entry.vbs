' Choose one entry from a list.
' Run it with:  cscript //nologo choose_entry.vbs
Option Explicit
Dim w, answer, entry

Set w = CreateObject("Brivet.Window")
w.Title = "Deploy"
w.Caption = "Which environment shall we deploy to?"

' LoadList takes the entries separated by commas and appends them.
w.LoadList "Development,Testing,Staging,Production"
w.ShowList

w.ShowButtons = 2
w.Button1Caption = "Deploy"
w.Button2Caption = "Cancel"
w.Show

' The third argument of Response receives the selected entry, or ""
' when none is selected; the first two (the text boxes) are left out.
answer = w.Response(, , entry)
If answer <> 1 Then
  WScript.Echo "Cancelled"
ElseIf entry = "" Then
  WScript.Echo "Nothing chosen"
Else
  WScript.Echo "Chosen: " & entry
End If
