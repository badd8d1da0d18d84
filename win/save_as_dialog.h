#pragma once
// The standard Save As dialog, modal, owned by owner. Texts are code page
// 932. True with the chosen path in path; false when the user cancelled, or
// after telling them why the name cannot be used.
#include <windows.h>

struct SaveAsRequest {
    const char* defaultName;   // "taro-kivora.csv"
    const char* typeName;      // "CSV (*.csv)"
    const char* pattern;       // "*.csv"
    const char* extension;     // "csv", added when the user types none
};
bool AskSaveAsPath(HWND owner, const SaveAsRequest& request, char (&path)[MAX_PATH]);

// The same dialog choosing a folder (参照...): true with its path in path.
bool AskFolderPath(HWND owner, char (&path)[MAX_PATH]);
