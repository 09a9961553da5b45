#include "technic/StringTokenizer.h"

#include <cstring>
#include <new>

bool StringTokenizer::split(const char* text, const char* delimiter) {
  m_tokens.clear();
  if (text == nullptr || delimiter == nullptr || *delimiter == '\0') return false;
  const size_t delimiterLength = std::strlen(delimiter);
  try {
    const char* rest = text;
    while (const char* found = std::strstr(rest, delimiter)) {
      if (found > rest) m_tokens.emplace_back(rest, static_cast<size_t>(found - rest));
      rest = found + delimiterLength;
    }
    if (*rest != '\0') m_tokens.emplace_back(rest);
  } catch (const std::bad_alloc&) {
    return false;  // the tokens found so far are kept
  }
  return true;
}

std::string StringTokenizer::getToken(unsigned index) const {
  return index < m_tokens.size() ? m_tokens[index] : std::string();
}
