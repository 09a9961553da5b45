#pragma once
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <cstdint>

#include "app/controls/RuntimeClass.h"

class QPainter;

namespace app {

class IVideoWindowRegistrar;

// The window the engine draws the video into. Without a picture it shows the stretched background
// ("middle_bkimg.bmp") with the logo ("middle_logo.bmp") centred; along its bottom runs an 18-pixel
// status strip with a separator line and three white texts (play state, time, frame counts). Mouse
// presses go to the parent: WM_LBUTTONDOWN (lParam the screen point packed by value, so the parent can
// drag the window from where it was pressed), WM_USER + 1010 on a double click and WM_USER + 1011 on a
// right press (lParam pointing at the screen point, during the call). Run-time class "CPlayerWnd".
class CPlayerWnd : public QWidget, public RuntimeClass {
 public:
  static constexpr int kStatusStripHeight = 18;

  explicit CPlayerWnd(QWidget* parent = nullptr);
  ~CPlayerWnd() override;

  const char* runtimeClassName() const override { return "CPlayerWnd"; }

  // Sets the registrar through which every video window created afterwards is registered with the
  // engine's window layer (null: none).
  static void setWindowRegistrar(IVideoWindowRegistrar* registrar);
  // The id the engine's window layer knows this window by; 0 when it is not registered.
  std::uint32_t windowId() const { return m_windowId; }

  // The owner sets the state and time texts on these; the frame counts through setFrameText.
  QLabel* stateText() const { return m_stateText; }
  QLabel* timeText() const { return m_timeText; }
  QLabel* frameText() const { return m_frameText; }
  void setFrameText(const QString& text);

  // The area above the status strip, which the engine draws into (client coordinates).
  QRect videoRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void loadSkinBitmaps();
  void createStatusTexts();
  void layoutStatusTexts();
  void paintBackground(QPainter& painter) const;
  void paintSeparator(QPainter& painter) const;

  QImage m_background;
  QImage m_logo;
  QLabel* m_stateText = nullptr;
  QLabel* m_timeText = nullptr;
  QLabel* m_frameText = nullptr;
  std::uint32_t m_windowId = 0;
};

}  // namespace app
