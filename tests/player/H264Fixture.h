#pragma once
// H.264 fixtures cut into access units, as ffprobe's raw H.264 demuxer cuts them (outside reference),
// and the decoded-picture checksums ffmpeg gives for them. Shared by the decoding tests and the
// decoding benchmark.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kxh264 {

struct AccessUnit {
  std::vector<char> data;
  bool key = false;
  long long pos = 0;
};

inline std::string runCommand(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) output.append(chunk, got);
  ::pclose(pipe);
  return output;
}

// The access units of an Annex B file in decode order, with their key-frame flags and offsets.
inline std::vector<AccessUnit> splitAccessUnits(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::istringstream lines(
      runCommand("ffprobe -v error -show_entries packet=pos,size,flags -of compact=p=0 '" + path + "'"));
  std::vector<AccessUnit> units;
  std::string line;
  while (std::getline(lines, line)) {
    // "size=N|pos=N|flags=K_", the fields in ffprobe's own order.
    const size_t sizeAt = line.find("size="), posAt = line.find("pos="), flagsAt = line.find("flags=");
    if (sizeAt == std::string::npos || posAt == std::string::npos || flagsAt == std::string::npos) continue;
    const long long size = std::atoll(line.c_str() + sizeAt + 5);
    const long long pos = std::atoll(line.c_str() + posAt + 4);
    const char* flags = line.c_str() + flagsAt + 6;
    if (pos < 0 || pos + size > static_cast<long long>(bytes.size())) continue;
    AccessUnit unit;
    unit.data.assign(bytes.begin() + pos, bytes.begin() + pos + size);
    unit.key = flags[0] == 'K';
    unit.pos = pos;
    units.push_back(std::move(unit));
  }
  return units;
}

// For each picture in display order, the offset of the access unit it was decoded from.
inline std::vector<long long> displayOrderPositions(const std::string& path) {
  std::istringstream lines(runCommand("ffprobe -v error -show_entries frame=pkt_pos -of csv=p=0 '" + path + "'"));
  std::vector<long long> positions;
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty()) positions.push_back(std::stoll(line));
  }
  return positions;
}

// ffmpeg's MD5 of every decoded picture as planar 4:2:0 of the given pixel format, in display
// order, each at its own size (no scaling to the first picture's size).
inline std::vector<std::string> referenceMd5s(const std::string& path, const std::string& pixFmt) {
  std::istringstream lines(runCommand("ffmpeg -v error -i '" + path + "' -autoscale 0 -f framemd5 -pix_fmt " +
                                      pixFmt + " -"));
  std::vector<std::string> sums;
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.rfind(',');
    if (comma == std::string::npos) continue;
    std::string sum = line.substr(comma + 1);
    sum.erase(0, sum.find_first_not_of(' '));
    sums.push_back(sum);
  }
  return sums;
}

}  // namespace kxh264
