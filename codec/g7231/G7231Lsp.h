#pragma once
#include <cstdint>

#include "codec/g7231/G7231BasicOps.h"

// Line spectral pairs: conversion from and to LPC coefficients, split vector quantisation of the
// last subframe's LSPs, their decoding with stability repair, and the interpolation that gives
// the four subframes their LPC sets.
class G7231Lsp {
 public:
  // LPC (10) -> LSP (10) by a root search on the cosine grid; falls back to previous when fewer
  // than ten roots are found.
  static void fromLpc(G7231BasicOps& o, int16_t* lsp, const int16_t* lpc, const int16_t* previous);
  // Quantises lsp against the prediction from previous; returns the packed 24-bit index. Both
  // vectors are used as work space; previous is restored.
  static int32_t quantize(G7231BasicOps& o, int16_t* lsp, int16_t* previous);
  // Decodes a packed index (or, with badFrame set, the prediction alone) into lsp.
  static void decode(G7231BasicOps& o, int16_t* lsp, int16_t* previous, int32_t index, int16_t badFrame);
  // LPC sets of the four subframes (4 x 10) by linear interpolation between previous and current.
  static void interpolate(G7231BasicOps& o, int16_t* lpc, const int16_t* current, const int16_t* previous);
  // LSP (10) -> LPC (10), in place.
  static void toLpc(G7231BasicOps& o, int16_t* lsp);
};
