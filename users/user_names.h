#pragma once
// Names of users and of the application folder, worked out from file names
// and from the target of a shortcut. All texts are code page 932.
#include <cstddef>

#include "win/app_folder.h"

constexpr std::size_t UserEntryCapacity = 500;  // one entry of the user list
constexpr int MaxUsers = 500;
constexpr std::size_t NewUserNameCapacity = 50; // at most 49 characters

// The user name that a data file stands for: the file name cut before its
// first dot ("a.b.dat" is user "a"; a name without a dot is taken whole).
void UserNameFromFile(const char* fileName, char (&name)[UserEntryCapacity]);

// True for a file name that the user list takes: it ends in ".dat" in any
// letter case. (The folder search also returns names whose short 8.3 form
// matches "*.dat", and the save's temporary files must never be listed.)
bool IsUserDataFileName(const char* fileName);

// The application folder from the target of "Kivora.lnk": the target split at
// backslashes, empty pieces and pieces that begin with "Kivora.exe" left out,
// joined with single backslashes and no trailing one. A target that would not
// fit gives an empty folder.
void AppFolderFromShortcutTarget(const char* target, char (&folder)[PathCapacity]);

// True when name is the name of a listed user (compared as typed, over at
// most NewUserNameCapacity bytes). The lists hold MaxUsers entries, used up to
// the first empty file name: a file ".x.dat" lists as an empty user name,
// which must not end the search.
bool IsListedUserName(const char (*files)[UserEntryCapacity], const char (*names)[UserEntryCapacity],
                      const char* name);

enum class NameCheck {
    Accepted,
    Empty,
    ForbiddenCharacter,   // \ / : * ? " < > | or a control character
    ContainsDot,          // the list shows a name only up to its first dot
    TrailingBlank,        // Windows drops it from file names
    ReservedDeviceName,   // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
};

// Whether a Windows file name can hold name + ".dat" as the name of that user.
NameCheck CheckNewUserName(const char* name);

// The typed name cut to at most 49 bytes, at a character boundary.
void TakeNewUserName(const char* typed, char (&name)[NewUserNameCapacity]);
