#pragma once
#include <string>

namespace app {

// INI files with the private-profile rules the application relies on: nothing is cached (every read
// opens the file anew, every write rewrites it at once), section and key names compare without regard
// to ASCII letter case, names and values are trimmed of blanks, lines starting with ";" are comments,
// and whatever is missing (file, section, key) yields the caller's default. Files are UTF-8 (a leading
// byte-order mark is skipped); paths are UTF-8 with "/".
class PrivateProfile {
 public:
  // The leading integer of the value ("55zz" is 55, "-7" is -7, "zz" is 0); the default when the file,
  // section or key is missing or the value is empty.
  static int getInt(const std::string& section, const std::string& key, int defaultValue, const std::string& file);
  // The trimmed value, or the default when the file, section or key is missing.
  static std::string getString(const std::string& section, const std::string& key, const std::string& defaultValue,
                               const std::string& file);
  // Writes key=value into the section, replacing the key's first occurrence or adding the key (and the
  // section) when missing; creates the file but not its folder. The file is replaced as a whole, so a
  // reader sees either the old or the new content. False (with a debug line) when the file cannot be
  // written, or when a name or the value holds a line break (it would corrupt the file).
  static bool writeString(const std::string& section, const std::string& key, const std::string& value,
                          const std::string& file);
};

}  // namespace app
