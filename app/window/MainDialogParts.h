#pragma once
#include <QObject>
#include <memory>

#include "app/window/IMainDialogParts.h"
#include "app/window/MainWindowCommands.h"
#include "app/window/MainWindowSkin.h"

namespace app {

// The main window's skin, layout, texts, commands, full screen, drops and snapshots, plugged into the
// window. One per window; it lives as long as the window.
class MainDialogParts : public QObject, public IMainDialogParts {
 public:
  explicit MainDialogParts(CKXMediaPlayerDlg& dialog);
  ~MainDialogParts() override;

  void loadSkin(CKXMediaPlayerDlg& dialog) override;
  void layoutControls(CKXMediaPlayerDlg& dialog) override;
  void layoutPanes(CKXMediaPlayerDlg& dialog) override;
  void updateExpandButton(CKXMediaPlayerDlg& dialog) override;
  void updateTexts(CKXMediaPlayerDlg& dialog) override;
  void paint(CKXMediaPlayerDlg& dialog, QPainter& painter) override;
  bool onAppMessage(CKXMediaPlayerDlg& dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam,
                    LRESULT& result) override;
  void onCancel(CKXMediaPlayerDlg& dialog) override;
  void openStartupFile(CKXMediaPlayerDlg& dialog) override;

  void onExpand(CKXMediaPlayerDlg& dialog);
  MainWindowCommands& commands() { return m_commands; }
  const MainWindowSkin& skin() const { return m_skin; }

 protected:
  // Files and folders dragged onto the window.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CKXMediaPlayerDlg& m_dialog;
  MainWindowSkin m_skin;
  MainWindowCommands m_commands;
};

}  // namespace app
