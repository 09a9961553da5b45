// The real sound backend must leave the host process's signal handling as it found it: an embedding
// program's own handlers keep running, and signals it left at their default keep ending the process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/SoundDevice.h"
#include "platform/SoundSystem.h"

namespace {

volatile std::sig_atomic_t g_terminations = 0;
void countTermination(int) { g_terminations = g_terminations + 1; }

struct Disposition {
  int signal;
  const char* name;
  void (*handler)(int);
};

// One of each kind of disposition SDL could take over: a handler of the host's own, the default, and
// an ignored signal.
const Disposition kDispositions[] = {
    {SIGTERM, "SIGTERM", &countTermination},
    {SIGINT, "SIGINT", SIG_DFL},
    {SIGHUP, "SIGHUP", SIG_IGN},
    {SIGQUIT, "SIGQUIT", SIG_DFL},
};

struct SoundBackendSignals : ::testing::Test {
  struct sigaction saved[sizeof(kDispositions) / sizeof(kDispositions[0])];

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (std::size_t i = 0; i < std::size(kDispositions); ++i) {
      struct sigaction action;
      std::memset(&action, 0, sizeof action);
      action.sa_handler = kDispositions[i].handler;
      sigemptyset(&action.sa_mask);
      ASSERT_EQ(0, sigaction(kDispositions[i].signal, &action, &saved[i]));
    }
    g_terminations = 0;
  }
  void TearDown() override {
    for (std::size_t i = 0; i < std::size(kDispositions); ++i) sigaction(kDispositions[i].signal, &saved[i], nullptr);
    unsetenv("SDL_AUDIODRIVER");
  }

  static void expectDispositionsUnchanged(const char* when) {
    for (const Disposition& expected : kDispositions) {
      struct sigaction now;
      ASSERT_EQ(0, sigaction(expected.signal, nullptr, &now));
      EXPECT_EQ(reinterpret_cast<void*>(expected.handler), reinterpret_cast<void*>(now.sa_handler))
          << expected.name << " " << when;
    }
  }
};

TEST_F(SoundBackendSignals, OpeningAndClosingSoundLeavesTheHostsHandlersInPlace) {
  platform::SoundSystem* system = platform::SoundSystem::current();
  ASSERT_NE(nullptr, system);
  for (int round = 1; round <= 2; ++round) {  // the second start must not take them over either
    {
      std::unique_ptr<platform::SoundDevice> device;
      ASSERT_EQ(platform::kSoundOk, system->createDevice(device));
      platform::SoundBufferDesc desc;
      desc.bufferBytes = 16000;
      std::shared_ptr<platform::SoundBuffer> buffer;
      ASSERT_EQ(platform::kSoundOk, device->createSoundBuffer(desc, buffer));
      ASSERT_EQ(platform::kSoundOk, buffer->play(1));
      expectDispositionsUnchanged("while sound is open");
      raise(SIGTERM);
      EXPECT_EQ(2 * round - 1, g_terminations) << "the host's handler did not run while sound is open";
    }
    expectDispositionsUnchanged("after sound is closed");
    raise(SIGTERM);
    EXPECT_EQ(2 * round, g_terminations) << "the host's handler did not run after sound is closed";
  }
}

}  // namespace
