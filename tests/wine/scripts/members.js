// The members JScript can reach, without a dialog on screen: puts of every
// kind of value, method calls and their results, the errors as exceptions.
// (JScript has no by-reference arguments and no indexed puts: it shows the
// text boxes with ShowTextBoxes and reads the answers through the members
// that hand them back as results.)
var w = new ActiveXObject("Brivet.Window");
check(typeof w == "object", "created");

// --- Window: the one readable property -----------------------------------
check(w.Window === "", "a fresh Window text is empty");
w.Window = "js \u00e9";
check(w.Window === "js \u00e9", "Window text round trip");
w.Window = 42;
check(w.Window === "42", "a number put to Window reads back as its text");

// --- reading a write-only property ---------------------------------------
checkStatus(MEMBER_NOT_FOUND, "reading Title", function () { var t = w.Title; });
checkStatus(MEMBER_NOT_FOUND, "reading Picture", function () { var t = w.Picture; });

// --- the value puts: texts, numbers, booleans; null and objects refused ---
var puts = ["Title", "Caption", "Text1Caption", "Text2Caption", "Text1Text", "Text2Text",
            "Button1Caption", "Button2Caption", "Button3Caption", "ButtonColor", "WindowColor",
            "TextColor", "TextFontLarge", "TextFontBold", "Persist", "ShowButtons", "Picture"];
for (var i = 0; i < puts.length; i++) {
  var name = puts[i];
  checkError(0, name + " = 1", function () { w[name] = 1; });
  checkError(0, name + " = 2.5", function () { w[name] = 2.5; });
  checkError(0, name + " = true", function () { w[name] = true; });
  checkError(13, name + " = null", function () { w[name] = null; });
  // An object has no default value to put.
  checkError(13, name + " = an object", function () { w[name] = {}; });
  checkError(13, name + " = an array", function () { w[name] = [1, 2]; });
}
w.Persist = false;
var texts = ["Title", "Caption", "Text1Caption", "Text2Caption", "Text1Text", "Text2Text",
             "Button1Caption", "Button2Caption", "Button3Caption", "ButtonColor", "WindowColor",
             "TextColor", "Picture"];
for (var i = 0; i < texts.length; i++) {
  var name = texts[i];
  checkError(0, name + " = a text", function () { w[name] = "text \u00e9"; });
  checkError(0, name + " = undefined", function () { w[name] = undefined; });
}
checkError(13, "TextFontBold = a word", function () { w.TextFontBold = "maybe"; });
checkError(0, "Persist = the text true", function () { w.Persist = "true"; });
w.Persist = false;
checkError(6, "ShowButtons = 40000", function () { w.ShowButtons = 40000; });
checkError(6, "ShowButtons = 1e300", function () { w.ShowButtons = 1e300; });
checkError(13, "ShowButtons = a word", function () { w.ShowButtons = "three"; });
checkError(0, "ShowButtons = a numeric text", function () { w.ShowButtons = " 3 "; });
checkError(0, "WindowColor = colour text", function () { w.WindowColor = "00ff80"; });
checkError(0, "WindowColor = no colour", function () { w.WindowColor = "#00ff80"; });
checkError(0, "Picture = a missing file", function () { w.Picture = "C:\\no\\such.bmp"; });

// --- methods ---------------------------------------------------------------
checkError(0, "ClearList()", function () { w.ClearList(); });
checkError(0, "LoadList(a,,b)", function () { w.LoadList("a,,b"); });
checkError(0, "AddToList(c,d)", function () { w.AddToList("c,d"); });
checkError(0, "LoadList(null) ends quietly", function () { w.LoadList(null); });
checkError(0, "AddToList(an object) ends quietly", function () { w.AddToList({}); });
var list = w.GetList();
check(list === "a,,b,c,d", "GetList answers the joined text (" + list + ")");
check(w.RemoveSelListItem() === "", "RemoveSelListItem without a selection answers the empty text");
checkError(0, "ShowList()", function () { w.ShowList(); });
checkError(0, "Hide()", function () { w.Hide(); });
checkError(0, "Reset()", function () { w.Reset(); });
checkError(0, "Text1Select(3, 2)", function () { w.Text1Select(3, 2); });
checkError(0, "Text1Select(null, an object)", function () { w.Text1Select(null, {}); });
checkError(0, "PlaySound(a missing file)", function () { w.PlaySound("C:\\no\\such.wav"); });
checkError(0, "PlaySound(null)", function () { w.PlaySound(null); });
var r = w.Response();
check(r === 0, "Response() before any dialog answers 0 (" + r + ")");
check(w.Response("a", "b", "c") === 0, "Response with three values");
check(w.ResponseCode === 0 && typeof w.ResponseText1 == "undefined" && typeof w.ResponseListItem == "undefined",
      "before any dialog the code is 0 and the texts are empty values");
checkStatus(MEMBER_NOT_FOUND, "assigning to ResponseText2", function () { w.ResponseText2 = "x"; });
checkError(0, "ShowTextBoxes(2, true, 300, 50)", function () { w.ShowTextBoxes(2, true, 300, 50); });
checkError(13, "ShowTextBoxes(a word)", function () { w.ShowTextBoxes("two", false); });
checkError(0, "Reset()", function () { w.Reset(); });

// --- the settings members: statuses ---------------------------------------
check(w.SaveInfo("jscript", "key", "value") === 1, "SaveInfo answers 1");
check(w.GetInfo("JSCRIPT", "KEY", "") === 1, "GetInfo answers 1");
check(w.GetInfo("jscript", "absent", 0) === 0, "GetInfo of an absent key answers 0");
check(w.GetInfoValue("JScript", "Key") === "value", "GetInfoValue answers the value");
check(w.GetInfoValue("jscript", "absent") === "", "GetInfoValue of an absent key answers the empty text");
checkError(13, "GetInfoValue(null, ...)", function () { w.GetInfoValue(null, "k"); });
check(w.SaveInfo(null, "key", "v") === -1, "SaveInfo(null) answers -1");
check(w.SaveInfo("jscript", "key", {}) === -1, "SaveInfo of an object answers -1");
check(w.DeleteInfo("jscript", "key") === 1, "DeleteInfo answers 1");
checkError(13, "GetInfo(null, ...)", function () { w.GetInfo(null, "k", ""); });

// --- refused calls: kinds and argument counts ------------------------------
checkError(438, "an unknown name (JScript's own error)", function () { w.NoSuchMember(); });
checkStatus(MEMBER_NOT_FOUND, "calling the put Title", function () { w.Title("x"); });
checkStatus(MEMBER_NOT_FOUND, "assigning to the method Show", function () { w.Show = 1; });
checkStatus(BAD_PARAM_COUNT, "Show(1)", function () { w.Show(1); });
checkStatus(PARAM_NOT_OPTIONAL, "Text1Select(1)", function () { w.Text1Select(1); });
checkStatus(PARAM_NOT_OPTIONAL, "LoadList()", function () { w.LoadList(); });
checkStatus(BAD_PARAM_COUNT, "Response with four values", function () { w.Response(1, 2, 3, 4); });
checkStatus(PARAM_NOT_OPTIONAL, "GetInfo with two values", function () { w.GetInfo("s", "k"); });
checkStatus(BAD_PARAM_COUNT, "ChooseFileOpen(1)", function () { w.ChooseFileOpen(1); });

w = null;
CollectGarbage();
finish();
