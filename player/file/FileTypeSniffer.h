#pragma once

// Tells the two recording types apart by the first bytes of a file: a private frame-head stream
// carries the 10-byte frame-head start code, a transport stream two sync bytes 188 bytes apart.
class FileTypeSniffer {
 public:
  static constexpr int kTransportStream = 1;
  static constexpr int kFrameHeadStream = 2;
  // Bytes looked at, and the fewest a recording may have (two transport packets).
  static constexpr int kSniffLength = 950;
  static constexpr int kMinimumLength = 376;

  // 0 with type set; -4 for a null path; -103 the file cannot be opened; -104 it cannot be read or
  // holds fewer than kMinimumLength bytes; -7 neither mark occurs in the first kSniffLength bytes.
  static int sniffFile(const char* path, int& type);
  // The type of the first n bytes (n at most kSniffLength): 1, 2, or 0 for neither. The start code is
  // looked for first, so a frame-head stream whose payload holds 0x47 bytes 188 apart is still one.
  static int sniffBytes(const unsigned char* bytes, int n);
};
