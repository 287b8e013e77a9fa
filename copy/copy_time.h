// The copy's modification time: a finished copy keeps the last-write time of its source.
#pragma once

// Gives the destination of the current copy (fileCopy.destination, still open) the last-write
// time of its source (fileCopy.source), unless the copy was cut short; a time that cannot be read
// or set is reported as a notice, not as a failure of the copy.
void keepSourceTime();
