#pragma once
#include <QColor>
#include <QImage>
#include <QString>

// Draws the player's skin: a dark frame, flat light symbols, one blue accent. Everything is geometry
// (no text, no fonts), so the images come out byte for byte the same on every run and machine.
namespace skin {

const QColor kFrame(30, 31, 35);
const QColor kPanel(35, 36, 40);
const QColor kVideo(16, 16, 18);
const QColor kBorder(58, 60, 66);
const QColor kShadow(18, 18, 20);
const QColor kAccent(49, 106, 179);

enum class Symbol {
  Open, Play, Pause, Stop, Slow, Fast, PreviousFrame, NextFrame, PreviousFile, NextFile, Snapshot, Volume,
  Muted, FullScreen, Maximize, Minimize, Close, Settings, ExpandOpen, ExpandClose, Add, Delete, Mode, Clear, Select,
};

enum class ButtonShape { Round, Rounded, Tab };

// A strip of four frames. Push buttons: normal, hover, pressed, disabled. `toggle` draws the sound
// button's strip: off, on (muted symbol), hover, disabled.
QImage buttonStrip(Symbol symbol, int frameWidth, int frameHeight, ButtonShape shape, bool toggle = false);

// Skin bitmaps (opaque).
enum class Piece { TopLeft, Top, TopRight, Left, Right, BottomLeft, Bottom, BottomRight, Middle };
QImage mainFramePiece(Piece piece, int width, int height);
QImage listFramePiece(Piece piece, int width, int height);
QImage playControlBar(int width, int height);
QImage logo(int width, int height);

// Slider bitmaps: the channel (empty or filled) and a thumb strip of three frames (normal, pressed,
// hover).
QImage sliderChannel(int width, int height, bool filled);
QImage sliderThumb(int frameWidth, int height);

QImage appIcon(int size);
QImage dragCursor(int size);

}  // namespace skin
