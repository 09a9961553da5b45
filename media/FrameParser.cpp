#include "media/FrameParser.h"

FrameParser* createFrameParser(int type) {
  switch (type) {
    default:
      return nullptr;
  }
}
