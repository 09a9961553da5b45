#pragma once
// The decoding and output stages of one player on the memory display, fed from H.264 or MJPEG bytes,
// with ffmpeg as the outside reference for what a window should show. Shared by the picture output,
// zoom and snapshot tests.
#include <cstdint>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "player/PlayerDebugLog.h"
#include "player/decode/VideoFrameDecoder.h"
#include "player/decode/VideoFrameInput.h"
#include "player/render/VideoPictureOutput.h"
#include "support/TestPaths.h"
#include "tests/player/H264Fixture.h"

namespace kxoutput {

// A baseline H.264 stream of testsrc2 made by ffmpeg, cached in the temporary folder.
inline std::string makeH264(int width, int height, int frames) {
  const std::string path = "/tmp/kxoutput_testsrc2_" + std::to_string(width) + "x" + std::to_string(height) + "_" +
                           std::to_string(frames) + ".h264";
  if (kxtest::readFile(path).empty()) {
    const std::string tmp = path + "." + std::to_string(::getpid());
    kxtest::runCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::to_string(width) + "x" +
                       std::to_string(height) + ":rate=25 -frames:v " + std::to_string(frames) +
                       " -c:v libx264 -profile:v baseline -pix_fmt yuv420p -g 25 -f h264 '" + tmp + "' && mv '" + tmp +
                       "' '" + path + "'");
  }
  return path;
}

// One JPEG picture of testsrc2 made by ffmpeg.
inline std::vector<char> makeJpeg(int width, int height) {
  const std::string bytes = kxtest::runCommand("ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=" +
                                               std::to_string(width) + "x" + std::to_string(height) +
                                               " -frames:v 1 -q:v 2 -f mjpeg -");
  return std::vector<char>(bytes.begin(), bytes.end());
}

// ffmpeg's picture `frame` of a file (or of a JPEG given on stdin) scaled to width x height with the
// bicubic filter, as 32-bit B, G, R, A.
inline std::vector<uint32_t> referenceBgra(const std::string& input, int frame, int width, int height,
                                           const std::string& flags = "bicubic") {
  const std::string bytes = kxtest::runCommand(
      "ffmpeg -nostdin -v error -i '" + input + "' -vf 'select=eq(n\\," + std::to_string(frame) +
      "),scale=" + std::to_string(width) + ":" + std::to_string(height) + ":flags=" + flags +
      "' -frames:v 1 -pix_fmt bgra -f rawvideo -");
  std::vector<uint32_t> pixels(bytes.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<uint8_t>(bytes[4 * i]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[4 * i + 1])) << 8 |
                static_cast<uint32_t>(static_cast<uint8_t>(bytes[4 * i + 2])) << 16 |
                static_cast<uint32_t>(static_cast<uint8_t>(bytes[4 * i + 3])) << 24;
  }
  return pixels;
}

inline AVData frameOf(const std::vector<char>& bytes, bool key, uint32_t id, int encoder) {
  AVData frame;
  frame.setData(bytes.data(), static_cast<unsigned>(bytes.size()));
  frame.setEncoderType(encoder);
  frame.setESStreamType(1);
  frame.setFrameType(key ? 1 : 2);
  frame.setSequenceId(id);
  frame.setTimeStamp(static_cast<int64_t>(id) * 40000);
  frame.setFrameRate(25);
  return frame;
}

// Largest difference of one colour channel between two B, G, R, A pixels.
inline int channelDifference(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, d < 0 ? -d : d);
  }
  return worst;
}

struct Pipeline {
  Pipeline() : input(log), decoder(log, input, nullptr), output(log, decoder) {
    input.setOpened(true);
    input.setUseTimestampForVideo(false);
    decoder.open();
  }
  ~Pipeline() {
    output.closeRender();
    decoder.close();
  }
  // Decodes frames of an Annex B file until `pictures` pictures came out.
  bool decodeH264(const std::string& path, int pictures) {
    const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
    int got = 0;
    for (size_t i = 0; i < units.size() && got < pictures; ++i) {
      if (input.pushVideoFrame(frameOf(units[i].data, units[i].key, static_cast<uint32_t>(i + 1), 1)) != 0) return false;
      if (decoder.decodeOneFrame()) ++got;
    }
    return got == pictures;
  }
  bool decodeJpeg(const std::vector<char>& jpeg, uint32_t id = 1) {
    return input.pushVideoFrame(frameOf(jpeg, true, id, 2)) == 0 && decoder.decodeOneFrame();
  }

  PlayerDebugLog log;
  VideoFrameInput input;
  VideoFrameDecoder decoder;
  VideoPictureOutput output;
};

// What a window shows.
struct WindowPixels {
  std::vector<uint32_t> bgra;
  int width = 0;
  int height = 0;
  uint32_t at(int x, int y) const { return bgra.at(static_cast<size_t>(y) * width + x); }
};

inline WindowPixels readWindow(HWND window) {
  WindowPixels pixels;
  readWindowPixels(window, pixels.bgra, pixels.width, pixels.height);
  return pixels;
}

}  // namespace kxoutput
