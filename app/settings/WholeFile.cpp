#include "app/settings/WholeFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace app {

bool readWholeFile(const std::string& path, std::string& bytes, bool* hadByteOrderMark) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  const bool mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (mark) bytes.erase(0, 3);
  if (hadByteOrderMark != nullptr) *hadByteOrderMark = mark;
  return true;
}

bool replaceWholeFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      written = static_cast<bool>(out);
    }
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace app
