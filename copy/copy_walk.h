// The walk of a copy job through the folders that its source names: the source folder itself and,
// when copySubfolders is set, every folder below it. Shared by the copy job (copy/copy_job.cpp)
// and the walk through subfolders (copy/copy_subfolders.cpp) only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The counters of one run.
struct JobTotals {
  std::int64_t files = 0;
  std::int64_t bytesRead = 0;
  std::int64_t bytesWritten = 0;
  std::int64_t bytesVerified = 0;
};

// The last component of the source text (a name or a wildcard pattern), which the walk applies in
// every folder; set with the folders of the run.
extern std::string sourcePattern;

// Handles every entry that sourcePattern names in the folder sourceFolderPath + `relativeFolder`
// (empty for the source folder, otherwise a path relative to it that ends with the separator), in
// the order the search reports them; each file is named by its path relative to the source
// folder. Adds to `totals`. Returns false when the folder could not be listed; a folder in which
// nothing matches is no failure.
bool handleMatchingEntries(const std::string& relativeFolder, JobTotals& totals);

// Returns true when the run walks subfolders: copySubfolders is set and `pattern` holds a
// wildcard. A source naming one file or one folder keeps to the source folder.
bool walksSubfolders(std::string_view pattern);

// Walks every subfolder below the source folder, depth first: the matching files of a folder, then
// its subfolders in the order the search reports them. A link to a folder is not followed; a
// folder that cannot be listed, or that lies too deep, is reported and the walk goes on.
void handleSubfolders(JobTotals& totals);

// Retries the files whose retries wait (retryDamagedLast), in the order they were met, each after
// its "Copy of" entry repeated; adds their counters to `totals`.
void retryWaitingCopies(JobTotals& totals);

// Makes sure that the destination folders of the folder being walked exist, creating each missing
// one after its parent, one level at a time. Returns false when one cannot be created; it is
// reported once (console and error entry), the first time.
bool makeDestinationFolders();

// Reports a file whose path relative to the source folder, `path`, is too long to be named in the
// program's texts (console and error entry); it is not copied.
void reportPathTooLong(const std::string& path);
