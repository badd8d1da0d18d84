#pragma once
// Kivora's commands for scripts and the command prompt, decided at the very
// start, before the single-instance check: they show no window, box or icon,
// and work beside a running Kivora without writing to the user's files.
//
//   Kivora.exe /export USER FILE
//   Kivora.exe /heatmap USER FILE.png [all|today|7|30|FROM..TO]
//   Kivora.exe /chart USER FILE.png [30|90|365|all]
//
// The arguments are read from the wide command line, so that FILE may hold
// any character a file name can; USER is a name of the login list; FROM and
// TO are dates YYYY-MM-DD, the first not after the second. Any other
// argument that starts with "/" is refused with a line of usage on the
// standard error and exit code 1; without an argument, or with one that does
// not start with "/", Kivora starts as always.

// True when the command line names a command (or looks like one); it has then
// run, and exitCode is its result.
bool RunCommandLine(int argc, wchar_t** argv, int& exitCode);
