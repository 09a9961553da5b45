#pragma once

// Takes the 188-byte transport packets that the chunk reassembler finds in pushed bytes.
class TSPacketSink {
 public:
  virtual ~TSPacketSink() = default;
  // consumed: the bytes of the packet taken (0 when the packet is to be pushed again).
  // 0: the packet is taken. -13: a queue is full; what was consumed is taken and a frame waits to be
  // offered again, nothing more should be pushed for now. Other negative: the packet cannot be parsed.
  virtual int pushPacket(const char* packet, int length, int& consumed) = 0;
};
