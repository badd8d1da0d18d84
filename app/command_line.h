#pragma once
// Kivora's commands for scripts and the command prompt, decided at the very
// start, before the single-instance check: they show no window, box or icon,
// and work beside a running Kivora without writing to the user's files.
//
//   Kivora.exe /export USER FILE
//   Kivora.exe /heatmap USER FILE.png [all|today|7|30]

// True when argv names a command; it has then run, and exitCode is its result.
bool RunCommandLine(int argc, char** argv, int& exitCode);
