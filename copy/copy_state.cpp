// State shared by the copy job, the per-file steps and the single-file copy.
#include "copy/copy_job.h"

DirectoryEntry currentEntry;
ShortText sourceFolder;
ShortText destinationFolder;
ShortText currentName;
std::int64_t currentSize = 0;
std::int32_t readDepth = 1;
std::int32_t writeDepth = 1;
std::string sourceFolderPath;
std::string destinationFolderPath;
std::int64_t fileBytesRead = 0;
std::int64_t fileBytesWritten = 0;
std::int64_t fileBytesVerified = 0;
ShortText currentDetails;
bool textLike = false;
std::mt19937 copyRandom;
