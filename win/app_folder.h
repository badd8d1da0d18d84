#pragma once
// Where Kivora's files lie: the application folder, which holds the data
// folder and the settings file. The login dialog works it out (from the
// shortcut "Kivora.lnk" in the current directory, else the current
// directory itself); everything that opens those files reads it.
#include <cstddef>

constexpr std::size_t PathCapacity = 200;   // paths: at most 199 characters

// No trailing backslash; empty until the login dialog first opens.
extern char AppFolder[PathCapacity];
