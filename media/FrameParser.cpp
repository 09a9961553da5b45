#include "media/FrameParser.h"

#include "media/HeadFrameParser.h"
#include "media/mpegts/TSFrameParser.h"

FrameParser* createFrameParser(int type) {
  switch (type) {
    case kTransportStreamParser:
      return new TSFrameParser;
    case kFrameHeadParser:
      return new HeadFrameParser();
    default:
      return nullptr;
  }
}
