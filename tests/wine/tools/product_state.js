// Prints "<product code> <state>" for each product code on the command line, as Windows
// Installer's automation object reports it (5 installed, -1 unknown). Run with cscript.
var installer = new ActiveXObject("WindowsInstaller.Installer");
for (var i = 0; i < WScript.Arguments.length; i++) {
  var code = WScript.Arguments(i);
  WScript.Echo(code + " " + installer.ProductState(code));
}
