// The file player facade: one engine per open, made only for a recording of a known type; the kept
// settings reach every engine, in their fixed order; every forwarder answers -4 (or false / null)
// without an engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "player/KXPlayerResult.h"
#include "player/file/FilePlayer.h"
#include "support/TestPaths.h"
#include "tests/player/file/MockFilePlayerEngine.h"

using ::testing::_;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrictMock;

namespace {

std::string writeBytes(const std::string& name, const std::string& bytes) {
  static const std::string folder = kxtest::scratchDir("FilePlayer");
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string transportStreamFile() {
  std::string bytes(376, '\0');
  bytes[0] = bytes[188] = '\x47';
  return writeBytes("two-packets.ts", bytes);
}

std::string frameHeadFile() { return writeBytes("head.kxav", "t~a!v@ri%n" + std::string(400, '\0')); }

void onFileEnd(long, void*) {}

// The kept settings an open or play pushes, in any number, for tests about something else.
void allowSettings(MockFilePlayerEngine& engine) {
  EXPECT_CALL(engine, setFileType(_)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setDrawVideoFlag(_)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setAutoResizeFlag(_)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setStretchMode(_)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setRenderMode(_)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setVideoWindow(::testing::An<HWND>())).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, resizeWindow(_, _, _, _)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setNotifyWindow(_, _, _)).Times(::testing::AnyNumber());
  EXPECT_CALL(engine, setNotifyWindowEX(_, _, _, _)).Times(::testing::AnyNumber());
}

// A facade whose engines are mocks that the test sets up as they are made.
struct Facade {
  std::function<void(MockFilePlayerEngine&)> expect = [](MockFilePlayerEngine&) {};
  int made = 0;
  FilePlayer player{[this] {
    auto engine = std::make_unique<StrictMock<MockFilePlayerEngine>>();
    ++made;
    expect(*engine);
    return std::unique_ptr<FilePlayerBase>(std::move(engine));
  }};
};

TEST(FilePlayer, OpenPushesTheTypeAndTheKeptSettingsInOrder) {
  Facade facade;
  int notifyParam = 0;
  int user = 0;
  facade.player.setDrawVideoFlag(false);
  facade.player.setAutoResizeFlag(true);
  facade.player.setStretchMode(true);
  facade.player.setRenderMode(3);
  facade.player.setVideoWindow(77, 1, 2, 3, 4);
  facade.player.resizeWindow(5, 6, 7, 8);
  facade.player.setNotifyWindow(88, 0x7E8, &notifyParam);
  facade.player.setNotifyWindowEX(99, 0x7E9, 11, 12);
  facade.player.setFileEndCallback(42, &onFileEnd, &user);
  const std::string path = frameHeadFile();
  facade.expect = [&](MockFilePlayerEngine& engine) {
    InSequence order;
    EXPECT_CALL(engine, setFileType(2));
    EXPECT_CALL(engine, setDrawVideoFlag(false));
    EXPECT_CALL(engine, setAutoResizeFlag(true));
    EXPECT_CALL(engine, setStretchMode(true));
    EXPECT_CALL(engine, setRenderMode(3));
    EXPECT_CALL(engine, setVideoWindow(77u));
    EXPECT_CALL(engine, resizeWindow(5, 6, 7, 8));
    EXPECT_CALL(engine, setNotifyWindow(99u, 0x7E9u, &notifyParam));
    EXPECT_CALL(engine, setNotifyWindowEX(99u, 0x7E9u, 11L, 12L));
    // The engine calls back through the facade, which then calls the callback given here.
    EXPECT_CALL(engine, setFileEndCallback(42L, ::testing::NotNull(), ::testing::NotNull()));
    EXPECT_CALL(engine, open(::testing::StrEq(path))).WillOnce(Return(-103));
    EXPECT_CALL(engine, close());
  };
  // The engine's open result is returned as it is, and the engine stays.
  EXPECT_EQ(facade.player.open(path.c_str()), -103);
  EXPECT_EQ(facade.made, 1);
}

TEST(FilePlayer, PlayPushesTheSettingsAgainWithoutTheType) {
  Facade facade;
  facade.expect = [](MockFilePlayerEngine& engine) {
    EXPECT_CALL(engine, setFileType(1));
    EXPECT_CALL(engine, setDrawVideoFlag(true)).Times(2);
    EXPECT_CALL(engine, setAutoResizeFlag(false)).Times(2);
    EXPECT_CALL(engine, setStretchMode(false)).Times(2);
    EXPECT_CALL(engine, setRenderMode(0)).Times(2);
    EXPECT_CALL(engine, setVideoWindow(0u)).Times(2);
    EXPECT_CALL(engine, resizeWindow(0, 0, 0, 0)).Times(2);
    EXPECT_CALL(engine, setNotifyWindow(0u, 0u, nullptr)).Times(2);
    EXPECT_CALL(engine, setNotifyWindowEX(0u, 0u, 0L, 0L)).Times(2);
    EXPECT_CALL(engine, setFileEndCallback(0L, nullptr, nullptr)).Times(2);
    EXPECT_CALL(engine, open(_)).WillOnce(Return(0));
    EXPECT_CALL(engine, play()).WillOnce(Return(-605));
    EXPECT_CALL(engine, close());
  };
  ASSERT_EQ(facade.player.open(transportStreamFile().c_str()), 0);
  EXPECT_EQ(facade.player.play(), -605);
}

TEST(FilePlayer, SniffingFailuresMakeNoEngine) {
  Facade facade;
  EXPECT_EQ(facade.player.open(nullptr), KXPLAYER_MISSING_ARGUMENT);
  EXPECT_EQ(facade.player.open(writeBytes("short.ts", std::string(375, '\x47')).c_str()), KXPLAYER_FILE_UNREADABLE);
  EXPECT_EQ(facade.player.open(writeBytes("neither.bin", std::string(950, '\x01')).c_str()), KXPLAYER_WRONG_FORMAT);
  EXPECT_EQ(facade.player.open((kxtest::scratchDir("FilePlayerMissing") + "/none.ts").c_str()),
            KXPLAYER_FILE_OPEN_FAILED);
  EXPECT_EQ(facade.made, 0);
  EXPECT_EQ(facade.player.play(), KXPLAYER_MISSING_ARGUMENT);
}

TEST(FilePlayer, OneEngineAtATimeEachOpenReplacesTheLast) {
  Facade facade;
  int closes = 0;
  facade.expect = [&](MockFilePlayerEngine& engine) {
    EXPECT_CALL(engine, open(_)).WillOnce(Return(0));
    EXPECT_CALL(engine, close()).WillOnce([&] { ++closes; });
    allowSettings(engine);
    EXPECT_CALL(engine, setFileEndCallback(_, _, _)).Times(::testing::AnyNumber());
    EXPECT_CALL(engine, getPlayStatus()).WillRepeatedly(Return(facade.made));
  };
  ASSERT_EQ(facade.player.open(transportStreamFile().c_str()), 0);
  EXPECT_EQ(facade.player.getPlayStatus(), 1);
  ASSERT_EQ(facade.player.open(frameHeadFile().c_str()), 0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(facade.player.getPlayStatus(), 2);
  facade.player.close();
  EXPECT_EQ(closes, 2);
  EXPECT_EQ(facade.player.getPlayStatus(), KXPLAYER_MISSING_ARGUMENT);
  facade.player.close();  // nothing held: nothing happens
  EXPECT_EQ(closes, 2);
}

TEST(FilePlayer, WithoutAnEngineEveryOperationAnswersMissing) {
  FilePlayer player;
  long l = 5;
  float f = 0.5f;
  int i = 6, j = 7;
  const std::vector<std::pair<const char*, std::function<int()>>> operations = {
      {"play", [&] { return player.play(); }},
      {"pause", [&] { return player.pause(); }},
      {"stop", [&] { return player.stop(); }},
      {"getPlayStatus", [&] { return player.getPlayStatus(); }},
      {"playNextFrame", [&] { return player.playNextFrame(); }},
      {"playPreviousFrame", [&] { return player.playPreviousFrame(); }},
      {"getDuration", [&] { return player.getDuration(l); }},
      {"getPlayPosByTime", [&] { return player.getPlayPosByTime(l); }},
      {"setPlayPosByTime", [&] { return player.setPlayPosByTime(1); }},
      {"getPlayPosByPercent", [&] { return player.getPlayPosByPercent(l); }},
      {"setPlayPosByPercent", [&] { return player.setPlayPosByPercent(1); }},
      {"getRate", [&] { return player.getRate(f); }},
      {"setRate", [&] { return player.setRate(2.0f); }},
      {"getFileTotalFrames", [&] { return player.getFileTotalFrames(l); }},
      {"getPlayedFrames", [&] { return player.getPlayedFrames(l); }},
      {"setCurrentFrameNum", [&] { return player.setCurrentFrameNum(3); }},
      {"setVideoBrightness", [&] { return player.setVideoBrightness(1); }},
      {"getVideoBrightness", [&] { return player.getVideoBrightness(i); }},
      {"setVideoContrast", [&] { return player.setVideoContrast(1); }},
      {"getVideoContrast", [&] { return player.getVideoContrast(i); }},
      {"setVideoHue", [&] { return player.setVideoHue(1); }},
      {"getVideoHue", [&] { return player.getVideoHue(i); }},
      {"setVideoSaturation", [&] { return player.setVideoSaturation(1); }},
      {"getVideoSaturation", [&] { return player.getVideoSaturation(i); }},
      {"resetPictureAdjustFilter", [&] { return player.resetPictureAdjustFilter(); }},
      {"getVideoFrameRate", [&] { return player.getVideoFrameRate(i); }},
      {"getVideoBitRate", [&] { return player.getVideoBitRate(i); }},
      {"getPictureSize", [&] { return player.getPictureSize(i, j); }},
      {"playSound", [&] { return player.playSound(); }},
      {"stopSound", [&] { return player.stopSound(); }},
      {"setVolume", [&] { return player.setVolume(1); }},
      {"getVolume", [&] { return player.getVolume(l); }},
      {"snapShot", [&] { return player.snapShot("a.jpg", "jpg"); }},
      {"zoomInVideo", [&] { return player.zoomInVideo(); }},
      {"zoomInVideo rect", [&] { return player.zoomInVideo(1, 2, 3, 4); }},
      {"zoomOutVideo", [&] { return player.zoomOutVideo(); }},
  };
  for (const auto& operation : operations) {
    EXPECT_EQ(operation.second(), KXPLAYER_MISSING_ARGUMENT) << operation.first;
  }
  EXPECT_EQ(l, 5);
  EXPECT_EQ(f, 0.5f);
  EXPECT_EQ(i, 6);
  EXPECT_EQ(j, 7);
  EXPECT_FALSE(player.changeWindow(1));
  EXPECT_FALSE(player.isOnSound());
  EXPECT_FALSE(player.isPlayComplete());
  EXPECT_EQ(player.getFileName(), nullptr);
  player.setDecodeCallBack(0, nullptr, nullptr);
  player.setDrawFuncForRender(0, nullptr, nullptr, false);
  player.refresh();
  player.resizeWindowToClient();
  player.restoreVideo();
}

TEST(FilePlayer, ForwardersReturnTheEnginesAnswer) {
  Facade facade;
  facade.expect = [](MockFilePlayerEngine& engine) {
    allowSettings(engine);
    EXPECT_CALL(engine, setFileEndCallback(_, _, _)).Times(::testing::AnyNumber());
    EXPECT_CALL(engine, open(_)).WillOnce(Return(0));
    EXPECT_CALL(engine, close());
    EXPECT_CALL(engine, setCurrentFrameNum(17L)).WillOnce(Return(-106));
    EXPECT_CALL(engine, getPlayedFrames(_)).WillOnce([](long& n) {
      n = 33;
      return 0;
    });
    EXPECT_CALL(engine, zoomInVideo(1u, 2u, 3u, 4u)).WillOnce(Return(-8));
    EXPECT_CALL(engine, isOnSound()).WillOnce(Return(true));
    EXPECT_CALL(engine, getFileName()).WillOnce(Return("name"));
    EXPECT_CALL(engine, setDecodeCallBack(3L, nullptr, nullptr));
  };
  ASSERT_EQ(facade.player.open(transportStreamFile().c_str()), 0);
  EXPECT_EQ(facade.player.setCurrentFrameNum(17), -106);
  long played = 0;
  EXPECT_EQ(facade.player.getPlayedFrames(played), 0);
  EXPECT_EQ(played, 33);
  EXPECT_EQ(facade.player.zoomInVideo(1, 2, 3, 4), -8);
  EXPECT_TRUE(facade.player.isOnSound());
  EXPECT_STREQ(facade.player.getFileName(), "name");
  facade.player.setDecodeCallBack(3, nullptr, nullptr);
}

// What an embedder does at the end of a file: close the player, or open the next file, from inside
// the file-end callback, which the engine runs on its own feed thread.
TEST(FilePlayer, TheFileEndCallbackMayCloseAndReopenThePlayer) {
  Facade facade;
  FileEndCallback engineCallback = nullptr;
  void* engineUser = nullptr;
  long engineId = 0;
  facade.expect = [&](MockFilePlayerEngine& engine) {
    allowSettings(engine);
    EXPECT_CALL(engine, setFileEndCallback(_, _, _)).WillRepeatedly([&](long id, FileEndCallback fn, void* user) {
      engineId = id;
      engineCallback = fn;
      engineUser = user;
    });
    EXPECT_CALL(engine, open(_)).WillOnce(Return(0));
    EXPECT_CALL(engine, close());
    EXPECT_CALL(engine, play()).Times(::testing::AnyNumber()).WillRepeatedly(Return(0));
  };
  struct Embedder {
    FilePlayer* player;
    std::string next;
    int calls = 0;
    long id = 0;
  } embedder{&facade.player, frameHeadFile()};
  facade.player.setFileEndCallback(7, [](long id, void* user) {
    Embedder* e = static_cast<Embedder*>(user);
    ++e->calls;
    e->id = id;
    e->player->close();
    EXPECT_EQ(e->player->open(e->next.c_str()), 0);
    EXPECT_EQ(e->player->play(), 0);
  }, &embedder);
  ASSERT_EQ(facade.player.open(transportStreamFile().c_str()), 0);
  ASSERT_NE(engineCallback, nullptr);
  // The engine's feed thread reports the end.
  std::thread feed([&] { engineCallback(engineId, engineUser); });
  feed.join();
  EXPECT_EQ(embedder.calls, 1);
  EXPECT_EQ(embedder.id, 7);
  EXPECT_EQ(facade.made, 2);
}

}  // namespace
