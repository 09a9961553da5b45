#pragma once

namespace platform {

// A rectangle as the window system gives it: right and bottom lie just outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  bool operator!=(const Rect& other) const { return !(*this == other); }
  Rect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  // The common part (empty when they do not meet).
  Rect intersect(const Rect& other) const;
  // Area of the common part.
  long long overlapArea(const Rect& other) const;
};

struct Point {
  int x = 0;
  int y = 0;
};

inline Rect Rect::intersect(const Rect& other) const {
  Rect r{left > other.left ? left : other.left, top > other.top ? top : other.top,
         right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
  if (r.isEmpty()) return {};
  return r;
}

inline long long Rect::overlapArea(const Rect& other) const {
  const Rect r = intersect(other);
  return static_cast<long long>(r.width()) * r.height();
}

}  // namespace platform
