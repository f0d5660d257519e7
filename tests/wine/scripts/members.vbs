' Every member without a dialog on screen, grouped by member: what each
' accepts, the error each raises, the status or result each answers.
' (basics.vbs and settings.vbs check creation, Window, reading write-only
' properties and the settings file; they are not repeated here.)
Dim w, v, r, a, b, c, arr
Set w = CreateObject("Brivet.Window")
CheckError 0, "create"
arr = Array(1, 2)

' One value put that must raise `expected`: the error number the script sees.
Sub ExpectPut(member, value, expected, what)
  On Error Resume Next  ' else an error leaves the routine before it is checked
  Select Case member
    Case "Title": w.Title = value
    Case "Caption": w.Caption = value
    Case "Picture": w.Picture = value
    Case "Text1Caption": w.Text1Caption = value
    Case "Text2Caption": w.Text2Caption = value
    Case "Text1Text": w.Text1Text = value
    Case "Text2Text": w.Text2Text = value
    Case "TextFontLarge": w.TextFontLarge = value
    Case "TextFontBold": w.TextFontBold = value
    Case "ShowButtons": w.ShowButtons = value
    Case "Button1Caption": w.Button1Caption = value
    Case "Button2Caption": w.Button2Caption = value
    Case "Button3Caption": w.Button3Caption = value
    Case "ButtonColor": w.ButtonColor = value
    Case "WindowColor": w.WindowColor = value
    Case "TextColor": w.TextColor = value
    Case "Persist": w.Persist = value
  End Select
  CheckError expected, member & " = " & what
End Sub

' --- the text puts: any value with a text, never Null or an array --------
Dim textPuts, i
textPuts = Array("Title", "Caption", "Text1Caption", "Text2Caption", "Text1Text", "Text2Text", _
                 "Button1Caption", "Button2Caption", "Button3Caption")
For i = 0 To UBound(textPuts)
  ExpectPut textPuts(i), "text " & Chr(233), 0, "a text"
  ExpectPut textPuts(i), 42.5, 0, "a number"
  ExpectPut textPuts(i), True, 0, "a boolean"
  ExpectPut textPuts(i), Empty, 0, "Empty"
  ExpectPut textPuts(i), String(5000, "x"), 0, "a long text"
  ExpectPut textPuts(i), Null, 13, "Null is a type mismatch"
  ExpectPut textPuts(i), arr, 13, "an array is a type mismatch"
Next

' --- the boolean puts ------------------------------------------------------
Dim boolPuts
boolPuts = Array("TextFontLarge", "TextFontBold", "Persist")
For i = 0 To UBound(boolPuts)
  ExpectPut boolPuts(i), 1, 0, "1"
  ExpectPut boolPuts(i), "True", 0, "the word True"
  ExpectPut boolPuts(i), "-1", 0, "a numeric text"
  ExpectPut boolPuts(i), 0.25, 0, "a fraction"
  ExpectPut boolPuts(i), Empty, 0, "Empty"
  ExpectPut boolPuts(i), "yes", 13, "a word that is no boolean"
  ExpectPut boolPuts(i), Null, 13, "Null"
  ExpectPut boolPuts(i), arr, 13, "an array"
Next
w.Persist = False

' --- the colour puts: a text, then colour text or ignored ------------------
Dim colourPuts
colourPuts = Array("ButtonColor", "WindowColor", "TextColor")
For i = 0 To UBound(colourPuts)
  ExpectPut colourPuts(i), "ff8000", 0, "colour text"
  ExpectPut colourPuts(i), 123456, 0, "a number read as colour text"
  ExpectPut colourPuts(i), "&HFF80", 0, "six characters that are no colour"
  ExpectPut colourPuts(i), "", 0, "the empty text"
  ExpectPut colourPuts(i), String(100000, "F"), 0, "a very long text"
  ExpectPut colourPuts(i), Null, 13, "Null"
  ExpectPut colourPuts(i), arr, 13, "an array"
Next

' --- ShowButtons: a 16-bit count -------------------------------------------
ExpectPut "ShowButtons", 3.5, 0, "3.5 (rounds to 4: none)"
ExpectPut "ShowButtons", -32768, 0, "-32768"
ExpectPut "ShowButtons", 32767, 0, "32767"
ExpectPut "ShowButtons", 32768, 6, "32768 overflows"
ExpectPut "ShowButtons", -32769, 6, "-32769 overflows"
ExpectPut "ShowButtons", "three", 13, "a word"
ExpectPut "ShowButtons", arr, 13, "an array"
ExpectPut "ShowButtons", 1E+300, 6, "1E+300 overflows"

