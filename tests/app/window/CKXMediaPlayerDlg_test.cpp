// The main window with the real engine on Qt's offscreen platform: recordings opened from the command
// line, played to their end, and the list moved on.
#include "app/window/CKXMediaPlayerDlg.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QKeyEvent>
#include <QRegularExpression>
#include <chrono>
#include <functional>

#include "app/CKXMediaPlayerApp.h"
#include "app/controls/CBmpSliderCtrl.h"
#include "app/controls/CPngButton.h"
#include "app/playback/CPlayerWnd.h"
#include "app/playback/QtVideoWindowRegistrar.h"
#include "app/playlist/CDlgFileList.h"
#include "app/playlist/PlayList.h"
#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"
#include "app/settings/TextConversion.h"
#include "platform/NullSoundSystem.h"
#include "platform/qt/QtVideoWidget.h"
#include "tests/app/PanelTestSupport.h"
#include "tests/player/PlaybackFixture.h"
#include "tests/player/SoundTestSupport.h"

namespace {

using app::CKXMediaPlayerDlg;

const playtest::Recording& shortRecording(const std::string& name) {
  playtest::Source source;
  source.name = name;
  source.width = 176;
  source.height = 144;
  source.frames = 25;  // one second
  source.gop = 25;
  source.audio = true;
  return playtest::recording(source, playtest::kTransportStream);
}

// Runs the event loop until the condition holds (false after a generous limit).
bool runUntil(const std::function<bool()>& condition, int seconds = 60) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

bool hasPicture(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((row[x] & 0xFFFFFFu) != 0) return true;
    }
  }
  return false;
}

class MainDialogTest : public ::testing::Test, public apptest::WithApplication {
 protected:
  MainDialogTest() { m_sound.installForProcess(); }

  // Writes the list file and settings, builds the window as the program does and starts it up with
  // the command line given.
  void start(const std::vector<std::string>& list, const QStringList& commandLine, int playMode) {
    std::string file;
    for (const std::string& path : list) file += path + "\r\n";
    app::ensureConfigDir();
    apptest::writeFile(app::getListFile(), file);
    app::writePlayMode(playMode);
    app::writeShowList(true);
    m_dialog = std::make_unique<CKXMediaPlayerDlg>(&m_registrar);
    m_dialog->setStartupFile(app::CKXMediaPlayerApp::startupFileOf(QStringList{"KXMediaPlayer"} + commandLine));
    ASSERT_TRUE(m_dialog->OnInitDialog());
    m_dialog->show();
  }
  ~MainDialogTest() override { m_dialog.reset(); }

  app::PlaybackController& control() { return m_dialog->playback(); }
  QImage surfaceImage() {
    platform::QtVideoWidget* surface = m_registrar.surface(m_dialog->videoWindow()->windowId());
    return surface != nullptr ? surface->backImage() : QImage();
  }
  int listId(const std::string& path) {
    std::u16string wide;
    app::fromUtf8(path, wide);
    int id = 0;
    app::PlayList::getInstance().findByPath(wide, id);
    return id;
  }

  apptest::PanelEnvironment m_environment;
  platform::NullSoundSystem m_sound;
  app::QtVideoWindowRegistrar m_registrar;
  std::unique_ptr<CKXMediaPlayerDlg> m_dialog;
};

TEST_F(MainDialogTest, RecordingFromTheCommandLinePlaysShowsItsTimesAndItsEndMovesTheListOn) {
  const std::string first = shortRecording("app-first").path;
  const std::string second = shortRecording("app-second").path;
  start({first, second}, {QString::fromStdString(first)}, app::PLAY_MODE_ORDER);
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(control().feedMode(), app::FEED_FILE);
  EXPECT_EQ(control().currentItemId(), listId(first));
  EXPECT_EQ(m_dialog->videoWindow()->stateText()->text(), app::languageText("playing"));

  // Paused, the position is still read: the timer shows the time and the frame counts.
  app::sendCommand(m_dialog.get(), app::IDC_PAUSE, 0, nullptr);
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PAUSED);
  app::sendAppMessage(m_dialog.get(), app::WM_TIMER, app::TIMER_PLAY_POSITION, 0);
  EXPECT_TRUE(QRegularExpression("^00:00:0[01] / 00:00:0[01]$").match(m_dialog->videoWindow()->timeText()->text()).hasMatch())
      << m_dialog->videoWindow()->timeText()->text().toStdString();
  EXPECT_TRUE(QRegularExpression("^[0-9]+ / 25$").match(m_dialog->videoWindow()->frameText()->text()).hasMatch())
      << m_dialog->videoWindow()->frameText()->text().toStdString();
  app::sendCommand(m_dialog.get(), app::ID_MENU_PLAY_PAUSE, 0, nullptr);  // Space
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);

  bool pictures = false;
  ASSERT_TRUE(runUntil([&] {
    pictures = pictures || hasPicture(surfaceImage());
    return control().currentItemId() == listId(second);
  })) << "the end of the first item opens the second in order mode";
  EXPECT_TRUE(pictures) << "the first recording's pictures reached the window";
  EXPECT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  ASSERT_TRUE(runUntil([&] { return control().playState() == app::PLAY_STATE_READY; }))
      << "after the last item the window follows the stopped engine";
  EXPECT_EQ(m_dialog->videoWindow()->stateText()->text(), app::languageText("readyplay"));
}

