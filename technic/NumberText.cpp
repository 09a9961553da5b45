#include "technic/NumberText.h"

#include <cstdio>

bool intToString(const int& value, std::string& out) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  out = text;
  return true;
}

std::string toDecimalString(int value) {
  std::string text;
  intToString(value, text);
  return text;
}
