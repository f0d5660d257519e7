' Creation, the text property, write-only properties and automation errors.
Dim w, w2, s, a, b, c, r
Set w = CreateObject("Brivet.Window")
CheckError 0, "create Brivet.Window"
Check TypeName(w) = "_Window2", "type name " & TypeName(w)   ' the default interface's name

Check w.Window = "", "fresh Window text is empty"
s = "remembered " & Chr(196) & Chr(214)
w.Window = s
CheckError 0, "assign Window"
Check w.Window = s, "Window text round trip"
w.Window = Null
CheckError 13, "Window = Null is error 13"
Check w.Window = s, "a refused Window text keeps the one before"

w.Title = "a title"
CheckError 0, "assign Title"
s = w.Title
CheckError 438, "reading Title is error 438"
s = w.ButtonColor
CheckError 438, "reading ButtonColor is error 438"

w.Persist = "maybe"
CheckError 13, "Persist with a word is error 13 (type mismatch)"
w.ShowButtons = 40000
CheckError 6, "ShowButtons = 40000 is error 6 (overflow)"
w.ShowButtons = Null
CheckError 13, "ShowButtons = Null is error 13"
w.ShowButtons = "2"
CheckError 0, "ShowButtons with a numeric text"
w.WindowColor = "#FF8000"
CheckError 0, "a colour text that is no colour is ignored"

r = w.Response()
CheckError 0, "Response with no arguments"
Check r = 0 And VarType(r) = vbInteger, "Response before any dialog is the integer 0"
a = "x" : b = "y" : c = "z"
r = w.Response(a)
Check IsEmpty(a), "Response(a) empties a"
r = w.Response(a, b)
Check IsEmpty(b), "Response(a, b)"
r = w.Response(a, b, c)
CheckError 0, "Response with three arguments"
Check IsEmpty(c), "Response(a, b, c) empties c"
c = "kept"
r = w.Response(, , c)
CheckError 0, "Response with the first two omitted"
Check IsEmpty(c), "only the third is written"

w.NoSuchMember = 1
CheckError 438, "an unknown member is error 438"
w.Show 1
CheckError 450, "Show with an argument is refused"

Set w2 = CreateObject("Brivet.Window")
CheckError 0, "second object on the thread"
w2.Reset
CheckError 0, "Reset"
w2.Hide
CheckError 0, "Hide of a hidden form"
Set w2 = Nothing
CheckError 0, "release the second object"
' Releasing an object unloads the form through the close-box path.
r = w.Response(a, b, c)
Check r = 0 And VarType(a) = vbString And a = "" And VarType(c) = vbString, "release answers 0 with empty texts"
Set w = Nothing
CheckError 0, "release the first object"
Finish