TEST_F(MainDialogTest, AFileOnlyTheStreamPlayerTakesPlaysAsAStreamAndEnds) {
  const std::string path = m_environment.path() + "/behind-zeros.ts";
  apptest::writeFile(path, std::string(1000, '\0') + kxtest::readFile(shortRecording("app-first").path));
  start({}, {QString::fromStdString(path)}, app::PLAY_MODE_SINGLE);
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(control().feedMode(), app::FEED_STREAM);
  EXPECT_FALSE(m_dialog->seekSlider()->isEnabled());
  bool pictures = false;
  ASSERT_TRUE(runUntil([&] {
    pictures = pictures || hasPicture(surfaceImage());
    return control().playState() != app::PLAY_STATE_PLAYING;
  }));
  EXPECT_EQ(control().playState(), app::PLAY_STATE_READY) << "the stream ended, it did not fail";
  EXPECT_TRUE(pictures);
}

TEST_F(MainDialogTest, FilesNeitherPlayerCanPlayShowTheErrorState) {
  std::string noise(20000, '\0');
  unsigned seed = 12345;
  for (char& byte : noise) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(((seed >> 16) & 0xFF) == 0x47 ? 0x46 : (seed >> 16) & 0xFF);
  }
  const std::string garbage = m_environment.path() + "/noise.ts";
  apptest::writeFile(garbage, noise);
  const std::string missing = m_environment.path() + "/missing.ts";
  for (const std::string& path : {missing, garbage}) {
    SCOPED_TRACE(path);
    m_dialog.reset();
    start({}, {QString::fromStdString(path)}, app::PLAY_MODE_SINGLE);
    ASSERT_TRUE(runUntil([&] { return control().playState() == app::PLAY_STATE_ERROR; }));
    EXPECT_EQ(m_dialog->videoWindow()->stateText()->text(), app::languageText("playerror"));
    EXPECT_FALSE(m_dialog->button(app::IDC_STOP)->isEnabled());
  }
}

TEST_F(MainDialogTest, AChineseFileNameOnTheCommandLinePlays) {
  const std::string path = m_environment.path() + "/录像 通道01.ts";
  apptest::writeFile(path, kxtest::readFile(shortRecording("app-first").path));
  start({}, {QString::fromUtf8(path.c_str())}, app::PLAY_MODE_SINGLE);
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(control().feedMode(), app::FEED_FILE) << "the UTF-8 path reached the file player unchanged";
  ASSERT_TRUE(runUntil([&] { return control().playState() == app::PLAY_STATE_READY; }));
}

// The window switches sound on after play has started the file, and closes the item when the engine
// reports the end: what is heard must still be the recording's decoded audio from its first sample to
// its last, in one piece (silence only before and after it).
TEST_F(MainDialogTest, TheSoundHeardIsTheWholeDecodedAudioWithNoGap) {
  const struct {
    const char* name;
    int codec;
  } codecs[] = {{"G.711 A-law", 102}, {"G.723.1", 101}};
  for (const auto& codec : codecs) {
    SCOPED_TRACE(codec.name);
    const playtest::Source source = playtest::soundSource("app-sound", codec.codec, 25);
    const playtest::Recording& r = playtest::recording(source, playtest::kTransportStream);
    ASSERT_FALSE(r.pcm.empty());
    m_dialog.reset();
    const std::size_t buffersBefore = m_sound.buffers().size();
    start({}, {QString::fromStdString(r.path)}, app::PLAY_MODE_SINGLE);
    ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
    EXPECT_FALSE(m_dialog->button(app::IDC_SOUND)->isToggledOn()) << "sound is on";
    ASSERT_TRUE(runUntil([&] { return control().playState() == app::PLAY_STATE_READY; }));
    const std::vector<std::shared_ptr<platform::NullSoundBuffer>> buffers = m_sound.buffers();
    ASSERT_EQ(buffers.size(), buffersBefore + 1) << "one sound output for the item";
    std::size_t lead = 0;
    EXPECT_TRUE(soundtest::playedExactly(soundtest::asString(buffers.back()->played()), r.pcm, &lead));
    EXPECT_LT(lead, 8000u) << "more than half a second before the sound starts";
  }
}

TEST_F(MainDialogTest, EnterAndEscapeKeepTheWindowAndClosingItSavesTheList) {
  const std::string first = shortRecording("app-first").path;
  start({}, {QString::fromStdString(first)}, app::PLAY_MODE_SINGLE);
  EXPECT_EQ(m_dialog->minimumSize(), m_dialog->size()) << "the start-up size is the smallest";
  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dialog.get(), &press);
    EXPECT_TRUE(m_dialog->isVisible());
  }
  EXPECT_TRUE(m_dialog->close()) << "the window manager's close ends the program";
  EXPECT_EQ(control().playState(), app::PLAY_STATE_READY);
  EXPECT_EQ(apptest::readFile(app::getListFile()), first + "\r\n");
}

