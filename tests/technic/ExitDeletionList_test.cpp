#include "technic/ExitDeletionList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Named {
  Named(std::string* log, char name) : m_log(log), m_name(name) {}
  virtual ~Named() { *m_log += m_name; }
  std::string* m_log;
  char m_name;
};

struct Announcer {
  explicit Announcer(const char* text) : m_text(text) {}
  virtual ~Announcer() { std::fprintf(stderr, "%s deleted\n", m_text); }
  const char* m_text;
};

}  // namespace

TEST(ExitDeletionList, DeletesTheLastRegisteredFirst) {
  std::string log;
  {
    ExitDeletionList list;
    list.add(new Named(&log, 'A'));
    list.add(new Named(&log, 'B'));
    list.add(static_cast<Named*>(nullptr));
    list.add(new Named(&log, 'C'));
  }
  EXPECT_EQ(log, "CBA");
}

TEST(ExitDeletionListDeathTest, TheProcessWideListRunsAtExit) {
  EXPECT_EXIT(
      {
        ExitDeletionList::registerAtExit(new Announcer("A"));
        ExitDeletionList::registerAtExit(new Announcer("B"));
        std::exit(0);
      },
      testing::ExitedWithCode(0), "B deleted\nA deleted\n");
}
