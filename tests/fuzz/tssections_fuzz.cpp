// The section, PES header and packet parsers on any bytes, and the builders on what they read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/mpegts/PATSection.h"
#include "media/mpegts/PESHeader.h"
#include "media/mpegts/PMTSection.h"
#include "media/mpegts/PrivateSection.h"
#include "media/mpegts/TS_Packet.h"

namespace {

volatile uint32_t g_sink;

void touch(const uint8_t* bytes, int length) {
  uint32_t sum = 0;
  for (int i = 0; i < length; ++i) sum += bytes[i];
  g_sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that any read past the input is caught.
  std::vector<uint8_t> input(data, data + size);
  const uint8_t* bytes = input.data();
  const int length = static_cast<int>(size);
  int built = 0;

  MPEG_TS::PATSection pat;
  if (pat.parse(bytes, length)) {
    pat.addProgram(1, 0x1000);
    touch(pat.build(built), built);
  }
  MPEG_TS::PMTSection pmt;
  if (pmt.parse(bytes, length)) {
    for (const MPEG_TS::PMTStream& stream : pmt.getStreams()) g_sink = static_cast<uint32_t>(stream.name.size());
    pmt.addStream(0xE0, 0x1B, 0x1011, pmt.getProgramName() + pmt.getProgramName());
    touch(pmt.build(built), built);
  }
  MPEG_TS::PrivateSection privateSection;
  if (const char* text = privateSection.parse(bytes, length)) {
    const std::string copy(text);
    touch(privateSection.build(copy + copy, built), built);
  }
  MPEG_TS::PESHeader pes;
  int payloadLength = 0;
  if (const uint8_t* payload = pes.parse(bytes, length, payloadLength)) {
    if (payload < bytes || payload + payloadLength > bytes + length) __builtin_trap();
    touch(payload, payloadLength);
  }
  if (length >= 188) {
    MPEG_TS::TS_Packet packet;
    int packetPayload = 0;
    if (const uint8_t* payload = packet.parse(bytes, packetPayload)) {
      if (payload < bytes || payload + packetPayload > bytes + 188) __builtin_trap();
      touch(payload, packetPayload);
      touch(packet.getPrivateData(), packet.getPrivateDataLength());
      // Rebuild a packet with what was read.
      uint8_t out[188];
      packet.setPrivateData(packet.getPrivateData(), packet.getPrivateDataLength());
      packet.build(out, payload, packetPayload, (bytes[0] & 1) != 0, (bytes[1] & 1) != 0);
      touch(out, 188);
    }
  }
  return 0;
}
