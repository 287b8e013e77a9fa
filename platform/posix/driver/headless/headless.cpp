// The headless display driver for tests.
#include "platform/winapi.h"
