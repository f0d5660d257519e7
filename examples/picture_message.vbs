' A message with a picture beside it.
' Run it with:  cscript //nologo picture_message.vbs
Option Explicit
Dim w, folder

Set w = CreateObject("Brivet.Window")

' A relative path would be taken from the current folder, which is where
' the script was started from: build the path from the script's own folder.
folder = CreateObject("Scripting.FileSystemObject").GetParentFolderName(WScript.ScriptFullName)

w.Title = "Backup finished"
' A .bmp, .jpg, .ico or .gif file, drawn at its own size (up to 45 x 45
' pixels) at the top left; the message stands beside it.
w.Picture = folder & "\logo.gif"
w.Caption = "The backup finished." & vbCrLf & "All 1,204 files were copied."
w.ShowButtons = 1
w.Button1Caption = "Close"
w.Show

WScript.Echo "Response: " & w.Response()
