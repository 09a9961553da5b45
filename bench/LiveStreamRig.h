#pragma once
// Shared by the decoder-pool and live-latency benchmarks: a 704x576 25 fps H.264 stream made by ffmpeg
// (libx264, one key frame a second, no B frames), its access units, and a live player drawing into an
// offscreen window of the memory display whose blits are matched to the frames pushed.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "media/AVData.h"
#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"
#include "player/EngineClock.h"
#include "player/video/H264VideoPlayerImpl.h"
#include "tests/player/H264Fixture.h"

namespace kxbench {

// The stream file (made once in /tmp), or empty when ffmpeg cannot make it.
inline std::string liveStream704x576(int seconds) {
  const std::string path = "/tmp/kx_bench_live_704x576_25fps_" + std::to_string(seconds) + "s.h264";
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && info.st_size > 0) return path;
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=704x576:rate=25 -t " + std::to_string(seconds) +
      " -c:v libx264 -preset veryfast -profile:v main -bf 0 -g 25 -b:v 2M -f h264 '" + path + "'";
  if (std::system(command.c_str()) != 0) return "";
  return path;
}

// The outside reference: libavcodec alone, one thread, over the same access units (padded as it needs).
class PlainH264Decoder {
 public:
  explicit PlainH264Decoder(const std::vector<kxh264::AccessUnit>& units) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    m_context = avcodec_alloc_context3(codec);
    m_context->thread_count = 1;
    avcodec_open2(m_context, codec, nullptr);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    for (const auto& unit : units) {
      m_units.emplace_back(unit.data.begin(), unit.data.end());
      m_sizes.push_back(static_cast<int>(unit.data.size()));
      m_units.back().resize(unit.data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    }
  }
  ~PlainH264Decoder() {
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_context);
  }
  PlainH264Decoder(const PlainH264Decoder&) = delete;
  PlainH264Decoder& operator=(const PlainH264Decoder&) = delete;

  // Decodes every access unit once: the number of pictures that came out.
  long decodeAll() {
    long pictures = 0;
    for (size_t i = 0; i < m_units.size(); ++i) {
      m_packet->data = m_units[i].data();
      m_packet->size = m_sizes[i];
      avcodec_send_packet(m_context, m_packet);
      while (avcodec_receive_frame(m_context, m_frame) == 0) ++pictures;
    }
    return pictures;
  }
  size_t units() const { return m_units.size(); }

 private:
  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  std::vector<std::vector<uint8_t>> m_units;
  std::vector<int> m_sizes;
};

inline double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(p / 100.0 * (values.size() - 1) + 0.5));
  return values[index];
}

// One live player in its own offscreen window; records the push time of every frame and the stream
// timestamp of every decoded picture, so each blit of its window (the k-th blit shows the k-th decoded
// picture) is matched to the frame it shows.
class LivePlayerUnderTest {
 public:
  LivePlayerUnderTest(int windowWidth, int windowHeight, unsigned maxDelayMs, DecoderManager* manager = nullptr)
      : LivePlayerUnderTest(createOffscreenWindow(windowWidth, windowHeight), true, windowWidth, windowHeight,
                            maxDelayMs, manager, nullptr) {}
  // Draws into a window of the caller's (any backend), decoding with the given decoder (null: the
  // player's own). No decode callback is set (it would copy every picture): the caller's decoder tells
  // which frame each picture shows.
  LivePlayerUnderTest(HWND window, int windowWidth, int windowHeight, std::unique_ptr<IVideoDecoder> decoder)
      : LivePlayerUnderTest(window, false, windowWidth, windowHeight, 0, nullptr, std::move(decoder)) {}
  ~LivePlayerUnderTest() {
    m_player.closeVideo();
    if (m_bOwnsWindow) destroyOffscreenWindow(m_window);
  }

  // Pushes frame i (timestamp i * 40 ms) now; false when the queue refused it.
  bool push(const kxh264::AccessUnit& unit, int i) {
    AVData frame;
    frame.setData(unit.data.data(), static_cast<unsigned>(unit.data.size()));
    frame.setEncoderType(1);
    frame.setESStreamType(1);
    frame.setFrameType(unit.key ? 1 : 2);
    frame.setSequenceId(static_cast<uint32_t>(i + 1));
    const int64_t ts = 1000000 + static_cast<int64_t>(i) * 40000;
    frame.setTimeStamp(ts);
    frame.setFrameRate(25);
    const int64_t now = getMicroSeconds();
    if (m_player.pushVideoFrame(frame) != 0) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pushTimes.size() <= static_cast<size_t>(i)) m_pushTimes.resize(static_cast<size_t>(i) + 1, 0);
    m_pushTimes[static_cast<size_t>(i)] = now;
    return true;
  }

  // For each blit of the window since the start: (blit time, push time of the frame shown).
  std::vector<std::pair<int64_t, int64_t>> drawnFrames(const std::vector<platform::BlitRecord>& blits) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<int64_t, int64_t>> drawn;
    size_t k = 0;
    for (const platform::BlitRecord& blit : blits) {
      if (blit.window != m_window) continue;
      if (k >= m_decodedIndices.size()) break;
      const int index = m_decodedIndices[k++];
      if (index >= 0 && static_cast<size_t>(index) < m_pushTimes.size() && m_pushTimes[static_cast<size_t>(index)] != 0) {
        drawn.emplace_back(blit.timeUs, m_pushTimes[static_cast<size_t>(index)]);
      }
    }
    return drawn;
  }

  H264VideoPlayerImpl& player() { return m_player; }
  HWND window() const { return m_window; }
  // The push time of frame index (0 when it was not pushed).
  int64_t pushTime(int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return index >= 0 && static_cast<size_t>(index) < m_pushTimes.size() ? m_pushTimes[static_cast<size_t>(index)] : 0;
  }

 private:
  LivePlayerUnderTest(HWND window, bool ownsWindow, int windowWidth, int windowHeight, unsigned maxDelayMs,
                      DecoderManager* manager, std::unique_ptr<IVideoDecoder> decoder)
      : m_player(getMicroSeconds, std::move(decoder), manager), m_window(window), m_bOwnsWindow(ownsWindow) {
    m_player.setLivePlayFlag(true);
    m_player.setMaxDelayTime(maxDelayMs);
    m_player.openVideo();
    m_player.setVideoWindow(m_window, 0, 0, windowWidth, windowHeight);
    if (ownsWindow) m_player.setDecodeCallBack(0, &LivePlayerUnderTest::onDecode, this);
    m_player.playVideo();
  }

  static long onDecode(long, const char*, long, FRAME_INFO* info, void* user) {
    auto* self = static_cast<LivePlayerUnderTest*>(user);
    // FRAME_INFO carries the timestamp / 90: back to the frame index.
    const int64_t ts = static_cast<int64_t>(static_cast<uint32_t>(info->timeStamp)) * 90;
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_decodedIndices.push_back(static_cast<int>((ts - 1000000 + 20000) / 40000));
    return 0;
  }

  H264VideoPlayerImpl m_player;
  HWND m_window;
  bool m_bOwnsWindow;
  std::mutex m_mutex;
  std::vector<int64_t> m_pushTimes;
  std::vector<int> m_decodedIndices;
};

}  // namespace kxbench
