#include "technic/PathUtilities.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/System.h"
#include "technic/StringTokenizer.h"

bool isDirectoryEmpty(const std::string& path) {
  DIR* directory = opendir(path.c_str());
  if (directory == nullptr) return true;
  int count = 0;
  while (dirent* entry = readdir(directory)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(directory);
  return count == 0;
}

bool pathExists(const std::string& path) {
  struct stat status;
  return !path.empty() && stat(path.c_str(), &status) == 0;
}

bool makeDirectoryPath(const std::string& path) {
  if (pathExists(path)) return true;
  std::string prefix;
  if (path.compare(0, 2, "//") == 0) {
    prefix = "//";
  } else if (path.compare(0, 1, "/") == 0) {
    prefix = "/";
  }
  StringTokenizer tokens;
  tokens.split(path.c_str(), "/");
  for (unsigned i = 0; i < tokens.getCount(); ++i) {
    prefix += tokens.getToken(i);
    if (!pathExists(prefix)) mkdir(prefix.c_str(), 0777);  // a failure shows in the final test
    prefix += "/";
  }
  return pathExists(path);
}

std::string getProgramDirectory() {
  std::string program = platform::programPath();
  std::string::size_type slash = program.rfind('/');
  if (slash == std::string::npos) return std::string();
  return program.substr(0, slash + 1);
}
