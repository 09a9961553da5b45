#include "platform/SoundDevice.h"

#include "platform/PrimarySoundBuffer.h"
#include "platform/SoundSystem.h"

namespace platform {

SoundDevice::SoundDevice(SoundSystem& system) : m_system(system) {}

SoundDevice::~SoundDevice() { m_system.closeDevice(); }

SoundResult SoundDevice::setCooperativeLevel(std::uint32_t, std::uint32_t) { return kSoundOk; }

SoundResult SoundDevice::createSoundBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) {
  if ((desc.flags & kSoundBufferPrimary) != 0) {
    if (desc.bufferBytes != 0) return kSoundInvalidParam;
    buffer = std::make_shared<PrimarySoundBuffer>();
    return kSoundOk;
  }
  if (desc.bufferBytes < 4 || desc.bufferBytes > (1u << 24)) return kSoundInvalidParam;
  if (!PrimarySoundBuffer::isPlayableFormat(desc.format)) return kSoundBadFormat;
  if (desc.bufferBytes % desc.format.blockAlign != 0) return kSoundInvalidParam;
  return m_system.createSecondaryBuffer(desc, buffer);
}

}  // namespace platform
