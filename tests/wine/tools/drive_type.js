// Prints the type of each drive named on the command line as the FileSystemObject reports it
// (2 a fixed disk, 4 a CD-ROM). Run with cscript.
var files = new ActiveXObject("Scripting.FileSystemObject");
for (var i = 0; i < WScript.Arguments.length; i++) {
  WScript.Echo(files.GetDrive(WScript.Arguments(i)).DriveType);
}
