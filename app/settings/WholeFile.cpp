#include "app/settings/WholeFile.h"

#include <cstdio>
#include <fstream>
#include <utility>

#include <unistd.h>

namespace app {

bool readWholeFile(const std::string& path, std::string& bytes, bool* hadByteOrderMark) {
  // Read with the C runtime: a folder in the file's place opens but fails its first read, which a
  // stream iterator would throw out of.
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  std::string content;
  char buffer[8192];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) content.append(buffer, got);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) return false;
  const bool mark = content.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (mark) content.erase(0, 3);
  if (hadByteOrderMark != nullptr) *hadByteOrderMark = mark;
  bytes = std::move(content);
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
