#pragma once
#include <vector>

#include "player/live/TSPacketSink.h"

// Finds the 188-byte transport packets in pushed chunks of any size and hands them to a packet sink.
// A packet is a sync byte 0x47 with another 0x47 188 bytes later; anything else is skipped byte by
// byte, so garbage and cut packets cost only themselves. The decision at each position depends only
// on the stream's bytes, never on where the chunks were cut: the same bytes in any chunking give the
// same packets. Packets are handed on straight from the caller's chunk; only the bytes at a chunk's
// end that cannot be judged yet (the last packet waits for the sync byte after it) are held.
class TSChunkReassembler {
 public:
  static constexpr int kPacketSize = 188;
  static constexpr char kSyncByte = 0x47;
  static constexpr int kInitialCapacity = 2 * kPacketSize;

  explicit TSChunkReassembler(TSPacketSink& sink);

  // 0: the chunk is taken (its packets handed on, or held to be handed on with a later chunk).
  // -8: null or empty chunk. -13: the sink is full and nothing of this chunk was taken: offer the
  // same chunk again. -233: the sink could not parse a packet; the held bytes are dropped.
  int push(const char* data, int length);
  // Drops the held bytes.
  void reset();
  int heldBytes() const { return m_used - m_scanPos; }

 private:
  int scanNew(const char* data, int length, int from);
  // False when the buffer cannot grow (nothing is appended).
  bool append(const char* data, int length);
  int fail();

  TSPacketSink& m_sink;
  std::vector<char> m_buffer;
  int m_used = 0;
  int m_scanPos = 0;
};
