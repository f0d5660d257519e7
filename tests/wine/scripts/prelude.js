// Shared by the JScript test scripts: each check prints its line, a failed
// call is caught as an exception whose number's low word is the automation
// error number, and the script closes with its counts and an END line.
var passes = 0, failures = 0;

function echo(text) { WScript.Echo(text); }

function check(condition, what) {
  if (condition) { echo("ok " + what); passes++; }
  else { echo("FAIL " + what); failures++; }
}

// The error number (0 for none) that calling `body` raises.
function errorOf(body) {
  try { body(); return 0; }
  catch (e) { return e.number & 0xFFFF; }
}

function checkError(expected, what, body) {
  var got;
  try { body(); got = 0; }
  catch (e) { got = e.number & 0xFFFF; what += " (" + e.description + ")"; }
  if (got == expected) { echo("ok " + what); passes++; }
  else { echo("FAIL " + what + ": error " + got + ", expected " + expected); failures++; }
}

// A refusal by the dispatch itself: Wine's JScript hands the dispatch
// status on as the exception's number, unmapped.
var MEMBER_NOT_FOUND = 0x80020003, BAD_PARAM_COUNT = 0x8002000E, PARAM_NOT_OPTIONAL = 0x8002000F;
function checkStatus(expected, what, body) {
  var got = 0;
  try { body(); }
  catch (e) { got = e.number < 0 ? e.number + 0x100000000 : e.number; }
  if (got == expected) { echo("ok " + what); passes++; }
  else { echo("FAIL " + what + ": status " + got.toString(16) + ", expected " + expected.toString(16)); failures++; }
}

function finish() {
  echo(passes + " passed, " + failures + " failed");
  echo("END " + failures);
}
