#pragma once
#include <string>

// Directory and path helpers. Paths are UTF-8 with "/" separators.

// True when the folder cannot be listed or holds no entry whose name does not begin with ".".
bool isDirectoryEmpty(const std::string& path);
// True when a file or folder of that name exists.
bool pathExists(const std::string& path);
// Creates every missing folder of the path, the leading "/" of an absolute path kept; true when the
// path exists afterwards.
bool makeDirectoryPath(const std::string& path);
// The folder of the program's executable, ending with "/".
std::string getProgramDirectory();
