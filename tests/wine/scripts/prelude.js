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

function finish() {
  echo(passes + " passed, " + failures + " failed");
  echo("END " + failures);
}
