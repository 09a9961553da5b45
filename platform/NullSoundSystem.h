#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/InjectedFailures.h"
#include "platform/NullSoundBuffer.h"
#include "platform/SoundSystem.h"

namespace platform {

// The test backend: no sound card. Its buffers play by a clock that the test may supply and record
// what they play; failures of the device and of buffer creation can be injected. Every secondary
// buffer it made stays reachable for inspection.
class NullSoundSystem : public SoundSystem {
 public:
  // clock: microseconds (the real counter when empty); granularity: bytes per step of a play position.
  explicit NullSoundSystem(std::function<std::int64_t()> clock = {}, std::uint32_t granularity = 2);
  ~NullSoundSystem() override;

  // Makes this the process's sound system while it lives (players made without one use it).
  void installForProcess();

  // For the buffers made from now on: their clock runs this many times as fast as the one given (a
  // sound card whose crystal is off drifts from the system clock), and they report this latency.
  void setClockRate(double rate) { m_clockRate.store(rate); }
  void setLatencyBytes(std::uint32_t bytes) { m_latencyBytes.store(bytes); }

  void failNextDevices(int n) { m_deviceFailures.arm(n); }
  void failNextBuffers(int n) { m_bufferFailures.arm(n); }

  std::vector<std::shared_ptr<NullSoundBuffer>> buffers() const;
  std::shared_ptr<NullSoundBuffer> lastBuffer() const;
  // Devices opened and not yet closed.
  int openDevices() const { return m_openDevices.load(); }

 protected:
  SoundResult openDevice() override;
  void closeDevice() override;
  SoundResult createSecondaryBuffer(const SoundBufferDesc& desc, std::shared_ptr<SoundBuffer>& buffer) override;

 private:
  std::function<std::int64_t()> m_clock;
  const std::uint32_t m_granularity;
  InjectedFailures m_deviceFailures;
  InjectedFailures m_bufferFailures;
  std::atomic<int> m_openDevices{0};
  std::atomic<double> m_clockRate{1.0};
  std::atomic<std::uint32_t> m_latencyBytes{0};
  bool m_installed = false;
  SoundSystem* m_previous = nullptr;
  mutable std::mutex m_mutex;
  std::vector<std::shared_ptr<NullSoundBuffer>> m_buffers;
};

}  // namespace platform
