#include "media/AVData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(AVData, NewRecordHasItsDefaults) {
  AVData frame;
  EXPECT_EQ(frame.getEncoderType(), 255);
  EXPECT_EQ(frame.getImageFormatId(), 1);
  EXPECT_EQ(frame.getVideoSystem(), 1);
  EXPECT_FALSE(frame.getDiscontinuityIndicator());
  EXPECT_EQ(frame.getData(), nullptr);
  EXPECT_EQ(frame.getDataLength(), 0);
  EXPECT_EQ(frame.getBufferSize(), 0u);
  EXPECT_STREQ(frame.getDeviceId(), "");
  EXPECT_EQ(frame.getPrivateData(), nullptr);
}

// Ownership: what each operation does to data pointer, data length and buffer size, from a fresh
// record, a borrowing one and an owning one.
enum class Start { Fresh, Borrowing, Owning };
enum class Op { Alloc100, AllocZero, AllocHuge, SetDataHuge, Free, SetData, CopyData40, CopyData100, CopyData101, CopyNull, SetDataNull };

struct OwnershipCase {
  const char* name;
  Start start;
  Op op;
  bool result;
  enum { Null, Caller, Own } data;
  int length;
  unsigned bufferSize;
};

void PrintTo(const OwnershipCase& c, std::ostream* os) { *os << c.name; }

class AVDataOwnership : public ::testing::TestWithParam<OwnershipCase> {};

