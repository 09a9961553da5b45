// The generated skin: every image the windows load exists at the size their layouts need, and the
// generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/app/AppTestSupport.h"

namespace {

struct Expected {
  const char* name;
  int width;
  int height;
};

// Sizes the layouts imply: the main window's top strip is 25 pixels, its bottom strip 76 and its
// sides 10; the list panel keeps 25 pixels at the top for its buttons, 3 at the sides and 5 at the
// bottom; button strips hold four frames of the size that fits between their neighbours' offsets.
const Expected kImages[] = {
    {"left_top_bkimg.bmp", 10, 25}, {"top_middle_bkimg.bmp", 8, 25}, {"right_top_bkimg.bmp", 10, 25},
    {"left_middle_bkimg.bmp", 10, 8}, {"right_middle_bkimg.bmp", 10, 8}, {"left_bottom_bkimg.bmp", 10, 76},
    {"bottom_middle_bkimg.bmp", 8, 76}, {"right_bottom_bkimg.bmp", 10, 76}, {"middle_bkimg.bmp", 8, 8},
    {"play_ctrl_bkimg.bmp", 345, 76}, {"middle_logo.bmp", 200, 80},
    {"list_left_top_bkimg.bmp", 4, 25}, {"list_top_middle_bkimg.bmp", 8, 25}, {"list_right_top_bkimg.bmp", 4, 25},
    {"list_left_middle_bkimg.bmp", 3, 8}, {"list_right_middle_bkimg.bmp", 3, 8},
    {"list_left_bottom_bkimg.bmp", 4, 5}, {"list_bottom_middle_bkimg.bmp", 8, 5},
    {"list_right_bottom_bkimg.bmp", 4, 5}, {"list_middle_bkimg.bmp", 8, 8},
    {"seek_channel_filled.bmp", 40, 18}, {"seek_channel.bmp", 40, 18}, {"seek_thumb.bmp", 36, 10},
    {"volume_channel_filled.bmp", 40, 16}, {"volume_channel.bmp", 40, 16}, {"volume_thumb.bmp", 36, 12},
    {"app_icon.png", 32, 32}, {"drag_cursor.png", 32, 32},
    {"btn/open.png", 96, 22}, {"btn/play.png", 160, 40}, {"btn/pause.png", 160, 40}, {"btn/stop.png", 128, 32},
    {"btn/play_slow.png", 96, 24}, {"btn/play_fast.png", 96, 24}, {"btn/previous_frame.png", 96, 24},
    {"btn/next_frame.png", 96, 24}, {"btn/previous_file.png", 96, 24}, {"btn/next_file.png", 96, 24},
    {"btn/snapshot.png", 120, 30}, {"btn/volume.png", 96, 24}, {"btn/scr_full.png", 72, 18},
    {"btn/scr_max.png", 72, 18}, {"btn/scr_min.png", 72, 18}, {"btn/scr_close.png", 72, 18},
    {"btn/set.png", 96, 18}, {"btn/expand_open.png", 28, 90}, {"btn/expand_close.png", 28, 90},
    {"btn/add.png", 104, 18}, {"btn/delete.png", 104, 18}, {"btn/mode.png", 104, 18}, {"btn/clear.png", 104, 18},
    {"btn/select.png", 104, 18},
};

const QString imagesDir() { return QString::fromUtf8(KX_APP_DATA_DIR) + QStringLiteral("/images/"); }

TEST(SkinImages, EveryImageExistsAtItsSize) {
  int bitmaps = 0, strips = 0;
  for (const Expected& expected : kImages) {
    const QString path = imagesDir() + QLatin1String(expected.name);
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << expected.name;
    EXPECT_EQ(image.size(), QSize(expected.width, expected.height)) << expected.name;
    if (path.endsWith(QLatin1String(".bmp"))) {
      ++bitmaps;
      const std::string bytes = apptest::readFile(path.toStdString());
      ASSERT_GT(bytes.size(), 30u);
      EXPECT_EQ(bytes.substr(0, 2), "BM") << expected.name;
      EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24) << expected.name << ": a 24-bit bitmap";
    } else if (path.contains(QLatin1String("/btn/"))) {
      ++strips;
      EXPECT_TRUE(image.hasAlphaChannel()) << expected.name;
      // Round and rounded buttons: the corner is transparent (presses there are ignored), the
      // centre of every frame opaque.
      EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << expected.name;
      const int frame = image.width() / 4;
      for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(qAlpha(image.pixel(f * frame + frame / 2, image.height() / 2)), 255) << expected.name << " " << f;
      }
    }
  }
  EXPECT_EQ(bitmaps, 26);  // 20 skin bitmaps and 6 slider bitmaps
  EXPECT_EQ(strips, 24);
}

TEST(SkinImages, TheGeneratorWritesTheSameBytesEveryRun) {
  QTemporaryDir out;
  QProcess generator;
  generator.start(QString::fromUtf8(KX_SKIN_GENERATOR), {out.path()});
  ASSERT_TRUE(generator.waitForFinished(60000));
  ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
  int compared = 0;
  QDirIterator files(out.path(), QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    const QString relative = QDir(out.path()).relativeFilePath(path);
    EXPECT_EQ(apptest::readFile(path.toStdString()), apptest::readFile((imagesDir() + relative).toStdString()))
        << relative.toStdString();
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(std::size(kImages)));
}

}  // namespace
