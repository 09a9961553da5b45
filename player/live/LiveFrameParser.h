#pragma once
#include <memory>

#include "player/live/TSPacketSink.h"

class AVData;
class FrameRouter;
class TSFrameParser;

// Turns pushed transport-stream bytes into frames and routes them. A frame that the router refuses
// with -13 is kept (with its own copy of its bytes) and offered first at the next input, so no frame
// is lost or delivered twice whatever the queues do. The frame parser is made on first use and lives
// until deleteParser, so consecutive pushes continue one stream.
class LiveFrameParser : public TSPacketSink {
 public:
  explicit LiveFrameParser(FrameRouter& router);
  ~LiveFrameParser() override;
  LiveFrameParser(const LiveFrameParser&) = delete;
  LiveFrameParser& operator=(const LiveFrameParser&) = delete;

  // Parses the packet (or several packets) up to the next frame and routes it. 0; -13 when the
  // waiting frame is still refused (nothing parsed, consumed 0) or when the new frame was refused
  // (consumed: the bytes it came from, the frame now waits); -1 when the parser makes no progress.
  int pushPacket(const char* packet, int length, int& consumed) override;
  // The chunk input of a feeder: parses data up to its first frame and routes it; consumed is what
  // the caller advances by (0 when the waiting frame is still refused). 0, or -1 as above.
  int parseChunk(const char* data, int length, int& consumed);
  // Routes the waiting frame: 0 when none waits any more, -13 when it is still refused.
  int offerPending();
  bool hasPending() const { return static_cast<bool>(m_pending); }
  void dropPending();
  // A new stream: the next bytes start a new parser.
  void deleteParser();

 private:
  TSFrameParser& parser();
  // One parser step: routes the frame it gives; -13 keeps the frame waiting. found: a frame came.
  int parseAndRoute(const char* data, int length, int& consumed, bool& found);

  FrameRouter& m_router;
  std::unique_ptr<TSFrameParser> m_parser;
  std::unique_ptr<AVData> m_pending;
};
