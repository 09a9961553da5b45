#include "player/OwnedFrameCopy.h"

#include <new>

#include "media/AVData.h"

AVData* newOwnedFrameCopy(const AVData& frame) {
  AVData* copy = new (std::nothrow) AVData;
  if (copy == nullptr) return nullptr;
  static_cast<FrameAttributes&>(*copy) = frame;
  copy->setDiscontinuityIndicator(frame.getDiscontinuityIndicator());
  const int length = frame.getDataLength();
  if (length > 0 && (frame.getData() == nullptr || !copy->alloc(static_cast<unsigned>(length)) ||
                     !copy->copyData(frame.getData(), static_cast<unsigned>(length)))) {
    delete copy;
    return nullptr;
  }
  return copy;
}
