' The demo scripts/demo.sh shows: most of what a dialog can hold, and
' everything Response answers.
' Run it with:  cscript //nologo demo.vbs
Option Explicit
Dim w, folder, answer, name, place, entry

Set w = CreateObject("Brivet.Window")
folder = CreateObject("Scripting.FileSystemObject").GetParentFolderName(WScript.ScriptFullName)

w.Title = "Brivet demo"
w.Picture = folder & "\logo.gif"
w.Caption = "A dialog for your scripts: a message and a picture," & vbCrLf & _
            "a list, two labelled boxes and up to three buttons."

w.LoadList "Development,Testing,Staging,Production"
w.ShowList

w.ShowTextBox(False) = 2
w.Text1Caption = "Your name"
w.Text2Caption = "Where you are"
w.Text2Text = "Office"

w.ShowButtons = 3
w.Button1Caption = "Deploy"
w.Button2Caption = "Later"
w.Button3Caption = "Cancel"

w.WindowColor = "DDEEFF"
w.ButtonColor = "FFCC66"
w.TextColor = "203060"
w.Show

' The button (0 for the close box), the two boxes' texts and the entry.
answer = w.Response(name, place, entry)
WScript.Echo "Response answered " & answer
WScript.Echo "Your name: " & name
WScript.Echo "Where you are: " & place
WScript.Echo "Entry: " & entry
