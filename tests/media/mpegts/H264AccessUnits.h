#pragma once
// The access units of an H.264 Annex B stream, cut by libavcodec's parser (an outside reference).
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/md5.h>
}

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tstest {

struct AccessUnit {
  std::string bytes;
  bool key;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline std::vector<AccessUnit> accessUnitsOf(const std::string& stream) {
  std::vector<AccessUnit> units;
  AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_H264);
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  const uint8_t* at = reinterpret_cast<const uint8_t*>(stream.data());
  int left = static_cast<int>(stream.size());
  // After the bytes run out, calls without input flush the last unit.
  for (;;) {
    const bool flushing = left <= 0;
    uint8_t* out = nullptr;
    int outSize = 0;
    const int used = av_parser_parse2(parser, context, &out, &outSize, flushing ? nullptr : at, flushing ? 0 : left,
                                      AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    at += used;
    left -= used;
    if (outSize > 0) units.push_back({std::string(reinterpret_cast<char*>(out), static_cast<size_t>(outSize)),
                                      parser->key_frame == 1});
    if (flushing && outSize == 0) break;
  }
  av_parser_close(parser);
  avcodec_free_context(&context);
  return units;
}

inline std::string md5Of(const char* data, size_t size) {
  uint8_t digest[16];
  av_md5_sum(digest, reinterpret_cast<const uint8_t*>(data), size);
  char text[33];
  for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
  return text;
}

}  // namespace tstest
