#include "media/FrameParser.h"

#include "media/mpegts/TSFrameParser.h"

FrameParser* createFrameParser(int type) {
  switch (type) {
    case kTransportStreamParser:
      return new TSFrameParser;
    default:
      return nullptr;
  }
}
