#include "media/FrameParser.h"

#include "media/HeadFrameParser.h"

FrameParser* createFrameParser(int type) {
  switch (type) {
    case kFrameHeadParser:
      return new HeadFrameParser();
    default:
      return nullptr;
  }
}
