// bench_tsframeparser [FIXTURE_DIR [MEGABYTES]]: throughput of the transport-stream frame parser
// (unpack + frame parse of whole chunks, as the file reader reads a recording) over a recording of
// at least 200 MB read from the page cache, next to ffmpeg demuxing the same file
// (ffmpeg -i same.ts -c copy -f null -) in the same run. The recording is written by the packager
// from the 1080p H.264 fixture with G.711 audio (once; kept next to the fixtures).
extern "C" {
#include <libavcodec/avcodec.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "media/AVData.h"
#include "media/Buffer.h"
#include "media/EncoderType.h"
#include "media/mpegts/FrameInfoRecord.h"
#include "media/mpegts/MPEG_TS_Packager.h"
#include "media/mpegts/TSFrameParser.h"

namespace {

constexpr int kChunk = 3760000;  // the file reader's chunk

struct Unit {
  std::string bytes;
  bool key;
};

std::vector<Unit> accessUnits(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  const std::string stream = all.str();
  std::vector<Unit> units;
  AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_H264);
  AVCodecContext* context = avcodec_alloc_context3(avcodec_find_decoder(AV_CODEC_ID_H264));
  const uint8_t* at = reinterpret_cast<const uint8_t*>(stream.data());
  int left = static_cast<int>(stream.size());
  for (;;) {
    const bool flushing = left <= 0;
    uint8_t* out = nullptr;
    int size = 0;
    const int used = av_parser_parse2(parser, context, &out, &size, flushing ? nullptr : at, flushing ? 0 : left,
                                      AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    at += used;
    left -= used;
    if (size > 0) units.push_back({std::string(reinterpret_cast<char*>(out), static_cast<size_t>(size)), parser->key_frame == 1});
    if (flushing && size == 0) break;
  }
  av_parser_close(parser);
  avcodec_free_context(&context);
  return units;
}

long long fileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Writes the recording: the fixture's access units over and over at 25 frames per second, with a
// 320-byte G.711 A-law frame after each video frame; key frames carry their record.
bool writeRecording(const std::string& source, const std::string& target, long long minimum) {
  const std::vector<Unit> units = accessUnits(source);
  if (units.empty()) return false;
  MPEG_TS::MPEG_TS_Packager packager(1);
  packager.addProgram(1, "TS stream");
  const uint16_t video = packager.addStreamEx(0, EncoderType::H264);
  const uint16_t audio = packager.addStreamEx(0, EncoderType::G711A);
  std::FILE* out = std::fopen((target + ".tmp").c_str(), "wb");
  if (out == nullptr) return false;
  std::vector<uint8_t> packets(2073600);
  std::vector<char> sound(320, 0x55);
  long long written = 0;
  for (uint32_t n = 0; written < minimum; ++n) {
    const Unit& unit = units[n % units.size()];
    const int64_t ticks = 3600 * static_cast<int64_t>(n);
    AVData frame;
    frame.setESStreamType(1);
    frame.setFrameType(unit.key ? 1 : 2);
    frame.setTimeStamp(ticks);
    frame.setData(unit.bytes.data(), static_cast<unsigned>(unit.bytes.size()));
    uint8_t record[MPEG_TS::FrameInfoRecord::kSize];
    if (unit.key) {
      MPEG_TS::FrameInfoRecord info;
      info.sequenceId = n;
      info.width = 1920;
      info.height = 1080;
      info.frameRate = 25;
      info.timeStamp = static_cast<uint64_t>(40000) * n;
      MPEG_TS::buildFrameInfo(info, record);
      frame.setPrivateData(reinterpret_cast<char*>(record), sizeof record);
    }
    int count = packager.EStoTS_Packet(video, packets.data(), static_cast<int>(packets.size()), &frame);
    written += static_cast<long long>(std::fwrite(packets.data(), 188, static_cast<size_t>(count), out)) * 188;
    AVData voice;
    voice.setESStreamType(2);
    voice.setFrameType(2);
    voice.setTimeStamp(ticks);
    voice.setData(sound.data(), static_cast<unsigned>(sound.size()));
    count = packager.EStoTS_Packet(audio, packets.data(), static_cast<int>(packets.size()), &voice);
    written += static_cast<long long>(std::fwrite(packets.data(), 188, static_cast<size_t>(count), out)) * 188;
  }
  std::fclose(out);
  return std::rename((target + ".tmp").c_str(), target.c_str()) == 0;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Reads the file chunk by chunk as the file reader does (going back by the leftover) and walks the
// frames of every chunk. Returns the frame count.
long long parseFile(const std::string& path, long long size, long long& bytesOfFrames) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  Buffer buffer;
  buffer.alloc(kChunk);
  TSFrameParser parser;
  long long frames = 0;
  bytesOfFrames = 0;
  long long at = 0;
  while (at < size) {
    const ssize_t got = ::pread(fd, buffer.getBuffer(), kChunk, at);
    if (got <= 0) break;
    buffer.setDataLength(static_cast<unsigned>(got));
    parser.setEndOfStream(at + got >= size);
    if (parser.parseBuffer(buffer, true) == 0) {
      AVData* frame = nullptr;
      while (parser.nextFrame(frame) == 0) {
        ++frames;
        bytesOfFrames += frame->getDataLength();
      }
    }
    const long long step = got - parser.getLeftoverLength();
    if (step <= 0) break;
    at += step;
  }
  ::close(fd);
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  const char* fromEnvironment = std::getenv("KX_GENERATED_FIXTURES");
  const std::string dir = argc > 1 ? argv[1] : fromEnvironment ? fromEnvironment : "build/fixtures";
  const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 200;
  const long long minimum = megabytes * 1000 * 1000;
  const std::string source = dir + "/h264_high_1920x1080_gop10.h264";
  const std::string target = dir + "/tsframeparser_bench.ts";
  if (fileSize(target) < minimum) {
    std::printf("writing %s (%lld MB) from %s\n", target.c_str(), megabytes, source.c_str());
    if (!writeRecording(source, target, minimum)) {
      std::fprintf(stderr, "cannot write the recording (is %s there? scripts/make-fixtures.sh writes it)\n",
                   source.c_str());
      return 1;
    }
  }
  const long long size = fileSize(target);
  const double mb = static_cast<double>(size) / 1e6;

  // Into the page cache, then the best of three runs of each.
  long long unused = 0;
  parseFile(target, size, unused);
  double ours = 1e30;
  long long frames = 0;
  long long payload = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    frames = parseFile(target, size, payload);
    ours = std::min(ours, seconds(start));
  }
  double reference = 1e30;
  int status = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    status = std::system(("ffmpeg -nostdin -hide_banner -loglevel error -i '" + target + "' -c copy -f null - ").c_str());
    reference = std::min(reference, seconds(start));
  }
  std::printf("recording: %s, %.1f MB, %lld frames (%.1f MB of frame data)\n", target.c_str(), mb, frames,
              static_cast<double>(payload) / 1e6);
  std::printf("TSFrameParser unpack + frame parse: %8.1f MB/s (%.3f s)\n", mb / ours, ours);
  std::printf("ffmpeg -c copy -f null (reference): %8.1f MB/s (%.3f s)%s\n", mb / reference, reference,
              status == 0 ? "" : " [ffmpeg failed]");
  std::printf("ratio: %.2f\n", reference / ours);
  return status == 0 ? 0 : 1;
}
