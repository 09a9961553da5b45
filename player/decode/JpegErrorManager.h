#pragma once
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's error manager with a way back: a fatal error jumps to the point that the operation in hand
// marked with setjmp(jumpBuffer()) instead of ending the process. Messages are not printed; warnings
// are ignored.
class JpegErrorManager {
 public:
  // Fills the manager with libjpeg's standard handlers and message table (jpeg_std_error) except for
  // the fatal-error and output handlers; returns the manager to store in the codec object's err field.
  jpeg_error_mgr* install();
  std::jmp_buf& jumpBuffer() { return m_jump; }
  // True when libjpeg ran out of picture data (a frame cut short) since the last reset.
  bool dataMissing() const { return m_bDataMissing; }
  void resetDataMissing() { m_bDataMissing = false; }

 private:
  static void fatalError(j_common_ptr cinfo);
  static void discardMessage(j_common_ptr cinfo);
  static void noteMessage(j_common_ptr cinfo, int level);

  // The first member: libjpeg hands the handlers a pointer to it, which is then also a pointer to us.
  jpeg_error_mgr m_manager;
  std::jmp_buf m_jump;
  bool m_bDataMissing;
};
