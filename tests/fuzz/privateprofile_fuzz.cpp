// INI files of any content: reads never fail, and a write changes exactly the key written: it reads
// back as written, and every other value reads as before.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/settings/PrivateProfile.h"

namespace {

struct Probe {
  const char* section;
  const char* key;
};

const Probe kProbes[] = {{"LANGUAGE", "Language"}, {"snapshot", "SnapShotPath"}, {"PLAY_MODE", "other"},
                         {"A", "x"},               {"", "x"},                     {"PLAY_MODE", ""}};

std::string profilePath() {
  static const std::string path = "/tmp/privateprofile_fuzz_" + std::to_string(::getpid()) + ".ini";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = profilePath();
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  std::string before[sizeof(kProbes) / sizeof(kProbes[0])];
  for (std::size_t i = 0; i < sizeof(kProbes) / sizeof(kProbes[0]); ++i) {
    before[i] = app::PrivateProfile::getString(kProbes[i].section, kProbes[i].key, "<none>", file);
    app::PrivateProfile::getInt(kProbes[i].section, kProbes[i].key, -1, file);
  }
  if (!app::PrivateProfile::writeString("play_mode", "PLAYMODE", " 7 ", file)) std::abort();
  if (app::PrivateProfile::getInt("PLAY_MODE", "PlayMode", -1, file) != 7) std::abort();
  for (std::size_t i = 0; i < sizeof(kProbes) / sizeof(kProbes[0]); ++i) {
    if (app::PrivateProfile::getString(kProbes[i].section, kProbes[i].key, "<none>", file) != before[i]) std::abort();
  }
  std::remove(file.c_str());
  return 0;
}
