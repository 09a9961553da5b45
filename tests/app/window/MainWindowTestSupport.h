#pragma once
#include <QDir>
#include <QFile>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/controls/QtUiServices.h"
#include "app/playback/QtVideoWindowRegistrar.h"
#include "app/playlist/PlayList.h"
#include "app/window/CKXMediaPlayerDlg.h"
#include "app/window/MainDialogParts.h"
#include "platform/NullSoundSystem.h"
#include "tests/app/AppTestSupport.h"

namespace apptest {

// The menus and the file and folder dialogs answer what the test scripted; tooltips go to the widgets.
struct ScriptedUiServices : app::QtUiServices {
  std::uint32_t trackPopupMenu(const std::vector<app::MenuEntry>& menu, QPoint point, QWidget*) override {
    shownMenu = menu;
    shownAt = point;
    return choice;
  }
  QStringList getOpenFileNames(QWidget*, const QString& filter) override {
    lastFilter = filter;
    return files;
  }
  QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return folder; }
  std::vector<app::MenuEntry> shownMenu;
  QPoint shownAt;
  std::uint32_t choice = 0;
  QStringList files;
  QString lastFilter;
  QString folder;
};

// An executable folder with the build's language files and (unless `withImages` is false) its skin
// images, the process's current folder an unrelated empty one (every data file must be found through
// the executable's folder), an empty play list and scripted window-system services.
class MainWindowEnvironment : public WithApplication {
 public:
  explicit MainWindowEnvironment(bool withImages = true) {
    const QString base = QString::fromStdString(m_dir.path());
    QDir(base).mkpath(QStringLiteral("mplayerstyle"));
    for (const char* folder : {"images", "language"}) {
      if (!withImages && std::string(folder) == "images") continue;
      QFile::link(QString::fromUtf8(KX_APP_DATA_DIR) + "/" + folder, base + "mplayerstyle/" + folder);
    }
    char previous[4096];
    m_previousFolder = getcwd(previous, sizeof previous) != nullptr ? previous : "/";
    if (chdir(m_elsewhere.path().toStdString().c_str()) != 0) return;
    app::PlayList::getInstance().clear();
    app::setUiServices(&services);
  }
  ~MainWindowEnvironment() {
    app::setUiServices(nullptr);
    app::PlayList::getInstance().clear();
    if (chdir(m_previousFolder.c_str()) != 0) return;
  }
  std::string path() const { return m_dir.path(); }

  ScriptedUiServices services;

 private:
  ScopedModuleDir m_dir;
  QTemporaryDir m_elsewhere;
  std::string m_previousFolder;
};

// The main window with its skinned parts, started up as the program does.
struct SkinnedWindow {
  explicit SkinnedWindow(const QString& startupFile = QString()) {
    m_sound.installForProcess();
    dialog = std::make_unique<app::CKXMediaPlayerDlg>(&registrar);
    parts = std::make_unique<app::MainDialogParts>(*dialog);
    dialog->setParts(parts.get());
    dialog->setStartupFile(startupFile);
    dialog->OnInitDialog();
    dialog->show();
  }
  ~SkinnedWindow() {
    dialog->OnDestroy();
    dialog->setParts(nullptr);
    parts.reset();
    dialog.reset();
  }
  platform::NullSoundSystem m_sound;
  app::QtVideoWindowRegistrar registrar;
  std::unique_ptr<app::CKXMediaPlayerDlg> dialog;
  std::unique_ptr<app::MainDialogParts> parts;
};

}  // namespace apptest
