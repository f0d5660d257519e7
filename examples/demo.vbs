' A small dialog: a message, three coloured buttons, and the answer.
Dim w, answer
Set w = CreateObject("Brivet.Window")
w.Title = "Brivet demo"
w.Caption = "Shall we build the rest of the dialog?"
w.ShowButtons = 3
w.Button1Caption = "Yes"
w.Button2Caption = "Later"
w.Button3Caption = "No"
w.WindowColor = "DDEEFF"
w.ButtonColor = "FFF2CC"
w.TextColor = "203060"
w.Show
answer = w.Response()
WScript.Echo "Response answered " & answer
