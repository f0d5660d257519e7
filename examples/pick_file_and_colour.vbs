' Ask for a file, then for a colour.
' Run it with:  cscript //nologo pick_file_and_colour.vbs
Option Explicit
Dim w, file, colour

Set w = CreateObject("Brivet.Window")

' The "Open File" chooser: the full path, or "" for Cancel.
file = w.ChooseFileOpen
If file = "" Then
  WScript.Echo "No file chosen"
Else
  WScript.Echo "File: " & file
End If

' The colour chooser: six hexadecimal digits RRGGBB, or "" for Cancel.
' (ChooseColorRGB(r, g, b) answers the numbers instead.)
colour = w.ChooseColorHex
If colour = "" Then
  WScript.Echo "No colour chosen"
Else
  WScript.Echo "Colour: " & colour
End If
