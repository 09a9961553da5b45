#pragma once

// Process-wide switch for how narrow path strings given to the player interface are encoded:
// 0 multibyte text in code page 936, any other value UTF-8. Written once at start-up.
class CharSet {
 public:
  CharSet() {}
  ~CharSet() {}
  CharSet& operator=(const CharSet&) { return *this; }

  static void setCharSet(int type);
  static int getCharSet();

  static int m_nCharSetType;
};
