#include "codec/g7231/G7231Context.h"

#include <cstring>
#include <exception>

#include "codec/g7231/G7231AdaptiveCodebook.h"
#include "codec/g7231/G7231BitStream.h"
#include "codec/g7231/G7231ComfortNoise.h"
#include "codec/g7231/G7231Concealment.h"
#include "codec/g7231/G7231FixedCodebook.h"
#include "codec/g7231/G7231LpcAnalysis.h"
#include "codec/g7231/G7231Lsp.h"
#include "codec/g7231/G7231PitchAnalysis.h"
#include "codec/g7231/G7231PitchPostFilter.h"
#include "codec/g7231/G7231Ringing.h"
#include "codec/g7231/G7231SignalTools.h"
#include "codec/g7231/G7231Synthesis.h"
#include "codec/g7231/G7231Taming.h"
#include "codec/g7231/G7231Tables.h"

using T = G7231Tables;

G7231Context::G7231Context(int mode)
    : m_mode(mode),
      m_vad(),
      m_encoderCng(),
      m_decoderCng(),
      m_postFilter(1),
      m_coder(),
      m_decoder(),
      m_rate(0),
      m_highPass(1),
      m_vadOn(0) {
  if (m_mode == kEncode) initCoder();
  if (m_mode == kDecode) initDecoder();
  if (m_vadOn != 0) {
    initVad();
    initCodCng();
  }
  initDecCng();
  m_output.assign(m_mode == kEncode ? kEncodedCapacity : kBlockBytes, 0);
}

void G7231Context::initCoder() {
  m_coder = G7231CoderState();
  std::memcpy(m_coder.PrevLsp, T::LspDcTable, sizeof(m_coder.PrevLsp));
  for (int32_t& error : m_coder.Err) error = T::Err0;
}

void G7231Context::initDecoder() {
  m_decoder = G7231DecoderState();
  std::memcpy(m_decoder.PrevLsp, T::LspDcTable, sizeof(m_decoder.PrevLsp));
  m_decoder.Gain = 0x1000;
}

void G7231Context::initVad() {
  m_vad.Hcnt = 3;
  m_vad.Vcnt = 0;
  m_vad.Penr = 0x400;
  m_vad.Nlev = 0x400;
  m_vad.Aen = 0;
  m_vad.Polp[0] = 1;
  m_vad.Polp[1] = 1;
  m_vad.Polp[2] = T::SubFrLen;
  m_vad.Polp[3] = T::SubFrLen;
  for (int16_t& coefficient : m_vad.NLpc) coefficient = 0;
}

void G7231Context::initCodCng() {
  m_encoderCng = G7231EncoderCngState();
  m_encoderCng.CurGain = 0;
  for (int16_t& shift : m_encoderCng.ShAcf) shift = 40;
  m_encoderCng.PastFtyp = 1;
  m_encoderCng.RandSeed = 12345;
}

void G7231Context::initDecCng() {
  m_decoderCng.PastFtyp = 1;
  m_decoderCng.SidGain = 0;
  std::memcpy(m_decoderCng.LspSid, T::LspDcTable, sizeof(m_decoderCng.LspSid));
  m_decoderCng.RandSeed = 12345;
}

