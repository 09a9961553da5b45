#include "player/IVideoPlayer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The position of a virtual operation in the table, from its member pointer (the Itanium C++ ABI
// stores 1 + the byte offset in the table). The destructor takes the first two entries there, so the
// exported slot number is the entry index minus one.
template <typename Member>
long slotOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(void*), "a member function pointer is two words");
  std::uintptr_t words[2];
  std::memcpy(words, &member, sizeof(words));
  EXPECT_EQ(1u, words[0] % sizeof(void*)) << "not a virtual operation";
  return static_cast<long>((words[0] - 1) / sizeof(void*)) - 1;
}

// The operations in the order embedding programs call them through (slot 0 is the destructor).
TEST(IVideoPlayer, SlotOrder) {
  using P = IVideoPlayer;
  const std::vector<long> slots = {
      slotOf(&P::setDrawFuncForRender),
      slotOf(&P::setDecodeCallBack),
      slotOf(&P::setStretchMode),
      slotOf(&P::setGlobalStretchMode),
      slotOf(&P::setRenderMode),
      slotOf(&P::setUseTimestampForVideo),
      slotOf(&P::setPlayFromIFrame),
      slotOf(&P::setupVideoMediaType),
      slotOf(&P::setVideoPlayQueueSize),
      slotOf(&P::setInputQueueMaxSize),
      slotOf(static_cast<void (P::*)(unsigned, int, int, int, int)>(&P::setVideoWindow)),
      slotOf(static_cast<void (P::*)(unsigned)>(&P::setVideoWindow)),
      slotOf(&P::resizeWindow),
      slotOf(&P::refresh),
      slotOf(&P::setDrawVideoFlag),
      slotOf(&P::setAutoResizeFlag),
      slotOf(&P::setLivePlayFlag),
      slotOf(&P::getLivePlayFlag),
      slotOf(&P::setMaxDelayTime),
      slotOf(&P::getMaxDelayTime),
      slotOf(&P::setUseReverseTimestampForVideo),
      slotOf(&P::openVideo),
      slotOf(&P::closeVideo),
      slotOf(&P::playVideo),
      slotOf(&P::pauseVideo),
      slotOf(&P::stopVideo),
      slotOf(&P::playNextFrame),
      slotOf(&P::setAutoClearVideoQueueFlag),
      slotOf(&P::clearVideoQueue),
      slotOf(&P::pushVideoFrame),
      slotOf(&P::isVideoQueueEmpty),
      slotOf(&P::isVideoQueueFull),
      slotOf(&P::setRate),
      slotOf(&P::getRate),
      slotOf(&P::setVideoBrightness),
      slotOf(&P::getVideoBrightness),
      slotOf(&P::setVideoContrast),
      slotOf(&P::getVideoContrast),
      slotOf(&P::setVideoHue),
      slotOf(&P::getVideoHue),
      slotOf(&P::setVideoSaturation),
      slotOf(&P::getVideoSaturation),
      slotOf(&P::resetPictureAdjustFilter),
      slotOf(&P::getCurrentVideoFrameID),
      slotOf(&P::getCurrentVideoFrameTimestamp),
      slotOf(&P::getPictureSize),
      slotOf(&P::snapShot),
      slotOf(&P::blendText),
      slotOf(static_cast<int (P::*)()>(&P::zoomInVideo)),
      slotOf(static_cast<int (P::*)(unsigned, unsigned, unsigned, unsigned)>(&P::zoomInVideo)),
      slotOf(&P::zoomOutVideo),
      slotOf(&P::restoreVideo),
      slotOf(&P::isVideoIdle),
  };
  for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(static_cast<long>(i) + 1, slots[i]) << "operation " << i;
}

}  // namespace
