#pragma once

// The one interface every audio codec of the player offers. PCM on the linear side is 16-bit signed
// samples in host byte order, one channel.
//
// Contract shared by every codec:
//  - in / inLen: the input bytes (PCM for encode, coded bytes for decode); never modified.
//    A negative or zero inLen is rejected.
//  - out / outLen: on entry outLen is the capacity of out in bytes; a call whose result would not fit
//    is rejected before anything is written. On success outLen is the number of bytes written.
//  - The result is true on success. On false nothing has been written to out, outLen is unchanged and
//    the codec's state is as it was before the call.
class AudioCodec {
 public:
  virtual ~AudioCodec();
  virtual bool encode(const char* in, int inLen, char* out, int& outLen) = 0;
  virtual bool decode(const char* in, int inLen, char* out, int& outLen) = 0;

 protected:
  AudioCodec() = default;
  AudioCodec(const AudioCodec&) = default;
  AudioCodec& operator=(const AudioCodec&) = default;
};
