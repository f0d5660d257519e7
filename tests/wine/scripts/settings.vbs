' The settings members on the real settings file: statuses, the file's
' creation, values that read as conditions, the read limit, refused texts.
Dim w, fso, ini, v, r, longText
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
Set fso = CreateObject("Scripting.FileSystemObject")
ini = fso.GetSpecialFolder(0).Path & "\brivetdll.ini"
If fso.FileExists(ini) Then fso.DeleteFile ini
CheckError 0, "no settings file to start with"

v = 7
r = w.GetInfo("app", "colour", v)
Check r = -1 And VarType(r) = vbInteger And v = "" And VarType(v) = vbString, "no file: -1 and an empty text (" & r & ")"
Check Not fso.FileExists(ini), "a read does not create the file"
r = w.DeleteInfo("app", "colour")
Check r = 1 And fso.FileExists(ini), "DeleteInfo without a file leaves one behind"
Check fso.GetFile(ini).Size = 0, "and it is empty"
r = w.SaveInfo("App", "Colour", "FF8000")
Check r = 1 And VarType(r) = vbInteger, "SaveInfo answers 1"
r = w.GetInfo("APP", "colour", v)
Check r = 1 And v = "FF8000", "names differing in case address the same setting (" & r & " " & v & ")"
r = w.GetInfo("app", "absent", v)
Check r = 0 And v = "", "an absent key is 0"
r = w.SaveInfo("app", "empty", "")
r = w.GetInfo("app", "empty", v)
Check r = 0 And v = "", "an empty value is 0, not 1"

Sub ExpectStored(stored, status, what)
  Dim got, value
  value = 12.5
  If w.SaveInfo("app", "word", stored) <> 1 Then Check False, "store " & what
  got = w.GetInfo("app", "word", value)
  Check got = status And value = "" And VarType(value) = vbString, what & " (" & got & ")"
End Sub
ExpectStored "na", 0, "a stored na reads as no setting"
ExpectStored "Error", -2, "a stored Error reads as an error"
ExpectStored "ini missing", -1, "a stored ini missing reads as no file"

longText = String(300, "z")
r = w.SaveInfo("app", "long", longText)
r = w.GetInfo("app", "long", v)
Check r = 1 And v = String(254, "z"), "a 300-character value comes back as 254 (" & Len(v) & ")"
r = w.SaveInfo("app", "number", 42)
r = w.GetInfo("app", "number", v)
Check r = 1 And VarType(v) = vbString And v = "42", "a number is stored as its text"

r = w.GetInfo(Null, "k", v)
CheckError 13, "GetInfo with a Null section is a type mismatch"
Check w.SaveInfo(Null, "k", "v") = -1 And w.DeleteInfo("s", Null) = -1, "SaveInfo and DeleteInfo with Null answer -1"
CheckError 0, "without an error"

Dim before, refused, i
before = fso.OpenTextFile(ini).ReadAll
refused = Array(Array("a" & vbCrLf & "[b]", "k", "v"), Array("s", "k" & vbLf & "x", "v"), _
                Array("s", "k", "v" & vbCr & "x=1"), Array("s" & Chr(0), "k", "v"), _
                Array("s", "k", "v" & Chr(0)), Array("a]b", "k", "v"), Array("s", "k=x", "v"), _
                Array("s", "[x]", "v"), Array("s", Chr(11) & "[x]", "v"), _
                Array("s", Chr(26) & "[x]", "v"), Array("s", ";note", "v"))
For i = 0 To UBound(refused)
  r = w.SaveInfo(refused(i)(0), refused(i)(1), refused(i)(2))
  Check r = -1, "refused text " & i & " answers -1 (" & r & ")"
Next
Check w.DeleteInfo("s", "k=x") = -1 And w.DeleteInfo("s]", "k") = -1, "DeleteInfo refuses them too"
Check fso.OpenTextFile(ini).ReadAll = before, "the file is untouched by refused texts"
r = w.DeleteInfo("APP", "LONG")
r = w.GetInfo("app", "long", v)
Check r = 0, "a deleted key is gone"
Set w = Nothing
Finish
