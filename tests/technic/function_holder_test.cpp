#include "technic/function_holder.h"

#include <gtest/gtest.h>

#include "technic/free_function_obj.h"
#include "technic/member_function_obj.h"

namespace {

int answer() { return 42; }

struct Counter {
  int calls = 0;
  int next() { return ++calls; }
};

struct CountedFunction : function_obj_base<int> {
  explicit CountedFunction(int* deletions) : m_deletions(deletions) {}
  ~CountedFunction() override { ++*m_deletions; }
  int operator()() override { return 7; }
  int* m_deletions;
};

}  // namespace

TEST(FunctionHolder, CallsFreeAndMemberFunctionsAndSharesTheFunctionObject) {
  function_holder<int> free(new free_function_obj<int>(&answer));
  EXPECT_EQ(free.call(), 42);
  EXPECT_EQ((*free.operator->())(), 42);

  Counter counter;
  function_holder<int> member(new member_function_obj<int, Counter>(&Counter::next, &counter));
  EXPECT_EQ(member.call(), 1);
  EXPECT_EQ(member.call(), 2);
  EXPECT_EQ(counter.calls, 2);

  int deletions = 0;
  {
    function_holder<int> first(new CountedFunction(&deletions));
    {
      function_holder<int> copy(first);
      EXPECT_EQ(copy.call(), 7);
    }
    EXPECT_EQ(deletions, 0);
  }
  EXPECT_EQ(deletions, 1);
}

TEST(FunctionHolder, AnEmptyHolderReportsTheMisuse) {
  function_holder<int> empty;
  testing::internal::CaptureStdout();
  EXPECT_THROW(empty.call(), KXRuntimeError);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "SafePointer Report:class function_obj_base<int> Use NULL pointer ->\n");
}
