#pragma once
// The login dialog: lists the users found in the data folder, logs one in,
// or leads to the registration of a new one.
#include <windows.h>

// Modal, owned by owner (none at start-up). True when it ended with a user
// logged in: the chosen one loaded, or a new one registered. At start-up
// Cancel posts the quit request instead.
bool ShowLoginDialog(HWND owner);

// Whether the last login dialog ended by registering a new user.
bool RegisteredAtLastLogin();
