#pragma once
// The commands' figures of all PCs: what a command read of this PC has the
// user's other PCs in the shared folder added to, read now and patiently (a
// file the sync engine holds is waited for a moment).
#include "store/user_for_command.h"

// Adds the other PCs' days, all-time counts, programs and shortcuts to user's (whose
// days are this PC's, read for any command when the folder is set). Nothing
// when no folder is set. CommandUnreadable, after a line on the standard
// error, when the folder or a file in it cannot be read.
CommandExit AddOtherPcsToCommand(CommandUser& user);
