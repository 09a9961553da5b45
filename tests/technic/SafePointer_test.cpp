#include "technic/SafePointer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "technic/KXRuntimeError.h"

namespace {

struct Probe {
  static int destroyed;
  virtual ~Probe() { ++destroyed; }
  int value = 5;
};
int Probe::destroyed = 0;

}  // namespace

KX_SAFE_POINTER_TYPE_NAME(Probe, "class Probe");

namespace {

// Runs `action`, expecting a KXRuntimeError; gives its text and what was printed meanwhile.
template <class Action>
std::pair<std::string, std::string> misuse(Action action) {
  testing::internal::CaptureStdout();
  std::string what = "<nothing thrown>";
  try {
    action();
  } catch (const KXRuntimeError& error) {
    what = error.what();
  }
  return {what, testing::internal::GetCapturedStdout()};
}

}  // namespace

TEST(SafePointer, CopiesShareTheObjectAndTheLastHandleDeletesItOnce) {
  Probe::destroyed = 0;
  {
    SafePointer<Probe> first(new Probe);
    {
      SafePointer<Probe> copy(first);
      SafePointer<Probe> assigned;
      assigned = copy;
      SafePointer<Probe>& same = assigned;
      assigned = same;  // assigning a handle to itself changes nothing
      EXPECT_EQ(assigned->value, 5);
      copy->value = 6;
    }
    EXPECT_EQ(Probe::destroyed, 0);
    EXPECT_EQ(first->value, 6);

    SafePointer<Probe> other(new Probe);
    other = first;  // the target's own object goes with its last handle
    EXPECT_EQ(Probe::destroyed, 1);
  }
  EXPECT_EQ(Probe::destroyed, 2);
}

TEST(SafePointer, MisuseIsPrintedAndThrownWithTheClassName) {
  struct Case {
    const char* text;
    std::function<void()> action;
  };
  SafePointer<Probe> empty;
  const Case cases[] = {
      {"Use NULL pointer ->", [&] { (void)empty->value; }},
      {"Construct from NULL original pointer", [] { SafePointer<Probe> handle(nullptr); }},
      {"Construct from NULL <T>pointer", [&] { SafePointer<Probe> copy(empty); }},
      {"Assigned NULL <T>pointer",
       [&] {
         SafePointer<Probe> target(new Probe);
         target = empty;
       }},
  };
  for (const Case& c : cases) {
    std::string expected = std::string("SafePointer Report:class Probe ") + c.text;
    auto [what, printed] = misuse(c.action);
    EXPECT_EQ(what, expected);
    EXPECT_EQ(printed, expected + "\n");
  }
}

TEST(SafePointer, AStaleHandleIsReportedWithoutEndingTheProcess) {
  // A bitwise copy stands for a handle that escaped its count: its record is freed under it.
  Probe::destroyed = 0;
  alignas(SafePointer<Probe>) unsigned char storage[sizeof(SafePointer<Probe>)];
  SafePointer<Probe>* stale = reinterpret_cast<SafePointer<Probe>*>(storage);
  {
    SafePointer<Probe> real(new Probe);
    std::memcpy(static_cast<void*>(storage), static_cast<const void*>(&real), sizeof(storage));
  }
  EXPECT_EQ(Probe::destroyed, 1);

  auto copied = misuse([&] { SafePointer<Probe> copy(*stale); });
  EXPECT_EQ(copied.first, "not valid pointer in inc_reference ");
  EXPECT_EQ(copied.second, "");

  testing::internal::CaptureStdout();
  stale->~SafePointer<Probe>();  // used to throw out of the destructor, ending the process
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "SafePointer Report:class Probe not valid pointer in dec_reference\n");
  EXPECT_EQ(Probe::destroyed, 1);
}

TEST(KXRuntimeError, KeepsItsMessageAndCopies) {
  KXRuntimeError fromNull(static_cast<const char*>(nullptr));
  EXPECT_STREQ(fromNull.what(), "");
  KXRuntimeError original(std::string("boom"));
  KXRuntimeError copy = original;
  EXPECT_STREQ(copy.what(), "boom");
  const std::exception& base = copy;
  EXPECT_STREQ(base.what(), "boom");
}
