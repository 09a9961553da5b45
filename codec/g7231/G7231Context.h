#pragma once
#include <cstdint>
#include <vector>

#include "codec/g7231/G7231BasicOps.h"
#include "codec/g7231/G7231State.h"

// One direction of a G.723.1 codec: everything the coder or the decoder keeps between frames,
// including the switches and the saturation flag of its arithmetic, so that any number of
// contexts can run side by side. A context either encodes (240 samples in, one 24-byte frame
// out) or decodes (one frame of any type in, 240 samples out).
class G7231Context {
 public:
  enum Mode { kEncode = 1, kDecode = 2 };
  static constexpr int kBlockBytes = 480;
  static constexpr int kEncodedCapacity = 48;

  explicit G7231Context(int mode);
  G7231Context(const G7231Context&) = delete;
  G7231Context& operator=(const G7231Context&) = delete;

  // Codes (kEncode: input is 480 bytes of little-endian PCM) or decodes (kDecode: input is one
  // frame, whole as its type says) into the output buffer. False on a missing buffer or when the
  // arithmetic meets operands outside its domain; the context then stays usable.
  bool processFrame(const uint8_t* input);
  // Valid bytes in the output buffer: the frame size by its type bits, or 480 when decoding.
  int outputSize() const;
  const uint8_t* output() const { return m_output.data(); }
  int mode() const { return m_mode; }
  int rate() const { return m_rate; }
  const G7231BasicOps& arithmetic() const { return m_ops; }

  void initCoder();
  void initDecoder();
  void initVad();
  void initCodCng();
  void initDecCng();

  // One frame of the coder: block (240 samples) is filtered in place; the frame goes to the
  // output buffer.
  void code(int16_t* block);
  // One frame of the decoder: the frame's bytes in, 240 samples (little-endian) to the output
  // buffer.
  void decode(const uint8_t* frame);

 private:
  void decodeActive(G7231FrameParams& frame, int16_t* excitation, int16_t* lpc);

  std::vector<uint8_t> m_output;
  int m_mode;
  G7231VadState m_vad;
  G7231EncoderCngState m_encoderCng;
  G7231DecoderCngState m_decoderCng;
  int16_t m_postFilter;
  G7231BasicOps m_ops;
  G7231CoderState m_coder;
  G7231DecoderState m_decoder;
  int m_rate;
  int16_t m_highPass;
  int16_t m_vadOn;
};
