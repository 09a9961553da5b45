#pragma once
#include <string>
#include <vector>

namespace app {

// True for names that end in exactly ".ts" (lower case; the check is on the whole path).
bool isRecordingName(const std::string& path);

// Every recording below a dropped folder, in the order the file system lists them, sub-folders scanned
// where they are met. Links to folders are followed, but each real folder is scanned once, so a link
// that points back up the tree ends instead of recursing for ever. Paths have no length limit. A
// termination signal stops the scan with what was found so far.
std::vector<std::string> collectRecordings(const std::string& folder);

}  // namespace app
