#include "player/live/LiveFrameParser.h"

#include "media/AVData.h"
#include "media/mpegts/TSFrameParser.h"
#include "platform/DebugOutput.h"
#include "player/KXPlayerResult.h"
#include "player/OwnedFrameCopy.h"
#include "player/live/FrameRouter.h"

LiveFrameParser::LiveFrameParser(FrameRouter& router) : m_router(router) {}

LiveFrameParser::~LiveFrameParser() = default;

TSFrameParser& LiveFrameParser::parser() {
  if (!m_parser) m_parser = std::make_unique<TSFrameParser>();
  return *m_parser;
}

void LiveFrameParser::dropPending() { m_pending.reset(); }

void LiveFrameParser::deleteParser() { m_parser.reset(); }

int LiveFrameParser::offerPending() {
  if (!m_pending) return KXPLAYER_OK;
  if (m_router.routeFrame(*m_pending) == KXPLAYER_QUEUE_FULL) return KXPLAYER_QUEUE_FULL;
  m_pending.reset();
  return KXPLAYER_OK;
}

int LiveFrameParser::parseAndRoute(const char* data, int length, int& consumed, bool& found) {
  AVData frame;
  consumed = 0;
  found = parser().parsePackets(data, length, consumed, frame) == 0;
  if (!found) return KXPLAYER_OK;
  if (m_router.routeFrame(frame) != KXPLAYER_QUEUE_FULL) return KXPLAYER_OK;
  // The frame borrows the parser's buffer until its next step: the waiting frame keeps its own copy.
  m_pending.reset(newOwnedFrameCopy(frame));
  if (!m_pending) platform::debugOutputFormat("KXLivePlayer: out of memory keeping a refused frame; it is lost\n");
  return KXPLAYER_QUEUE_FULL;
}

int LiveFrameParser::pushPacket(const char* packet, int length, int& consumed) {
  consumed = 0;
  if (offerPending() == KXPLAYER_QUEUE_FULL) return KXPLAYER_QUEUE_FULL;
  bool found = false;
  const int result = parseAndRoute(packet, length, consumed, found);
  if (consumed > 0 || result == KXPLAYER_QUEUE_FULL) return result;
  // A unit of unannounced length completes when the next one starts: the packet that showed it is
  // delivered by a second step.
  const int again = parseAndRoute(packet, length, consumed, found);
  if (consumed > 0 || again == KXPLAYER_QUEUE_FULL) return again;
  platform::debugOutputFormat("KXLivePlayer::pushTSData: the parser takes no byte of a packet\n");
  return -1;
}

int LiveFrameParser::parseChunk(const char* data, int length, int& consumed) {
  consumed = 0;
  if (offerPending() == KXPLAYER_QUEUE_FULL) return KXPLAYER_OK;
  bool found = false;
  parseAndRoute(data, length, consumed, found);
  return KXPLAYER_OK;
}
