// Choose an entry from a list, in JScript.
// Run it with:  cscript //nologo pick_entry.js
//
// JScript passes arguments by value, so Response(text1, text2, entry) cannot
// hand the entry back through its arguments: ResponseListItem answers it.
var w = new ActiveXObject("Brivet.Window");
w.Title = "Deploy (JScript)";
w.Caption = "Which environment shall we deploy to?";
w.LoadList("Development,Testing,Staging,Production");
w.ShowList();
w.ShowButtons = 2;
w.Button1Caption = "Deploy";
w.Button2Caption = "Cancel";

w.Show();
var answer = w.Response();          // the button's number comes back as usual
var entry = w.ResponseListItem;     // "" when nothing was selected

if (answer != 1) {
  WScript.Echo("Cancelled");
} else if (entry == "") {
  WScript.Echo("Nothing chosen");
} else {
  WScript.Echo("Chosen: " + entry);
}