' --- Picture: what names no picture file is ignored -----------------------
ExpectPut "Picture", "", 0, "the empty text"
ExpectPut "Picture", "C:\no\such\picture.bmp", 0, "a missing file"
ExpectPut "Picture", 42, 0, "a number (no such file)"
ExpectPut "Picture", String(1000, "p") & ".gif", 0, "a path longer than any file name"
ExpectPut "Picture", "C:\windows", 0, "a folder"
ExpectPut "Picture", Null, 13, "Null"
ExpectPut "Picture", arr, 13, "an array"

' --- ShowTextBox: boolean, optional sizes in pixels, 16-bit count ----------
w.ShowTextBox(False) = 1
CheckError 0, "ShowTextBox(False) = 1"
w.ShowTextBox(False, "no", "size") = 2
CheckError 0, "ShowTextBox(False, texts) = 2: sizes not read in single-line mode"
a = 200 : b = 40
w.ShowTextBox(True, a, b) = 2
CheckError 0, "ShowTextBox(True, 200, 40) = 2"
Check a = 335 And VarType(a) = vbInteger And b = 40, "the width below 335 came back as the integer 335 (" & a & ")"
a = 200
w.ShowTextBox(True, a, b) = 1
CheckError 0, "ShowTextBox(True, 200, 40) = 1"
Check a = 200, "one section keeps the width (" & a & ")"
w.ShowTextBox(True, "wide") = 1
CheckError 13, "ShowTextBox with a word for the width"
w.ShowTextBox(True, 100, Null) = 1
CheckError 13, "ShowTextBox with Null for the height"
w.ShowTextBox(True, -5, 10) = 1
CheckError 380, "ShowTextBox with a negative width is an invalid property value"
w.ShowTextBox(True, 200000000, 10) = 1
CheckError 6, "ShowTextBox with a width whose twips overflow"
w.ShowTextBox(True, 3000000000, 10) = 1
CheckError 6, "ShowTextBox with a width beyond 32 bits"
w.ShowTextBox(Null) = 1
CheckError 13, "ShowTextBox(Null)"
w.ShowTextBox("maybe") = 1
CheckError 13, "ShowTextBox with a word that is no boolean"
w.ShowTextBox(False) = 40000
CheckError 6, "ShowTextBox = 40000 overflows"
w.ShowTextBox(False) = "two"
CheckError 13, "ShowTextBox = a word"
w.ShowTextBox(True) = 0
CheckError 0, "ShowTextBox(True) = 0"
w.ShowTextBox = 1
CheckError 449, "ShowTextBox without its first index is not optional"
w.ShowTextBox(True, 1, 2, 3) = 1
CheckError 450, "ShowTextBox with four indexes is refused"

' --- Text1Select: never an error -----------------------------------------
w.ShowTextBox(True) = 1
w.Text1Text = "abcdef"
CheckError 0, "preset the multi-line text"
w.Text1Select 3, 2
CheckError 0, "Text1Select 3, 2"
w.Text1Select 5, 3
CheckError 0, "Text1Select past the end selects nothing"
w.Text1Select "x", 1
CheckError 0, "Text1Select with a word"
w.Text1Select Null, Null
CheckError 0, "Text1Select with Null"
w.Text1Select 2147483647, 2147483647
CheckError 0, "Text1Select whose end overflows"
w.Text1Select -5, -5
CheckError 0, "Text1Select with negative values"
w.Text1Select 1E+300, 1
CheckError 0, "Text1Select beyond 32 bits"
w.Text1Select arr, arr
CheckError 0, "Text1Select with arrays"
w.Text1Select 1
CheckError 449, "Text1Select with one argument is not optional"
w.Text1Select
CheckError 449, "Text1Select without arguments is not optional"

