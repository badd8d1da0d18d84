#include "win/platform_calls.h"

PlatformCalls Platform;