TEST_P(AVDataOwnership, Table) {
  const OwnershipCase& c = GetParam();
  static char caller[200];
  static char other[200];
  std::memset(caller, 'c', sizeof(caller));
  std::memset(other, 'o', sizeof(other));
  AVData frame;
  const char* own = nullptr;
  if (c.start == Start::Borrowing) {
    ASSERT_TRUE(frame.setData(caller, 30));
  }
  if (c.start == Start::Owning) {
    ASSERT_TRUE(frame.alloc(100));
    ASSERT_TRUE(frame.copyData(other, 20));
    own = frame.getData();
  }
  bool result = true;
  switch (c.op) {
    case Op::Alloc100: result = frame.alloc(100); break;
    case Op::AllocZero: result = frame.alloc(0); break;
    case Op::AllocHuge: result = frame.alloc(0x80000000u); break;
    case Op::SetDataHuge: result = frame.setData(caller, 0x80000000u); break;
    case Op::Free: frame.free(); break;
    case Op::SetData: result = frame.setData(caller, 50); break;
    case Op::CopyData40: result = frame.copyData(other, 40); break;
    case Op::CopyData100: result = frame.copyData(other, 100); break;
    case Op::CopyData101: result = frame.copyData(other, 101); break;
    case Op::CopyNull: result = frame.copyData(nullptr, 10); break;
    case Op::SetDataNull: result = frame.setData(nullptr, 10); break;
  }
  EXPECT_EQ(result, c.result);
  switch (c.data) {
    case OwnershipCase::Null: EXPECT_EQ(frame.getData(), nullptr); break;
    case OwnershipCase::Caller: EXPECT_EQ(frame.getData(), caller); break;
    case OwnershipCase::Own:
      EXPECT_NE(frame.getData(), nullptr);
      EXPECT_NE(frame.getData(), caller);
      if (own != nullptr) {
        EXPECT_EQ(frame.getData(), own);
      }
      break;
  }
  EXPECT_EQ(frame.getDataLength(), c.length);
  EXPECT_EQ(frame.getBufferSize(), c.bufferSize);
  if (c.op == Op::CopyData40 && c.result) {
    EXPECT_EQ(std::string(frame.getData(), 40), std::string(40, 'o'));
  }
  // The caller's bytes are never touched.
  EXPECT_EQ(std::string(caller, sizeof(caller)), std::string(sizeof(caller), 'c'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AVDataOwnership,
    ::testing::Values(
        OwnershipCase{"FreshAlloc", Start::Fresh, Op::Alloc100, true, OwnershipCase::Own, 0, 100},
        OwnershipCase{"FreshAllocZeroOwnsNothing", Start::Fresh, Op::AllocZero, false, OwnershipCase::Null, 0, 0},
        OwnershipCase{"FreshAllocBeyondIntRefused", Start::Fresh, Op::AllocHuge, false, OwnershipCase::Null, 0, 0},
        OwnershipCase{"BorrowingSetDataBeyondIntRefused", Start::Borrowing, Op::SetDataHuge, false, OwnershipCase::Caller, 30, 0},
        OwnershipCase{"FreshFree", Start::Fresh, Op::Free, true, OwnershipCase::Null, 0, 0},
        OwnershipCase{"FreshSetDataBorrows", Start::Fresh, Op::SetData, true, OwnershipCase::Caller, 50, 0},
        OwnershipCase{"FreshCopyWithoutBuffer", Start::Fresh, Op::CopyData40, false, OwnershipCase::Null, 0, 0},
        OwnershipCase{"FreshSetDataNull", Start::Fresh, Op::SetDataNull, false, OwnershipCase::Null, 0, 0},
        OwnershipCase{"BorrowingAllocRefused", Start::Borrowing, Op::Alloc100, false, OwnershipCase::Caller, 30, 0},
        OwnershipCase{"BorrowingFreeKeepsPointerAndLength", Start::Borrowing, Op::Free, true, OwnershipCase::Caller, 30, 0},
        OwnershipCase{"BorrowingCopyRefused", Start::Borrowing, Op::CopyData40, false, OwnershipCase::Caller, 30, 0},
        OwnershipCase{"BorrowingSetDataRebinds", Start::Borrowing, Op::SetData, true, OwnershipCase::Caller, 50, 0},
        OwnershipCase{"OwningAllocRefused", Start::Owning, Op::Alloc100, false, OwnershipCase::Own, 20, 100},
        OwnershipCase{"OwningFreeReleases", Start::Owning, Op::Free, true, OwnershipCase::Null, 0, 0},
        OwnershipCase{"OwningCopy40", Start::Owning, Op::CopyData40, true, OwnershipCase::Own, 40, 100},
        OwnershipCase{"OwningCopyWholeBuffer", Start::Owning, Op::CopyData100, true, OwnershipCase::Own, 100, 100},
        OwnershipCase{"OwningCopyOneByteTooMany", Start::Owning, Op::CopyData101, false, OwnershipCase::Own, 20, 100},
        OwnershipCase{"OwningCopyNull", Start::Owning, Op::CopyNull, false, OwnershipCase::Own, 20, 100},
        // Borrowing after owning releases the owned buffer, so that the record never takes the
        // caller's bytes for its own (a later free would release them).
        OwnershipCase{"OwningSetDataReleasesOwnBuffer", Start::Owning, Op::SetData, true, OwnershipCase::Caller, 50, 0}),
    [](const ::testing::TestParamInfo<OwnershipCase>& info) { return std::string(info.param.name); });

TEST(AVData, CopyOfAnOwningRecordHasItsOwnBytes) {
  AVData source;
  ASSERT_TRUE(source.alloc(64));
  ASSERT_TRUE(source.copyData("frame bytes", 11));
  source.setSequenceId(7);
  source.setTimeStamp(-5);
  ASSERT_TRUE(source.setDeviceId("camera-1"));
  char privateBytes[4] = {1, 2, 3, 4};
  source.setPrivateData(privateBytes, 4);

  AVData copy(source);
  AVData assigned;
  ASSERT_TRUE(assigned.alloc(8));  // its old buffer must be released, not leaked
  assigned = source;
  for (AVData* target : {&copy, &assigned}) {
    EXPECT_NE(target->getData(), source.getData());
    EXPECT_EQ(std::string(target->getData(), 11), "frame bytes");
    EXPECT_EQ(target->getDataLength(), 11);
    EXPECT_EQ(target->getBufferSize(), 64u);
    EXPECT_EQ(target->getSequenceId(), 7u);
    EXPECT_EQ(target->getTimeStamp(), -5);
    EXPECT_STREQ(target->getDeviceId(), "camera-1");
    EXPECT_EQ(target->getPrivateData(), privateBytes);  // private data stays borrowed
    EXPECT_EQ(target->getPrivateDataLen(), 4u);
  }
  source.free();  // each record releases only its own buffer (ASan reports a double free otherwise)
  EXPECT_EQ(std::string(copy.getData(), 11), "frame bytes");
  assigned = assigned;
  EXPECT_EQ(std::string(assigned.getData(), 11), "frame bytes");
}

TEST(AVData, CopyOfABorrowingRecordBorrowsTheSameBytes) {
  const char bytes[] = "borrowed";
  AVData source;
  ASSERT_TRUE(source.setData(bytes, 8));
  AVData copy;
  copy = source;
  EXPECT_EQ(copy.getData(), bytes);
  EXPECT_EQ(copy.getDataLength(), 8);
  EXPECT_EQ(copy.getBufferSize(), 0u);
}

TEST(AVData, DeviceIdOfAtMost32Characters) {
  AVData frame;
  const std::string exact(32, 'a');
  EXPECT_TRUE(frame.setDeviceId(exact.c_str()));
  EXPECT_EQ(frame.getDeviceId(), exact);
  EXPECT_FALSE(frame.setDeviceId(std::string(33, 'b').c_str()));
  EXPECT_EQ(frame.getDeviceId(), exact);
  EXPECT_FALSE(frame.setDeviceId(nullptr));
  EXPECT_EQ(frame.getDeviceId(), exact);
}
