// The options record and the two shared paths.
#include "settings/settings.h"

Settings settings;
ShortText sourcePath;
ShortText destinationPath;
