#include "app/settings/PrivateProfile.h"

#include <gtest/gtest.h>

#include "tests/app/AppTestSupport.h"

using app::PrivateProfile;

namespace {

class PrivateProfileTest : public ::testing::Test {
 protected:
  std::string file() const { return m_dir.path() + "test.ini"; }
  apptest::ScopedModuleDir m_dir;
};

TEST_F(PrivateProfileTest, ReadsFollowTheFileAsItStands) {
  ASSERT_TRUE(apptest::writeFile(file(),
                                 "\xEF\xBB\xBF; a comment\r\n"
                                 "[Play_Mode]\r\n"
                                 "  PlayMode =  55zz  \r\n"
                                 "Negative=-7\r\n"
                                 "Empty=\r\n"
                                 "Letters=zz\r\n"
                                 ";Hidden=3\r\n"
                                 "Huge=99999999999\r\n"
                                 "[ second ]\n"
                                 "Text =  a value with  inner  blanks \n"
                                 "[PLAY_MODE]\n"
                                 "Later=1\n"));
  struct Case {
    const char* section;
    const char* key;
    int expected;
  };
  const Case cases[] = {
      {"PLAY_MODE", "PlayMode", 55},     // case-insensitive section, trimmed key, leading integer
      {"play_mode", "PLAYMODE", 55},     //
      {"PLAY_MODE", "Negative", -7},     //
      {"PLAY_MODE", "Empty", 42},        // an empty value gives the default
      {"PLAY_MODE", "Letters", 0},       // no digits: 0
      {"PLAY_MODE", "Hidden", 42},       // commented out
      {"PLAY_MODE", "Huge", 2147483647}, // saturates
      {"PLAY_MODE", "Missing", 42},      // missing key
      {"NOSUCH", "PlayMode", 42},        // missing section
      {"PLAY_MODE", "Later", 42},        // only the first section of a name counts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrivateProfile::getInt(c.section, c.key, 42, file()), c.expected) << c.section << " " << c.key;
  }
  EXPECT_EQ(PrivateProfile::getString("Second", "text", "none", file()), "a value with  inner  blanks");
  EXPECT_EQ(PrivateProfile::getString("second", "Other", "none", file()), "none");
  EXPECT_EQ(PrivateProfile::getInt("PLAY_MODE", "PlayMode", 42, m_dir.path() + "missing.ini"), 42);
  EXPECT_EQ(PrivateProfile::getString("a", "b", "default", m_dir.path() + "missing.ini"), "default");
}

TEST_F(PrivateProfileTest, WritesGoStraightToTheFileAndKeepTheRest) {
  EXPECT_TRUE(PrivateProfile::writeString("LANGUAGE", "Language", "2", file()));  // creates the file
  EXPECT_EQ(apptest::readFile(file()), "[LANGUAGE]\nLanguage=2\n");
  // A second reader sees each write at once: nothing is cached.
  EXPECT_EQ(PrivateProfile::getInt("language", "language", 1, file()), 2);
  EXPECT_TRUE(PrivateProfile::writeString("language", "LANGUAGE", "1", file()));
  EXPECT_EQ(PrivateProfile::getInt("LANGUAGE", "Language", 0, file()), 1);
  EXPECT_TRUE(PrivateProfile::writeString("SNAPSHOT", "SnapShotPath", "/home/user/视频/", file()));
  EXPECT_TRUE(PrivateProfile::writeString("LANGUAGE", "Other", "x", file()));
  EXPECT_EQ(apptest::readFile(file()), "[LANGUAGE]\nLanguage=1\nOther=x\n[SNAPSHOT]\nSnapShotPath=/home/user/视频/\n");
  EXPECT_EQ(PrivateProfile::getString("snapshot", "snapshotpath", "", file()), "/home/user/视频/");
}

TEST_F(PrivateProfileTest, WritesKeepCommentsBlankLinesAndLineEnds) {
  ASSERT_TRUE(apptest::writeFile(file(), "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2"));
  EXPECT_TRUE(PrivateProfile::writeString("A", "z", "3", file()));
  EXPECT_TRUE(PrivateProfile::writeString("B", "y", "4", file()));
  EXPECT_EQ(apptest::readFile(file()), "; keep me\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=4");
}

TEST_F(PrivateProfileTest, WritesKeepTheMeaningOfOddFiles) {
  struct Case {
    const char* what;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"a last line ended by a lone carriage return", "[A]\nx=1\r", "[A]\nx=1\r\n[B]\ny=2\n"},
      {"a byte-order mark is kept, so a second one stays text",
       "\xEF\xBB\xBF\xEF\xBB\xBF[B]\ny=1\n", "\xEF\xBB\xBF\xEF\xBB\xBF[B]\ny=1\n[B]\ny=2\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(apptest::writeFile(file(), c.before));
    EXPECT_TRUE(PrivateProfile::writeString("B", "y", "2", file())) << c.what;
    EXPECT_EQ(apptest::readFile(file()), c.after) << c.what;
    EXPECT_EQ(PrivateProfile::getInt("B", "y", 0, file()), 2) << c.what;
  }
}

TEST_F(PrivateProfileTest, RefusedWritesLeaveTheFileAsItWas) {
  ASSERT_TRUE(apptest::writeFile(file(), "[A]\nx=1\n"));
  EXPECT_FALSE(PrivateProfile::writeString("A", "x", "two\nlines", file()));
  EXPECT_FALSE(PrivateProfile::writeString("A", "", "1", file()));
  EXPECT_FALSE(PrivateProfile::writeString("A", "x", "1", m_dir.path() + "no/such/folder/test.ini"));
  EXPECT_EQ(apptest::readFile(file()), "[A]\nx=1\n");
}

}  // namespace
