// embed_player FRAMESTREAM: reads a private frame stream with the exported frame head, pushes its
// video frames into a KXPlayer in stream mode and waits for the decode callback of every one.
// Prints "decoded N of M" and exits 0 when every frame was decoded.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "media/AVFrameData.h"
#include "media/KXAVFrameHead.h"
#include "player/KXPlayer.h"
#include "player/KXPlayerResult.h"

namespace {

std::atomic<int> g_decoded{0};
std::atomic<int> g_width{0};

long onDecoded(long, const char* picture, long size, FRAME_INFO* info, void*) {
  if (picture != nullptr && info != nullptr && size == static_cast<long>(info->width) * info->height * 3 / 2) {
    g_width = info->width;
    ++g_decoded;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: embed_player FRAMESTREAM\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  long version = 0;
  KXPlayer player;
  player.getVersion(version);
  player.setDecodeCallBack(1, &onDecoded, nullptr);
  if (player.openStream() != KXPLAYER_OK || player.play() != KXPLAYER_OK) {
    std::fprintf(stderr, "cannot open the stream player\n");
    return 1;
  }
  int videoFrames = 0;
  const int headLength = KXAVFrameHead::getFrameHeadLength();
  for (size_t at = 0; at + static_cast<size_t>(headLength) <= bytes.size();) {
    KXAVFrameHead head;
    if (!head.parseFrameHead(bytes.data() + at, headLength)) break;
    const char* payload = bytes.data() + at + headLength;
    at += static_cast<size_t>(headLength) + static_cast<size_t>(head.getFrameLength());
    if (head.getESStreamType() != 1 || at > bytes.size()) continue;
    AVFrameData frame;
    frame.setStreamFormat(1);
    frame.setESStreamType(1);
    frame.setEncoderType(head.getEncodeType());
    frame.setFrameType(head.getFrameType());
    frame.setSequenceId(head.getSequenceId());
    frame.setTimeStamp(head.getTimeStamp());
    frame.setFrameRate(head.getFrameRate());
    frame.setDataEx(payload, static_cast<unsigned>(head.getFrameLength()));
    int result;
    while ((result = player.inputAVFrame(frame)) == KXPLAYER_QUEUE_FULL)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (result != KXPLAYER_OK) {
      std::fprintf(stderr, "inputAVFrame answered %d\n", result);
      return 1;
    }
    ++videoFrames;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (g_decoded < videoFrames && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  player.stop();
  player.closeStream();
  std::printf("version %#lx, decoded %d of %d, width %d\n", version, g_decoded.load(), videoFrames, g_width.load());
  return videoFrames > 0 && g_decoded == videoFrames ? 0 : 1;
}
