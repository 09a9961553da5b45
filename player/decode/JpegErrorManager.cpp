#include "player/decode/JpegErrorManager.h"

#include <type_traits>

#include <jerror.h>

static_assert(std::is_standard_layout<JpegErrorManager>::value, "the manager must start the object");

jpeg_error_mgr* JpegErrorManager::install() {
  jpeg_std_error(&m_manager);
  m_manager.error_exit = &JpegErrorManager::fatalError;
  m_manager.output_message = &JpegErrorManager::discardMessage;
  m_manager.emit_message = &JpegErrorManager::noteMessage;
  m_bDataMissing = false;
  return &m_manager;
}

void JpegErrorManager::fatalError(j_common_ptr cinfo) {
  // Back to where the decode or the write began; libjpeg's state is cleaned up there.
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->m_jump, 1);
}

void JpegErrorManager::discardMessage(j_common_ptr) {}

void JpegErrorManager::noteMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // traces
  auto* self = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  self->m_manager.num_warnings++;
  // The entropy decoder met a marker (or the end of the frame) while it still needed data.
  if (self->m_manager.msg_code == JWRN_HIT_MARKER) self->m_bDataMissing = true;
}
