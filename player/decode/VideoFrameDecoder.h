#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "media/AVData.h"
#include "media/EncoderType.h"
#include "player/PlayerDebugLog.h"
#include "player/PlayerTypes.h"
#include "player/decode/DecodedPicture.h"
#include "player/decode/IVideoDecoder.h"
#include "player/decode/JpegDecoder.h"
#include "player/decode/PictureAdjustFilter.h"
#include "technic/KXMutex.h"

class VideoFrameInput;

// The decoding stage of the H.264 video player: takes the due frame out of the input, decodes it by
// its encoder type (H.264 through the video decoder, MJPEG through the JPEG glue), keeps the decoded
// picture as the current picture, adjusts H.264 pictures in YUV and hands each of them to the decode
// callback as packed I420. Every picture keeps the attributes of the frame it was decoded from, also
// when the decoder gives it out later than that frame (reordered streams).
//
// m_csDecode is held around each decode; m_csDecodeCallback guards the callback triple and is held
// while the callback runs.
class VideoFrameDecoder {
 public:
  static constexpr int kEncoderH264 = EncoderType::H264;
  static constexpr int kEncoderMjpeg = EncoderType::MJPEG;
  // Result of a fault inside the decoder.
  static constexpr int kDecoderFault = -10000;

  // decoder: the H.264 decoder to drive (null: libavcodec's, the H264Decoder).
  VideoFrameDecoder(const PlayerDebugLog& log, VideoFrameInput& input, std::unique_ptr<IVideoDecoder> decoder);
  ~VideoFrameDecoder();
  VideoFrameDecoder(const VideoFrameDecoder&) = delete;
  VideoFrameDecoder& operator=(const VideoFrameDecoder&) = delete;

  // Opens the decoder and the JPEG decompressor and forgets the current picture: 0, or -605 when the
  // decoder cannot be opened.
  int open();
  // Closes both, drops the current picture, the adjusted planes and the decode callback function.
  void close();

  // Takes the head frame of the input and decodes it: true when it gave a picture.
  bool decodeOneFrame();
  bool decodeH264(const AVData& frame);
  bool decodeJPEG(const AVData& frame);
  // The guarded decoder call: the decoder's result, or kDecoderFault for a fault inside it.
  int baseDecodeH264(const char* data, int size, int64_t token);
  // The end of the stream: the pictures the decoder still holds come out, each to the callback. The
  // number of pictures given out, or a negative decoder error.
  int drainDecoder();

  void setDecodeCallBack(long port, DecodeCallBack fn, void* user);
  // Clears the callback function (port and user data stay), as a stop does.
  void clearDecodeCallBackFunction();
  void setYuvAdjustParams(const YuvAdjustParams& params);
  // Called (under the decode lock) whenever a new sequence makes the decoder reopen, so that state
  // tied to the old picture size (the zoom) is forgotten.
  void setReopenListener(std::function<void()> listener) { m_fnOnReopen = std::move(listener); }

  int64_t getCurrentVideoFrameID() const { return m_nCurrentFrameId.load(); }
  int64_t getCurrentVideoFrameTimestamp() const { return m_nCurrentTimestamp.load(); }
  void forgetCurrentTimestamp() { m_nCurrentTimestamp.store(-1); }
  void getPictureSize(int& w, int& h) const {
    w = m_nPictureWidth;
    h = m_nPictureHeight;
  }
  // The current picture's attributes (null before the first), the planes to draw for H.264 and the
  // RGB pixels of the last MJPEG picture.
  const AVData* currentPicture() const { return m_pCurPicture.get(); }
  const DecodedPicture* decodedPicture() const { return m_pDecodedPicture; }
  const uint8_t* jpegRgb() const { return m_pJpegRgb; }
  bool isYuvAdjustActive() const { return m_bYuvAdjustActive; }
  bool needsSps() const { return m_bNeedSps; }
  KXMutex& decodeLock() { return m_csDecode; }

 private:
  struct AdjustedPicture {
    DecodedPicture planes;
    std::vector<uint8_t> buffer[3];
    int width = 0;
    int height = 0;
  };

  bool reopenForNewSequence();
  int guardedNextPicture(DecodedPicture** picture, int64_t* token);
  // Every picture the decoder has ready goes out: the count, or a negative error.
  int deliverPictures();
  void presentPicture(DecodedPicture* picture, int64_t token);
  // Adjusts the decoded picture into the adjusted planes, or (intoI420) into the packed I420 buffer.
  void adjustPicture(int w, int h, bool intoI420);
  DecodedPicture* adjustedPlanes(int w, int h, const DecodedPicture& in);
  char* i420Buffer(int w, int h);
  void callDecodeCallback(int w, int h);
  void callWithInfo(const char* picture, long size, int w, int h);
  static void copyAttributes(const AVData& from, AVData& to);

  const PlayerDebugLog& m_log;
  VideoFrameInput& m_input;
  std::unique_ptr<IVideoDecoder> m_objDecoder;
  JpegDecoder m_objJpeg;
  const uint8_t* m_pJpegRgb = nullptr;

  KXMutex m_csDecode;
  std::unique_ptr<AVData> m_pCurPicture;
  DecodedPicture* m_pDecodedPicture = nullptr;
  std::unique_ptr<AdjustedPicture> m_pAdjustedPicture;
  bool m_bYuvAdjustActive = false;
  bool m_bNeedSps = true;
  std::atomic<int> m_nPictureWidth{0};
  std::atomic<int> m_nPictureHeight{0};
  // Read by the player's callers on their own threads while the decoder thread writes them.
  std::atomic<int64_t> m_nCurrentFrameId{-1};
  std::atomic<int64_t> m_nCurrentTimestamp{-1};
  YuvAdjustParams m_objYuvParams;
  std::function<void()> m_fnOnReopen;

  // Attributes of the frames handed to the decoder whose pictures have not come out yet, by token.
  std::map<int64_t, AVData> m_mapPending;
  int64_t m_nNextToken = 0;

  KXMutex m_csDecodeCallback;
  long m_nDecodePort = 0;
  DecodeCallBack m_pfnDecode = nullptr;
  void* m_pDecodeUser = nullptr;
  std::vector<char> m_objI420;
  DecodedPicture m_objI420Planes;  // the I420 buffer seen as planes
};
