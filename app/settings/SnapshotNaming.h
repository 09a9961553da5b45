#pragma once
#include <ctime>
#include <functional>
#include <string>

namespace app {

// The file a snapshot goes to: the folder, a "/" when it ends in no separator, the local time as 14
// digits and ".jpg". A name already taken (two snapshots within one second) gets "_2", "_3", ... before
// the extension, so every snapshot keeps its own file.

// Why a snapshot was refused, for the user: the key of the text in the language files and the folder
// that the text names (empty when it names none).
struct SnapshotRefusal {
  std::string textKey;
  std::string folder;
};

struct SnapshotTarget {
  std::string path;         // empty when refused
  SnapshotRefusal refusal;  // why it was refused
};

// Folders whose names the operating system cannot take are refused with a reason instead of being cut.
SnapshotTarget snapshotTarget(const std::string& folder, const std::tm& localTime,
                              const std::function<bool(const std::string&)>& exists);

// The folder made ready for a snapshot: created with its parents when missing or empty of visible
// entries, and tried for a file. False, with the reason, when it cannot be made or written.
bool prepareSnapshotFolder(const std::string& folder, SnapshotRefusal& refusal);

}  // namespace app