bool G7231Context::processFrame(const uint8_t* input) {
  if (input == nullptr || m_output.empty()) return false;
  try {
    if (m_mode == kEncode) {
      int16_t block[T::Frame];
      for (int i = 0; i < T::Frame; ++i)
        block[i] = static_cast<int16_t>(static_cast<uint16_t>(input[2 * i] | (input[2 * i + 1] << 8)));
      code(block);
    } else if (m_mode == kDecode) {
      decode(input);
    }
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

int G7231Context::outputSize() const {
  if (m_output.empty()) return 0;
  if (m_mode == kEncode) return G7231BitStream::frameSize(m_output[0]);
  if (m_mode == kDecode) return kBlockBytes;
  return 0;
}

void G7231Context::code(int16_t* block) {
  G7231BasicOps& o = m_ops;
  G7231FrameParams frame = {};
  G7231SignalTools::removeDc(o, block, m_coder.HpfZdl, m_coder.HpfPdl);

  int16_t unquantizedLpc[T::SubFrames * T::LpcOrder];
  G7231LpcAnalysis::analyze(o, unquantizedLpc, m_coder.PrevDat, block, m_coder.SinDet);
  int16_t lsp[T::LpcOrder];
  G7231Lsp::fromLpc(o, lsp, &unquantizedLpc[T::LpcOrder * (T::SubFrames - 1)], m_coder.PrevLsp);
  // Voice-activity detection is off: every frame is active.
  frame.lspIndex = G7231Lsp::quantize(o, lsp, m_coder.PrevLsp);

  // Keep the last 120 input samples; the block continues 60 samples behind the input.
  int16_t joined[T::LpcFrame - T::SubFrLen + T::Frame];
  std::memcpy(joined, m_coder.PrevDat, sizeof(m_coder.PrevDat));
  std::memcpy(joined + (T::LpcFrame - T::SubFrLen), block, T::Frame * sizeof(int16_t));
  std::memcpy(m_coder.PrevDat, joined + T::Frame, sizeof(m_coder.PrevDat));
  std::memcpy(block, joined + (T::LpcFrame - T::SubFrLen) / 2, T::Frame * sizeof(int16_t));

  int16_t weightingLpc[2 * T::SubFrames * T::LpcOrder];
  G7231LpcAnalysis::weightingFilters(o, weightingLpc, unquantizedLpc);
  G7231LpcAnalysis::weight(o, block, weightingLpc, m_coder.WghtFirDl, m_coder.WghtIirDl);

  int16_t pitchBuffer[T::PitchMax + T::Frame];
  std::memcpy(pitchBuffer, m_coder.PrevWgt, sizeof(m_coder.PrevWgt));
  std::memcpy(pitchBuffer + T::PitchMax, block, T::Frame * sizeof(int16_t));
  G7231SignalTools::normalize(o, pitchBuffer, T::PitchMax + T::Frame);
  for (int half = 0; half < 2; ++half) {
    frame.openLoopLag[half] = G7231PitchAnalysis::openLoopLag(o, pitchBuffer, T::PitchMax + half * 2 * T::SubFrLen);
    m_vad.Polp[half + 2] = frame.openLoopLag[half];
  }

  G7231PitchAnalysis::HarmonicFilter harmonic[T::SubFrames];
  for (int sfc = 0; sfc < T::SubFrames; ++sfc)
    harmonic[sfc] = G7231PitchAnalysis::harmonicFilter(o, pitchBuffer, T::PitchMax + sfc * T::SubFrLen,
                                                       frame.openLoopLag[sfc >> 1]);
  std::memcpy(pitchBuffer, m_coder.PrevWgt, sizeof(m_coder.PrevWgt));
  std::memcpy(pitchBuffer + T::PitchMax, block, T::Frame * sizeof(int16_t));
  std::memcpy(m_coder.PrevWgt, pitchBuffer + T::Frame, sizeof(m_coder.PrevWgt));
  for (int sfc = 0; sfc < T::SubFrames; ++sfc)
    G7231PitchAnalysis::applyHarmonicFilter(o, block, pitchBuffer, sfc * T::SubFrLen, harmonic[sfc]);

  G7231Lsp::decode(o, lsp, m_coder.PrevLsp, frame.lspIndex, 0);
  int16_t quantizedLpc[T::SubFrames * T::LpcOrder];
  G7231Lsp::interpolate(o, quantizedLpc, lsp, m_coder.PrevLsp);
  std::memcpy(m_coder.PrevLsp, lsp, sizeof(lsp));

  int16_t* subframe = block;
  for (int sfc = 0; sfc < T::SubFrames; ++sfc, subframe += T::SubFrLen) {
    const int16_t* lpc = &quantizedLpc[sfc * T::LpcOrder];
    const int16_t* weighting = &weightingLpc[sfc * 2 * T::LpcOrder];
    int16_t impulse[T::SubFrLen];
    G7231Ringing::impulseResponse(o, impulse, lpc, weighting, harmonic[sfc]);
    G7231Ringing::subtractRinging(o, subframe, lpc, weighting, m_coder, harmonic[sfc]);
    G7231AdaptiveCodebook::search(o, subframe, impulse, m_coder.PrevExc, frame, sfc, m_coder, m_rate);
    G7231FixedCodebook::search(o, subframe, impulse, frame.subframes[sfc], frame.openLoopLag[sfc >> 1], sfc);

    const G7231SubframeParams& params = frame.subframes[sfc];
    int16_t pitch[T::SubFrLen];
    G7231AdaptiveCodebook::contribution(o, pitch, m_coder.PrevExc, frame.openLoopLag[sfc >> 1], params.lagOffset,
                                        params.pitchGainIndex, m_rate);
    std::memmove(m_coder.PrevExc, m_coder.PrevExc + T::SubFrLen, (T::PitchMax - T::SubFrLen) * sizeof(int16_t));
    for (int j = 0; j < T::SubFrLen; ++j) {
      subframe[j] = o.add(o.shl(subframe[j], 1), pitch[j]);
      m_coder.PrevExc[T::PitchMax - T::SubFrLen + j] = subframe[j];
    }
    G7231Taming::update(o, m_coder, frame.openLoopLag[sfc >> 1], params.lagOffset, params.pitchGainIndex, m_rate);
    G7231Ringing::update(o, subframe, lpc, weighting, m_coder);
  }
  m_encoderCng.PastFtyp = 1;
  m_encoderCng.RandSeed = 12345;

  std::memset(m_output.data(), 0, m_output.size());
  G7231BitStream::packActive(frame, m_rate, m_output.data());
}

void G7231Context::decodeActive(G7231FrameParams& frame, int16_t* excitation, int16_t* lpc) {
  G7231BasicOps& o = m_ops;
  G7231DecoderState& d = m_decoder;
  if (frame.badFrame != 0)
    d.Ecount = o.add(d.Ecount, 1);
  else
    d.Ecount = 0;
  if (d.Ecount > T::ErrMaxNum) d.Ecount = T::ErrMaxNum;

  int16_t lsp[T::LpcOrder];
  G7231Lsp::decode(o, lsp, d.PrevLsp, frame.lspIndex, frame.badFrame);
  G7231Lsp::interpolate(o, lpc, lsp, d.PrevLsp);
  std::memcpy(d.PrevLsp, lsp, sizeof(lsp));

  if (d.Ecount == 0) {
    const int16_t index = o.shr(o.add(frame.subframes[2].fixedGainIndex, frame.subframes[3].fixedGainIndex), 1);
    d.InterGain = T::FcbkGainTable[index];
  } else {
    d.InterGain = o.mult_r(d.InterGain, 0x6000);
  }

  // Past excitation followed by the new frame.
  int16_t buffer[T::PitchMax + T::Frame];
  std::memcpy(buffer, d.PrevExc, sizeof(d.PrevExc));
  if (d.Ecount == 0) {
    int16_t* current = buffer + T::PitchMax;
    for (int sfc = 0; sfc < T::SubFrames; ++sfc, current += T::SubFrLen) {
      const G7231SubframeParams& params = frame.subframes[sfc];
      const int16_t lag = frame.openLoopLag[sfc >> 1];
      G7231FixedCodebook::decode(o, current, params, lag, sfc, m_rate);
      int16_t pitch[T::SubFrLen];
      G7231AdaptiveCodebook::contribution(o, pitch, &buffer[T::SubFrLen * sfc], lag, params.lagOffset,
                                          params.pitchGainIndex, m_rate);
      for (int j = 0; j < T::SubFrLen; ++j) current[j] = o.add(o.shl(current[j], 1), pitch[j]);
    }
    std::memcpy(excitation, buffer + T::PitchMax, T::Frame * sizeof(int16_t));

    // The voicing estimate normalises the buffer; the post-filter parameters are taken from that
    // normalised copy, the filtering itself from the original excitation.
    d.InterIndx = G7231Concealment::voicingLag(o, buffer, frame.openLoopLag[1], m_decoderCng.SidGain,
                                               m_decoderCng.CurGain);
    G7231PitchPostFilter::Params postFilter[T::SubFrames];
    if (m_postFilter != 0)
      for (int sfc = 0; sfc < T::SubFrames; ++sfc)
        postFilter[sfc] = G7231PitchPostFilter::compute(o, buffer, frame.openLoopLag[sfc >> 1], sfc, m_rate);
    std::memcpy(buffer, d.PrevExc, sizeof(d.PrevExc));
    std::memcpy(buffer + T::PitchMax, excitation, T::Frame * sizeof(int16_t));
    if (m_postFilter != 0)
      for (int sfc = 0; sfc < T::SubFrames; ++sfc) G7231PitchPostFilter::apply(o, excitation, buffer, postFilter[sfc], sfc);
    std::memcpy(m_decoderCng.LspSid, d.PrevLsp, sizeof(d.PrevLsp));
  } else {
    G7231Concealment::regenerate(o, excitation, buffer, d.InterIndx, d.InterGain, d.Ecount, d.Rseed);
  }
  std::memcpy(d.PrevExc, buffer + T::Frame, sizeof(d.PrevExc));
  m_decoderCng.RandSeed = 12345;
}

void G7231Context::decode(const uint8_t* bytes) {
  G7231BasicOps& o = m_ops;
  G7231FrameParams frame = {};
  int frameType = G7231BitStream::unpack(bytes, frame, m_rate);
  // A damaged frame continues speech after speech and silence after silence.
  if (frame.badFrame != 0) frameType = m_decoderCng.PastFtyp == 1 ? G7231BitStream::kActive : G7231BitStream::kSilent;

  int16_t samples[T::Frame];
  int16_t lpc[T::SubFrames * T::LpcOrder];
  if (frameType != G7231BitStream::kActive)
    G7231ComfortNoise::decodeFrame(o, frameType, frame, samples, lpc, m_decoderCng, m_decoder, m_rate);
  else
    decodeActive(frame, samples, lpc);
  m_decoderCng.PastFtyp = static_cast<int16_t>(frameType);

  for (int sfc = 0; sfc < T::SubFrames; ++sfc) {
    int16_t* subframe = samples + sfc * T::SubFrLen;
    const int16_t* set = &lpc[sfc * T::LpcOrder];
    G7231Synthesis::synthesize(o, subframe, set, m_decoder.SyntIirDl, m_postFilter != 0);
    if (m_postFilter != 0) {
      const int32_t energy =
          G7231Synthesis::postFilter(o, subframe, set, m_decoder.PostFirDl, m_decoder.PostIirDl, m_decoder.Park);
      G7231SignalTools::scaleGain(o, subframe, energy, m_decoder.Gain);
    }
  }
  for (int i = 0; i < T::Frame; ++i) {
    const uint16_t sample = static_cast<uint16_t>(samples[i]);
    m_output[2 * i] = static_cast<uint8_t>(sample & 0xff);
    m_output[2 * i + 1] = static_cast<uint8_t>(sample >> 8);
  }
}
