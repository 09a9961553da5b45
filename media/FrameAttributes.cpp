#include "media/FrameAttributes.h"

#include <cstring>

FrameAttributes::FrameAttributes(int encoderType) : m_nEncoderType(encoderType) {
  std::memset(m_szDeviceId, 0, sizeof(m_szDeviceId));
}

bool FrameAttributes::setDeviceId(const char* id) {
  if (id == nullptr) return false;
  size_t length = std::strlen(id);
  if (length > static_cast<size_t>(kDeviceIdMaxLength)) return false;
  std::memcpy(m_szDeviceId, id, length + 1);
  return true;
}
