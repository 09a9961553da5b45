#pragma once
#include <string>

// Small text files read and written as a whole.
namespace app {

// The file's bytes without a leading UTF-8 byte-order mark (whether there was one goes to
// `hadByteOrderMark` when given); false when it cannot be opened or read (a folder in its place).
bool readWholeFile(const std::string& path, std::string& bytes, bool* hadByteOrderMark = nullptr);
// Writes the bytes to a temporary file beside the target and renames it over the target, so that a
// reader never sees a half-written file and a failed write keeps the old one.
bool replaceWholeFile(const std::string& path, const std::string& bytes);

}  // namespace app
