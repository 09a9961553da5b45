#include "platform/NullSoundSystem.h"

#include <cmath>

#include "platform/Clock.h"

namespace platform {

NullSoundSystem::NullSoundSystem(std::function<std::int64_t()> clock, std::uint32_t granularity)
    : m_clock(std::move(clock)), m_granularity(granularity) {
  if (!m_clock) m_clock = [] { return performanceCounter(); };
}

NullSoundSystem::~NullSoundSystem() {
  if (m_installed) install(m_previous);
}

void NullSoundSystem::installForProcess() {
  if (m_installed) return;
  m_previous = install(this);
  m_installed = true;
}

std::vector<std::shared_ptr<NullSoundBuffer>> NullSoundSystem::buffers() const {
  std::lock_guard<std::mutex> guard(m_mutex);
  return m_buffers;
}

std::shared_ptr<NullSoundBuffer> NullSoundSystem::lastBuffer() const {
  std::lock_guard<std::mutex> guard(m_mutex);
  return m_buffers.empty() ? nullptr : m_buffers.back();
}

SoundResult NullSoundSystem::openDevice() {
  if (m_deviceFailures.consume()) return kSoundNoDriver;
  ++m_openDevices;
  return kSoundOk;
}

void NullSoundSystem::closeDevice() { --m_openDevices; }

SoundResult NullSoundSystem::createSecondaryBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) {
  if (m_bufferFailures.consume()) return kSoundFailed;
  std::function<std::int64_t()> clock = m_clock;
  const double rate = m_clockRate.load();
  if (rate != 1.0) {
    clock = [base = m_clock, rate] { return static_cast<std::int64_t>(std::llround(static_cast<double>(base()) * rate)); };
  }
  auto made = std::make_shared<NullSoundBuffer>(desc, std::move(clock), m_granularity, m_latencyBytes.load());
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_buffers.push_back(made);
  }
  buffer = made;
  return kSoundOk;
}

}  // namespace platform
