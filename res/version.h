// The program's version: the one place it is written. The About box shows it
// as "Version 1.04" (major, then minor and patch as one digit each), the
// version resource as 1.0.4.0; CMake and tools/package.sh read it from here.
// Plain preprocessor definitions, so that the resource compiler reads them too.
#pragma once

#define KIVORA_VERSION_MAJOR 1
#define KIVORA_VERSION_MINOR 0
#define KIVORA_VERSION_PATCH 4

#if KIVORA_VERSION_MINOR > 9 || KIVORA_VERSION_PATCH > 9
#error "the shown version has one digit each for minor and patch"
#endif

#define KIVORA_STRING_(tokens) #tokens
#define KIVORA_STRING(tokens) KIVORA_STRING_(tokens)
// 1 ## . ## 0 ## 4 is the one number 1.04, whose spelling # then gives.
#define KIVORA_SHOWN_(major, minor, patch) major##.##minor##patch
#define KIVORA_SHOWN(major, minor, patch) KIVORA_SHOWN_(major, minor, patch)

// "1.04"
#define KIVORA_VERSION_TEXT \
    KIVORA_STRING(KIVORA_SHOWN(KIVORA_VERSION_MAJOR, KIVORA_VERSION_MINOR, KIVORA_VERSION_PATCH))
// 1,0,4,0 and "1.0.4.0", for the version resource.
#define KIVORA_FILE_VERSION KIVORA_VERSION_MAJOR, KIVORA_VERSION_MINOR, KIVORA_VERSION_PATCH, 0
#define KIVORA_FILE_VERSION_TEXT KIVORA_STRING(KIVORA_VERSION_MAJOR.KIVORA_VERSION_MINOR.KIVORA_VERSION_PATCH.0)
