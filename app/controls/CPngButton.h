#pragma once
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>

namespace app {

// The skinned push button: one PNG holds a horizontal strip of equally wide frames (push mode: normal,
// hover, pressed, disabled; toggle mode: off, on, hover, disabled). The button takes the size of one
// frame, ignores presses and hovering over fully transparent pixels, and sends WM_COMMAND
// (BN_CLICKED, its control id) to its parent when clicked. A double click counts as a second click.
class CPngButton : public QAbstractButton {
 public:
  enum Mode { PushMode = 0, ToggleMode = 1 };

  explicit CPngButton(QWidget* parent = nullptr, std::uint32_t controlId = 0);

  std::uint32_t controlId() const { return m_controlId; }
  void setControlId(std::uint32_t id) { m_controlId = id; }

  // Loads the strip and resizes the button to one frame, keeping its position. A file that does not
  // load leaves an empty image: the button becomes 0 x 0 and draws nothing. Always true: decoding
  // failures are not errors of the button.
  bool loadImage(const QString& path);
  // Sets or replaces the tooltip; a null text does nothing.
  void setToolTipText(const QString& text);

  void setMode(Mode mode) { m_mode = mode; update(); }
  Mode mode() const { return m_mode; }
  void setToggledOn(bool on) { m_toggledOn = on; update(); }
  bool isToggledOn() const { return m_toggledOn; }
  void setFrameCount(int count) { m_frameCount = count > 0 ? count : 1; }
  void setCaption(const QString& caption) { m_caption = caption; update(); }
  void setCaptionFont(const QString& face, int points) { m_fontFace = face; m_fontSize = points; update(); }
  void setTextColor(QColor color) { m_textColor = color; update(); }

  int imageWidth() const { return m_imageWidth; }
  int imageHeight() const { return m_imageHeight; }
  int frameWidth() const { return m_frameWidth; }
  bool isHovering() const { return m_hover; }
  // The strip frame the button shows in its present state.
  int currentFrame() const;
  // True when the point (client coordinates) lies on a pixel whose alpha is 0. Points outside the
  // image and every point of a button without an image count as opaque.
  bool isTransparentAt(QPoint point) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void onClicked();

  std::uint32_t m_controlId;
  bool m_tracking = false;
  bool m_hover = false;
  int m_imageWidth = 0;
  int m_imageHeight = 0;
  int m_frameWidth = 0;
  QImage m_image;
  QString m_caption;
  QString m_fontFace = QStringLiteral("Tahoma");
  int m_fontSize = 9;
  QColor m_textColor = QColor(0, 0, 0);
  int m_frameCount = 4;
  Mode m_mode = PushMode;
  bool m_toggledOn = false;
  int m_textRightMargin = 0;
  int m_textLeftMargin = 10;
};

}  // namespace app
