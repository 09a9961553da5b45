// The About box: its texts from the language file, following a language switch; OK and Escape close it.
#include "app/window/CAboutDlg.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"
#include "tests/app/window/MainWindowTestSupport.h"

namespace {

TEST(CAboutDlg, TextsFollowTheLanguageChosenBeforeItOpens) {
  apptest::MainWindowEnvironment environment;
  struct Case {
    int language;
    const char* title;
  };
  for (const Case& c : {Case{1, "About"}, Case{2, nullptr}}) {
    app::writeLanguage(c.language);
    app::CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), app::languageText("about", app::kAboutCaptionCapacity));
    if (c.title != nullptr) {
      EXPECT_EQ(about.windowTitle(), QString::fromUtf8(c.title));
    }
    EXPECT_FALSE(about.versionLabel()->text().isEmpty());
    EXPECT_EQ(about.versionLabel()->text(), app::languageText("version", app::kAboutCaptionCapacity));
    EXPECT_EQ(about.copyrightLabel()->text(), app::languageText("copyright", app::kAboutCaptionCapacity));
    EXPECT_EQ(about.okButton()->text(), app::languageText("ok", app::kAboutCaptionCapacity));
  }
  app::writeLanguage(1);
}

TEST(CAboutDlg, OkAndEscapeCloseTheBox) {
  apptest::MainWindowEnvironment environment;
  app::CAboutDlg byOk;
  byOk.open();
  byOk.okButton()->click();
  EXPECT_EQ(byOk.result(), QDialog::Accepted);
  EXPECT_FALSE(byOk.isVisible());
  app::CAboutDlg byEscape;
  byEscape.open();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&byEscape, &escape);
  EXPECT_FALSE(byEscape.isVisible());
}

}  // namespace
