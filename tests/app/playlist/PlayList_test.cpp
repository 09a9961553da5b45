#include "app/playlist/PlayList.h"

#include <gtest/gtest.h>

#include "app/settings/AppPaths.h"
#include "app/settings/TextConversion.h"
#include "technic/PathUtilities.h"
#include "tests/app/AppTestSupport.h"

using app::PlayList;
using app::PlayListItem;

namespace {

std::u16string wide(const std::string& utf8) {
  std::u16string out;
  app::fromUtf8(utf8, out);
  return out;
}

std::vector<std::u16string> paths(const PlayList& list) {
  std::vector<std::u16string> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.itemAt(i).getPath());
  return out;
}

TEST(PlayList, PathsOfAnyKindRoundTripThroughTheListFile) {
  apptest::ScopedModuleDir dir;
  std::string longChinese;
  while (longChinese.size() < 400) longChinese += "/录像";  // 7 bytes each: far past one 299-byte read
  const std::u16string table[] = {
      u"/home/user/videos/camera01.ts",
      wide("/srv/录像/通道 01/2024-01-01 08.00.00.ts"),
      wide(longChinese + "/end.ts"),
      u"/media/with  two  spaces /file name.ts",
      u"C:\\windows\\style\\path.ts",
      std::u16string(400, u'a'),
  };
  PlayList list;
  int id = 10;
  for (const std::u16string& path : table) list.append(PlayListItem(id += 3, path));
  ASSERT_FALSE(pathExists(app::getConfigDir()));
  ASSERT_TRUE(list.save()) << "the config folder is created";

  std::string expected;
  for (const std::u16string& path : table) {
    std::string utf8;
    app::toUtf8(path, utf8);
    expected += utf8 + "\r\n";
  }
  EXPECT_EQ(apptest::readFile(app::getListFile()), expected);

  PlayList loaded;
  ASSERT_TRUE(loaded.load());
  ASSERT_EQ(loaded.count(), static_cast<int>(std::size(table)));
  for (int i = 0; i < loaded.count(); ++i) {
    const PlayListItem item = loaded.itemAt(i);
    EXPECT_EQ(item.getId(), i + 1) << "ids count the lines";
    EXPECT_EQ(item.getPath(), table[i]);
    EXPECT_EQ(item.getName(), PlayListItem::nameFromPath(table[i]));
  }
  EXPECT_EQ(loaded.itemAt(1).getName(), wide("2024-01-01 08.00.00.ts"));
  EXPECT_EQ(loaded.itemAt(4).getName(), u"path.ts");
  // Written again, the file is byte for byte the same.
  ASSERT_TRUE(loaded.save());
  EXPECT_EQ(apptest::readFile(app::getListFile()), expected);
}

TEST(PlayList, AHandWrittenFileWithLineFeedsReadsCorrectly) {
  apptest::ScopedModuleDir dir;
  ASSERT_TRUE(app::ensureConfigDir());
  ASSERT_TRUE(apptest::writeFile(app::getListFile(), "/a/one.ts\n\n/b/二.ts\r\n/c/three.ts"));
  PlayList list;
  ASSERT_TRUE(list.load());
  EXPECT_EQ(paths(list), (std::vector<std::u16string>{u"/a/one.ts", u"", wide("/b/二.ts"), u"/c/three.ts"}));
  EXPECT_EQ(list.itemAt(3).getId(), 4) << "the empty line counts";
}

TEST(PlayList, EmptyStoreAndMissingFile) {
  apptest::ScopedModuleDir dir;
  PlayList list;
  list.append(PlayListItem(1, u"/stale.ts"));
  EXPECT_FALSE(list.load());
  EXPECT_EQ(list.count(), 0);
  ASSERT_TRUE(list.save());
  EXPECT_EQ(apptest::readFile(app::getListFile()), "");
  EXPECT_TRUE(list.load());
  EXPECT_EQ(list.count(), 0);
}

TEST(PlayList, SearchAndEditOperations) {
  PlayList list;
  EXPECT_EQ(list.nextId(), 1);
  list.append(PlayListItem(1, u"/x/a.ts"));
  list.append(PlayListItem(5, u"/x/b.ts"));
  list.append(PlayListItem(3, u"/x/c.ts"));
  EXPECT_EQ(list.nextId(), 6);

  PlayListItem item;
  EXPECT_TRUE(list.findById(3, item));
  EXPECT_EQ(item.getPath(), u"/x/c.ts");
  EXPECT_EQ(item.getName(), u"c.ts");
  PlayListItem untouched(99, u"/keep");
  EXPECT_FALSE(list.findById(4, untouched));
  EXPECT_EQ(untouched.getId(), 99);

  int id = -1;
  EXPECT_TRUE(list.findByPath(u"/x/b.ts", id));
  EXPECT_EQ(id, 5);
  EXPECT_FALSE(list.findByPath(u"/X/B.ts", id)) << "letter case matters";
  EXPECT_EQ(id, 0);

  EXPECT_FALSE(list.insertBefore(42, PlayListItem(7, u"/x/d.ts")));
  EXPECT_EQ(list.count(), 3);
  EXPECT_TRUE(list.insertBefore(5, PlayListItem(7, u"/x/d.ts")));
  EXPECT_EQ(paths(list), (std::vector<std::u16string>{u"/x/a.ts", u"/x/d.ts", u"/x/b.ts", u"/x/c.ts"}));

  list.removeById(7);
  list.removeById(42);
  EXPECT_EQ(list.nextId(), 6);
  list.removeById(5);
  EXPECT_EQ(list.nextId(), 4) << "the largest id is given again once removed";
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.nextId(), 1);
}

TEST(PlayList, OneStoreForTheProcess) { EXPECT_EQ(&PlayList::getInstance(), &PlayList::getInstance()); }

}  // namespace
