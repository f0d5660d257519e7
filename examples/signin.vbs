' A sign-in form: a message, two labelled text boxes and two buttons.
' Run it with:  cscript //nologo signin.vbs
' The boxes show what is typed: do not ask for a password this way.
Option Explicit
Dim w, answer, userName, domain

Set w = CreateObject("Brivet.Window")
w.Title = "Sign in"
w.Caption = "Sign in to the build server."

' ShowTextBox takes "multi-line?" in brackets and the number of boxes
' after the equals sign: two single-line boxes here.
w.ShowTextBox(False) = 2
w.Text1Caption = "User name"
w.Text2Caption = "Domain"
w.Text2Text = "OFFICE"            ' a preset text the user can change

w.ShowButtons = 2
w.Button1Caption = "Sign in"
w.Button2Caption = "Cancel"

w.Show                            ' waits until the user answers

' Response answers the number of the button pressed (0 for the close box)
' and puts the texts of the two boxes into its arguments.
answer = w.Response(userName, domain)
If answer = 1 Then
  WScript.Echo "Signed in as " & domain & "\" & userName
Else
  WScript.Echo "Cancelled"
End If
