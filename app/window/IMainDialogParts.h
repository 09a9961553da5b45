#pragma once
#include <cstdint>

#include "app/controls/AppIds.h"

class QPainter;

namespace app {

class CKXMediaPlayerDlg;

// The main window's skin, layout, menus, keys, full screen, drag and drop and snapshots: classes of
// their own that plug into the window through this. The window calls them at the points named below;
// without them it keeps a plain layout (the video window over the client area, the list at the right).
class IMainDialogParts {
 public:
  virtual ~IMainDialogParts() = default;

  // Start-up, before the video window exists: background bitmaps, button images and the sliders.
  virtual void loadSkin(CKXMediaPlayerDlg& dialog) = 0;
  // Sliders, buttons and panes for the present client size (start-up and every resize).
  virtual void layoutControls(CKXMediaPlayerDlg& dialog) = 0;
  // Video window, list panel and splitter only.
  virtual void layoutPanes(CKXMediaPlayerDlg& dialog) = 0;
  virtual void updateExpandButton(CKXMediaPlayerDlg& dialog) = 0;
  // Button tooltips in the present language.
  virtual void updateTexts(CKXMediaPlayerDlg& dialog) = 0;
  virtual void paint(CKXMediaPlayerDlg& dialog, QPainter& painter) = 0;
  // Every message the window does not handle itself (menu commands, full screen, the open and settings
  // buttons, drops, the video window's double click and context menu): true when taken, with its result.
  virtual bool onAppMessage(CKXMediaPlayerDlg& dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result) = 0;
  // Escape.
  virtual void onCancel(CKXMediaPlayerDlg& dialog) = 0;
  // The last start-up step: open the file named on the command line (the window's startupFile()).
  virtual void openStartupFile(CKXMediaPlayerDlg& dialog) = 0;
};

}  // namespace app
