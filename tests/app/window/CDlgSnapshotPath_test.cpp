// The snapshot-folder dialog: shows the stored folder, picks one with the folder browser, stores only a
// non-empty text on OK, nothing on Cancel.
#include "app/window/CDlgSnapshotPath.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"
#include "tests/app/window/MainWindowTestSupport.h"

namespace {

class SnapshotPathDialogTest : public ::testing::Test {
 protected:
  apptest::MainWindowEnvironment m_environment;
  std::string stored() {
    std::string path;
    app::readSnapshotPath(path);
    return path;
  }
};

TEST_F(SnapshotPathDialogTest, AFreshInstallationShowsTheExecutableFolderAndLanguageCaptions) {
  app::CDlgSnapshotPath dialog;
  EXPECT_EQ(dialog.pathEdit()->text().toStdString(), m_environment.path() + "snapshot/");
  EXPECT_EQ(dialog.windowTitle(), app::languageText("snapshotpath"));
  EXPECT_EQ(dialog.okButton()->text(), app::languageText("ok"));
  EXPECT_EQ(dialog.cancelButton()->text(), app::languageText("cancel"));
  EXPECT_EQ(dialog.pathLabel()->text(), app::languageText("path"));
}

TEST_F(SnapshotPathDialogTest, BrowsedFolderIsStoredAsTheBrowserGaveItWithoutTrailingSeparator) {
  m_environment.services.folder = QStringLiteral("/srv/cameras/snaps/");
  app::CDlgSnapshotPath dialog;
  dialog.open();
  dialog.browseButton()->click();
  EXPECT_EQ(dialog.pathEdit()->text(), QStringLiteral("/srv/cameras/snaps"));
  dialog.okButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(stored(), "/srv/cameras/snaps");
}

TEST_F(SnapshotPathDialogTest, EmptyTextKeepsTheDialogOpenAndCancelStoresNothing) {
  app::writeSnapshotPath("/kept");
  app::CDlgSnapshotPath dialog;
  dialog.open();
  m_environment.services.folder.clear();  // browser cancelled: nothing changes
  dialog.browseButton()->click();
  EXPECT_EQ(dialog.pathEdit()->text(), QStringLiteral("/kept"));
  dialog.pathEdit()->clear();
  dialog.okButton()->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(stored(), "/kept");
  dialog.pathEdit()->setText(QStringLiteral("/typed/but/cancelled"));
  dialog.cancelButton()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(stored(), "/kept");
}

}  // namespace
