#include "player/JpegErrorManager.h"

#include <type_traits>

static_assert(std::is_standard_layout<JpegErrorManager>::value, "the manager must start the object");

jpeg_error_mgr* JpegErrorManager::install() {
  jpeg_std_error(&m_manager);
  m_manager.error_exit = &JpegErrorManager::fatalError;
  m_manager.output_message = &JpegErrorManager::discardMessage;
  return &m_manager;
}

void JpegErrorManager::fatalError(j_common_ptr cinfo) {
  // Back to where the decode or the write began; libjpeg's state is cleaned up there.
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->m_jump, 1);
}

void JpegErrorManager::discardMessage(j_common_ptr) {}