' --- the list ------------------------------------------------------------
w.ClearList
CheckError 0, "ClearList"
w.LoadList "a,,b,"
CheckError 0, "LoadList a,,b,"
v = w.GetList
CheckError 0, "GetList"
Check v = "a,,b," And VarType(v) = vbString, "four entries read back (" & v & ")"
w.LoadList Null
CheckError 0, "LoadList Null ends quietly"
w.LoadList arr
CheckError 0, "LoadList of an array ends quietly"
w.AddToList Null
CheckError 0, "AddToList Null ends quietly"
w.AddToList "x,y"
CheckError 0, "AddToList x,y"
v = w.GetList()
Check v = "a,,b,,x,y", "nothing added by the refused values (" & v & ")"
w.ClearList
v = w.GetList
Check v = "" And VarType(v) = vbString, "an empty list reads as the empty text"
w.AddToList ""
v = w.GetList
Check v = "" And VarType(v) = vbString, "one empty entry reads as the empty text"
w.ClearList
w.LoadList String(70000, ",")
CheckError 0, "LoadList of more than 32768 pieces ends quietly"
v = w.GetList
Check v = "", "and adds nothing (" & Len(v) & ")"
r = w.RemoveSelListItem
CheckError 0, "RemoveSelListItem without a selection"
Check r = "" And VarType(r) = vbString, "answers the empty text (" & TypeName(r) & ")"
w.ShowList
CheckError 0, "ShowList"
w.ShowList 1
CheckError 450, "ShowList with an argument is refused"
w.LoadList
CheckError 449, "LoadList without its argument is not optional"
w.AddToList "a", "b"
CheckError 450, "AddToList with two arguments is refused"
r = w.GetList(1)
CheckError 450, "GetList with an argument is refused"

' --- Show, Hide, Reset and Persist ---------------------------------------
w.Hide
CheckError 0, "Hide of a hidden form"
w.Hide 1
CheckError 450, "Hide with an argument is refused"
w.Reset
CheckError 0, "Reset"
w.Reset 1
CheckError 450, "Reset with an argument is refused"
w.Persist = True
w.Reset
CheckError 0, "Reset with Persist set"
w.Persist = False
w.Title = "not shown"
w.Show = 1
CheckError 438, "assigning to the method Show is refused"
w.Title "x"
CheckError 438, "calling the property Title as a method is refused"

' --- Response --------------------------------------------------------------
r = w.Response(1, 2, 3)
CheckError 0, "Response with values that are no variables"
Check r = 0, "answers 0"
r = w.Response(a, b, c, a)
CheckError 450, "Response with four arguments is refused"

' --- the choosers: wrong argument counts are refused before any shows ------
r = w.ChooseFileOpen(1)
CheckError 450, "ChooseFileOpen with an argument is refused"
r = w.ChooseFileSave(1)
CheckError 450, "ChooseFileSave with an argument is refused"
r = w.ChooseFolder(1, 2)
CheckError 450, "ChooseFolder with two arguments is refused"
r = w.ChooseColorRGB(a, b)
CheckError 449, "ChooseColorRGB with two arguments is not optional"
r = w.ChooseColorHex(1)
CheckError 450, "ChooseColorHex with an argument is refused"

' --- the settings members: argument counts and refused values -------------
r = w.GetInfo("s", "k")
CheckError 449, "GetInfo with two arguments is not optional"
r = w.SaveInfo("s", "k")
CheckError 449, "SaveInfo with two arguments is not optional"
r = w.DeleteInfo("s")
CheckError 449, "DeleteInfo with one argument is not optional"
v = "kept"
r = w.GetInfo("s", arr, v)
CheckError 13, "GetInfo with an array for the key is a type mismatch"
Check v = "kept", "and leaves the value alone"
r = w.SaveInfo(arr, "k", "v")
CheckError 0, "SaveInfo with an array raises nothing"
Check r = -1 And VarType(r) = vbInteger, "and answers -1 (" & r & ")"
r = w.SaveInfo("s", "k", arr)
Check r = -1, "SaveInfo with an array for the value answers -1"
r = w.DeleteInfo("s", arr)
Check r = -1, "DeleteInfo with an array answers -1"

' --- PlaySound: nothing reaches the script ---------------------------------
w.PlaySound arr
CheckError 0, "PlaySound with an array"
w.PlaySound "C:\no\such\sound.wav"
CheckError 0, "PlaySound of a missing file"
w.PlaySound String(5000, "s") & ".wav"
CheckError 0, "PlaySound of a very long path"
w.PlaySound
CheckError 449, "PlaySound without its argument is not optional"

Set w = Nothing
CheckError 0, "release"
Finish
