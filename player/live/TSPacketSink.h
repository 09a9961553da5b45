#pragma once

// Takes the 188-byte transport packets that the chunk reassembler finds in pushed bytes: one packet,
// or an unbroken run of confirmed packets.
class TSPacketSink {
 public:
  virtual ~TSPacketSink() = default;
  // consumed: the bytes taken, whole packets (0 when the packets are to be pushed again). A sink
  // may stop early in a run (after a frame); the rest is pushed again.
  // 0: the packets up to consumed are taken. -13: a queue is full; what was consumed is taken and a frame waits to be
  // offered again, nothing more should be pushed for now. Other negative: the packet cannot be parsed.
  virtual int pushPacket(const char* packet, int length, int& consumed) = 0;
};
