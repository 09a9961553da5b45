// The engine interface's operation order is part of the exported interface: embedding programs call
// through its table, so every operation must stay in its slot.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "player/file/FilePlayerBase.h"

namespace {

// Under the Itanium C++ ABI a pointer to a virtual member function holds 1 + the byte offset of its
// entry in the table; the virtual destructor takes the first two entries.
template <class Pointer>
std::ptrdiff_t slotOf(Pointer member) {
  struct Representation {
    std::uintptr_t pointer;
    std::ptrdiff_t adjustment;
  } bits{};
  static_assert(sizeof(member) == sizeof(bits), "Itanium member function pointer");
  std::memcpy(&bits, &member, sizeof bits);
  if ((bits.pointer & 1) == 0) return -1;  // not virtual
  return static_cast<std::ptrdiff_t>((bits.pointer - 1) / sizeof(void*)) - 1;
}

using B = FilePlayerBase;

TEST(FilePlayerBase, OperationsKeepTheirSlots) {
  EXPECT_EQ(slotOf(&B::setStretchMode), 1);
  EXPECT_EQ(slotOf(&B::setRenderMode), 2);
  EXPECT_EQ(slotOf(static_cast<void (B::*)(HWND)>(&B::setVideoWindow)), 3);
  EXPECT_EQ(slotOf(static_cast<void (B::*)(HWND, int, int, int, int)>(&B::setVideoWindow)), 4);
  EXPECT_EQ(slotOf(&B::setNotifyWindow), 5);
  EXPECT_EQ(slotOf(&B::setNotifyWindowEX), 6);
  EXPECT_EQ(slotOf(&B::setFileEndCallback), 7);
  EXPECT_EQ(slotOf(&B::setDecodeCallBack), 8);
  EXPECT_EQ(slotOf(&B::setDrawFuncForRender), 9);
  EXPECT_EQ(slotOf(&B::changeWindow), 10);
  EXPECT_EQ(slotOf(&B::resizeWindow), 11);
  EXPECT_EQ(slotOf(&B::refresh), 12);
  EXPECT_EQ(slotOf(&B::resizeWindowToClient), 13);
  EXPECT_EQ(slotOf(&B::setFileType), 14);
  EXPECT_EQ(slotOf(&B::open), 15);
  EXPECT_EQ(slotOf(&B::close), 16);
  EXPECT_EQ(slotOf(&B::play), 17);
  EXPECT_EQ(slotOf(&B::pause), 18);
  EXPECT_EQ(slotOf(&B::stop), 19);
  EXPECT_EQ(slotOf(&B::getPlayStatus), 20);
  EXPECT_EQ(slotOf(&B::playNextFrame), 21);
  EXPECT_EQ(slotOf(&B::playPreviousFrame), 22);
  EXPECT_EQ(slotOf(&B::getDuration), 23);
  EXPECT_EQ(slotOf(&B::getPlayPosByTime), 24);
  EXPECT_EQ(slotOf(&B::setPlayPosByTime), 25);
  EXPECT_EQ(slotOf(&B::getPlayPosByPercent), 26);
  EXPECT_EQ(slotOf(&B::setPlayPosByPercent), 27);
  EXPECT_EQ(slotOf(&B::getRate), 28);
  EXPECT_EQ(slotOf(&B::setRate), 29);
  EXPECT_EQ(slotOf(&B::getFileTotalFrames), 30);
  EXPECT_EQ(slotOf(&B::getPlayedFrames), 31);
  EXPECT_EQ(slotOf(&B::setCurrentFrameNum), 32);
  EXPECT_EQ(slotOf(&B::setDrawVideoFlag), 33);
  EXPECT_EQ(slotOf(&B::setAutoResizeFlag), 34);
  EXPECT_EQ(slotOf(&B::getVideoFrameRate), 35);
  EXPECT_EQ(slotOf(&B::getVideoBitRate), 36);
  EXPECT_EQ(slotOf(&B::getPictureSize), 37);
  EXPECT_EQ(slotOf(&B::setVideoBrightness), 38);
  EXPECT_EQ(slotOf(&B::getVideoBrightness), 39);
  EXPECT_EQ(slotOf(&B::setVideoContrast), 40);
  EXPECT_EQ(slotOf(&B::getVideoContrast), 41);
  EXPECT_EQ(slotOf(&B::setVideoHue), 42);
  EXPECT_EQ(slotOf(&B::getVideoHue), 43);
  EXPECT_EQ(slotOf(&B::setVideoSaturation), 44);
  EXPECT_EQ(slotOf(&B::getVideoSaturation), 45);
  EXPECT_EQ(slotOf(&B::resetPictureAdjustFilter), 46);
  EXPECT_EQ(slotOf(&B::playSound), 47);
  EXPECT_EQ(slotOf(&B::stopSound), 48);
  EXPECT_EQ(slotOf(&B::isOnSound), 49);
  EXPECT_EQ(slotOf(&B::setVolume), 50);
  EXPECT_EQ(slotOf(&B::getVolume), 51);
  EXPECT_EQ(slotOf(&B::snapShot), 52);
  EXPECT_EQ(slotOf(&B::blendText), 53);
  EXPECT_EQ(slotOf(&B::isPlayComplete), 54);
  EXPECT_EQ(slotOf(&B::getFileName), 55);
  EXPECT_EQ(slotOf(static_cast<int (B::*)()>(&B::zoomInVideo)), 56);
  EXPECT_EQ(slotOf(static_cast<int (B::*)(unsigned, unsigned, unsigned, unsigned)>(&B::zoomInVideo)), 57);
  EXPECT_EQ(slotOf(&B::zoomOutVideo), 58);
  EXPECT_EQ(slotOf(&B::restoreVideo), 59);
}

}  // namespace
