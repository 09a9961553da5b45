#include "technic/SafePointerRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "technic/KXRuntimeError.h"

namespace {

int g_objects[4];
void* object(int i) { return &g_objects[i % 4]; }

}  // namespace

TEST(SafePointerRegistry, HandsOutRecordsFromOnePassingOverTheHintAndGrowsBy128) {
  SafePointerRegistry registry;
  EXPECT_EQ(registry.getRecordCount(), 128u);
  for (int expected = 1; expected <= 127; ++expected) {
    SafePointerRecord* record = registry.allocate(object(expected), "class Probe");
    ASSERT_EQ(record->index, expected);
    EXPECT_EQ(record->count, 1);
    EXPECT_EQ(record->pointer, object(expected));
  }
  EXPECT_EQ(registry.getRecordCount(), 128u);
  SafePointerRecord* grown = registry.allocate(object(0), "class Probe");
  EXPECT_EQ(grown->index, 128);
  EXPECT_EQ(registry.getRecordCount(), 256u);
  EXPECT_FALSE(registry.isInUse(0)) << "record 0 sat at the hint the whole time";
}

TEST(SafePointerRegistry, TheLastReleasedRecordIsNotHandedOutAgainAtOnce) {
  SafePointerRegistry registry;
  std::vector<SafePointerRecord*> records(128, nullptr);
  for (int i = 1; i <= 127; ++i) records[i] = registry.allocate(object(i), "class Probe");
  registry.release(records[40], "class Probe");
  EXPECT_FALSE(registry.isInUse(40));
  EXPECT_EQ(records[40]->pointer, nullptr);
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 0) << "the search wraps round to the words before";
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 128) << "40 is the only free one: the table grows";
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 129);
  registry.release(registry.allocate(object(1), "class Probe"), "class Probe");  // record 130, now the hint
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 131);
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 132);
  registry.release(records[5], "class Probe");  // the hint moves to word 0: the words after it come next
  EXPECT_EQ(registry.allocate(object(1), "class Probe")->index, 40);
}

TEST(SafePointerRegistry, DoubleReleaseThrowsWithTheStoredPointer) {
  SafePointerRegistry registry;
  SafePointerRecord* record = registry.allocate(object(2), "class Probe");
  registry.release(record, "class Probe");
  try {
    registry.release(record, "class Probe");
    FAIL() << "no exception";
  } catch (const KXRuntimeError& error) {
    EXPECT_STREQ(error.what(), "double free poniter(0x00000000)");
  }
  // The registry is left unlocked: it still works.
  EXPECT_NE(registry.allocate(object(2), "class Probe"), nullptr);
}

TEST(SafePointerRegistry, WarnsAbove19000RecordsAndRefusesToGrowPast20000) {
  SafePointerRegistry registry;
  testing::internal::CaptureStdout();
  while (registry.getRecordCount() < 19072) registry.allocate(object(1), "class Probe");
  testing::internal::GetCapturedStdout();

  testing::internal::CaptureStdout();
  SafePointerRecord* record = registry.allocate(object(3), "class Probe");
  registry.release(record, "class Probe");
  std::string printed = testing::internal::GetCapturedStdout();
  char expected[512];
  std::snprintf(expected, sizeof(expected),
                "Warning:too many SafePointer! new class Probe, pointer = 0x%08lx, current SafePointor total num = 19072\n"
                "Warning:too many SafePointer! delete class Probe, pointer = 0x%08lx, current SafePointor total num = 19072\n",
                reinterpret_cast<unsigned long>(object(3)), reinterpret_cast<unsigned long>(object(3)));
  EXPECT_EQ(printed, expected);

  testing::internal::CaptureStdout();
  std::string thrown;
  try {
    for (;;) registry.allocate(object(1), "class Probe");
  } catch (const KXRuntimeError& error) {
    thrown = error.what();
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(thrown, "too much safe poniter");
  EXPECT_EQ(registry.getRecordCount(), 20096u);
}
