#pragma once
// The program's face for scripts: runs the command its arguments name over
// the files they name, with no display, no window and no settings file.
// Returns the exit status: 0 every file was done, 1 a file failed or was
// skipped, 2 the arguments are wrong (one line says what, one points to
// --help, both on standard error).

int RunCommandLine(int argc, char** argv);
