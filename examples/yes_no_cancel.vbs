' A yes/no/cancel question with coloured buttons.
' Run it with:  cscript //nologo yes_no_cancel.vbs
Option Explicit
Dim w

Set w = CreateObject("Brivet.Window")
w.Title = "Unsaved changes"
w.Caption = "Save the changes to report.txt before closing?"
w.ShowButtons = 3
w.Button1Caption = "Yes"
w.Button2Caption = "No"
w.Button3Caption = "Cancel"

' Colours are six hexadecimal digits: red, green, blue (RRGGBB).
' A text that is not such a colour is ignored.
w.WindowColor = "F4F7FB"          ' the window's background
w.ButtonColor = "FFD966"          ' all three buttons
w.TextColor = "1F3A60"            ' the message
w.Show

' The button's number: 1, 2 or 3, and 0 when the window was closed.
Select Case w.Response()
  Case 1
    WScript.Echo "Yes"
  Case 2
    WScript.Echo "No"
  Case Else
    WScript.Echo "Cancel"
End Select
