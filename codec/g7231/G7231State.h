#pragma once
// The records a G.723.1 context carries from one frame to the next, and the parameter record of
// one coded frame. Field names follow the standard's descriptions of the coder.
#include <cstdint>

// Encoder history: high-pass filter, sine detector, LSPs, pitch buffers, filter delay lines and
// the five taming error estimates.
struct G7231CoderState {
  int16_t HpfZdl;
  int32_t HpfPdl;
  int16_t SinDet;
  int16_t PrevLsp[10];
  int16_t PrevWgt[145];
  int16_t PrevErr[145];
  int16_t PrevExc[145];
  int16_t PrevDat[120];
  int16_t WghtFirDl[10];
  int16_t WghtIirDl[10];
  int16_t RingFirDl[10];
  int16_t RingIirDl[10];
  int32_t Err[5];
};

// Decoder history: erasure concealment, post-filter memories, LSPs and the excitation history.
struct G7231DecoderState {
  int16_t Ecount;
  int16_t InterGain;
  int16_t InterIndx;
  int16_t Rseed;
  int16_t Park;
  int16_t Gain;
  int16_t PrevLsp[10];
  int16_t PrevExc[145];
  int16_t SyntIirDl[10];
  int16_t PostFirDl[10];
  int16_t PostIirDl[10];
};

// Voice-activity detector state (kept for completeness; the detector is switched off).
struct G7231VadState {
  int16_t Hcnt;
  int16_t Vcnt;
  int32_t Penr;
  int32_t Nlev;
  int16_t Aen;
  int16_t Polp[4];
  int16_t NLpc[10];
};

// Comfort-noise state of the encoder (kept for completeness; silence compression is off).
struct G7231EncoderCngState {
  int16_t CurGain;
  int16_t PastFtyp;
  int16_t Acf[44];
  int16_t ShAcf[4];
  int16_t LspSid[10];
  int16_t SidLpc[10];
  int16_t RC[11];
  int16_t ShRC;
  int16_t Ener[3];
  int16_t NbEner;
  int16_t IRef;
  int16_t SidGain;
  int16_t RandSeed;
};

// Comfort-noise state of the decoder.
struct G7231DecoderCngState {
  int16_t CurGain;
  int16_t PastFtyp;
  int16_t LspSid[10];
  int16_t SidGain;
  int16_t RandSeed;
};

// Coded parameters of one subframe.
struct G7231SubframeParams {
  int16_t lagOffset;        // closed-loop lag relative to the open-loop lag (0..3)
  int16_t pitchGainIndex;   // index into the 85- or 170-entry pitch gain codebook
  int16_t fixedGainIndex;   // index into the fixed-codebook gain table (0..23)
  int16_t grid;             // odd or even pulse grid
  int16_t pulseTrain;       // pulse-train repetition at the pitch lag (6.3 kbit/s)
  int16_t pulseSigns;
  int32_t pulsePositions;
};

// Coded parameters of one frame. For a SID frame the gain index travels in subframe 0's
// fixedGainIndex.
struct G7231FrameParams {
  int16_t badFrame;         // set when the frame holds a forbidden code
  int32_t lspIndex;         // three 8-bit split-VQ indices
  int16_t openLoopLag[2];   // lags of subframes 0 and 2
  G7231SubframeParams subframes[4];
};
