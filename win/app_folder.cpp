#include "win/app_folder.h"

char AppFolder[PathCapacity] = "";