TEST(MainDialogVideoArea, TheStatusStripComesOffAndAnEmptyWindowGivesAnEmptyArea) {
  struct Case {
    QSize window;
    QRect area;
  };
  const Case cases[] = {{QSize(0, 0), QRect(0, 0, 0, 0)},
                        {QSize(100, 10), QRect(0, 0, 100, 0)},
                        {QSize(640, 498), QRect(0, 0, 640, 480)}};
  for (const Case& test : cases) EXPECT_EQ(CKXMediaPlayerDlg::videoAreaFor(test.window), test.area);
}

TEST(MainDialogCommandLine, TheFirstArgumentThatIsNotAnOptionIsTheFile) {
  EXPECT_EQ(app::CKXMediaPlayerApp::startupFileOf({"KXMediaPlayer"}), QString());
  EXPECT_EQ(app::CKXMediaPlayerApp::startupFileOf({"KXMediaPlayer", "-v", "/a b/录像.ts", "/other.ts"}),
            QString::fromUtf8("/a b/录像.ts"));
}

TEST(MainDialogCommandLine, DoubleDashEndsTheOptions) {
  struct Case {
    QStringList arguments;
    QString file;
  };
  const Case cases[] = {
      {{"--", "-name.ts"}, "-name.ts"},
      {{"-v", "--", "-", "later.ts"}, "-"},
      {{"--", "--"}, "--"},
      {{"-name.ts", "--"}, ""},
      {{"--", "", "a.ts"}, "a.ts"},
      {{"--x.ts", "--", "--x.ts"}, "--x.ts"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.arguments.join(' ').toStdString());
    EXPECT_EQ(app::CKXMediaPlayerApp::startupFileOf(QStringList{"KXMediaPlayer"} + test.arguments), test.file);
  }
}

TEST_F(MainDialogTest, ARelativeFileAfterDoubleDashIsListedByItsAbsolutePathAndPlaysFromAnotherFolder) {
  const std::string folder = QDir::cleanPath(QString::fromStdString(m_environment.path() + "/rec ../folder")).toStdString();
  QDir().mkpath(QString::fromStdString(folder));
  const std::string absolute = folder + "/-name.ts";
  apptest::writeFile(absolute, kxtest::readFile(shortRecording("app-first").path));
  struct BackToTheFolderStartedIn {
    QString folder = QDir::currentPath();
    ~BackToTheFolderStartedIn() { QDir::setCurrent(folder); }
  } back;
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_environment.path())));
  start({}, {"--", "./rec ../folder//-name.ts"}, app::PLAY_MODE_SINGLE);
  QDir::setCurrent(QStringLiteral("/"));
  ASSERT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(control().currentItemId(), listId(absolute)) << "listed by its absolute path";
  EXPECT_TRUE(m_dialog->close());
  const std::string saved = apptest::readFile(app::getListFile());
  EXPECT_EQ(saved, absolute + "\r\n");

  // Started again from the root folder, the saved item plays.
  m_dialog.reset();
  start({absolute}, {}, app::PLAY_MODE_SINGLE);
  app::sendCommand(m_dialog.get(), app::ID_MENU_PLAY_PAUSE, 0, nullptr);
  EXPECT_EQ(control().playState(), app::PLAY_STATE_PLAYING);
  EXPECT_EQ(control().feedMode(), app::FEED_FILE);
  ASSERT_TRUE(runUntil([&] { return control().playState() == app::PLAY_STATE_READY; }));
}

}  // namespace

namespace {

TEST_F(MainDialogTest, TheNormalWindowIsDraggedByItsClientAreaAndAMaximizedOneIsNot) {
  start({}, {}, app::PLAY_MODE_SINGLE);
  EXPECT_EQ(control().playState(), app::PLAY_STATE_READY) << "no file on the command line opens nothing";
  struct Case {
    int windowState;
    QPoint expectedMove;
  };
  const Case cases[] = {{CKXMediaPlayerDlg::WINDOW_NORMAL, QPoint(30, 20)},
                        {CKXMediaPlayerDlg::WINDOW_MAXIMIZED, QPoint(0, 0)}};
  for (const Case& test : cases) {
    m_dialog->setWindowStateValue(test.windowState);
    const QPoint before = m_dialog->pos();
    const QPoint press(5, 5);  // on the window's own background
    apptest::sendMouse(m_dialog.get(), QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    apptest::sendMouse(m_dialog.get(), QEvent::MouseMove, press + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    apptest::sendMouse(m_dialog.get(), QEvent::MouseButtonRelease, press + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_dialog->pos() - before, test.expectedMove) << "window state " << test.windowState;
  }
}

}  // namespace
