' Remember the folder chosen last time in the settings file.
' Run it with:  cscript //nologo remember_folder.vbs   (and run it again)
Option Explicit
Dim w, status, lastFolder, folder

Set w = CreateObject("Brivet.Window")

' GetInfo answers a status and puts the value into its third argument:
' 1 found, 0 no such setting, -1 no settings file yet, -2 error.
status = w.GetInfo("RememberFolder", "LastFolder", lastFolder)
If status = 1 Then
  WScript.Echo "Last folder: " & lastFolder
  folder = w.ChooseFolder("Last time you chose " & lastFolder)
Else
  WScript.Echo "No folder remembered yet"
  folder = w.ChooseFolder("Choose a folder")
End If

' ChooseFolder answers "" for Cancel (and for an item that is no folder).
If folder = "" Then
  WScript.Echo "Cancelled"
ElseIf w.SaveInfo("RememberFolder", "LastFolder", folder) = 1 Then
  WScript.Echo "Remembered: " & folder
Else
  ' -1: the settings file could not be written (see the reference).
  WScript.Echo "Could not write the settings file"
End If
