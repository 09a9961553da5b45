#pragma once
#include <string>
#include <vector>

// Splits a string on a delimiter string. Empty pieces (a leading or trailing delimiter, two delimiters
// in a row) give no token.
class StringTokenizer {
 public:
  // False when either argument is null (the list is then empty) or the delimiter is empty.
  bool split(const char* text, const char* delimiter);
  unsigned getCount() const { return static_cast<unsigned>(m_tokens.size()); }
  // The token, or an empty string at or beyond the count.
  std::string getToken(unsigned index) const;

 private:
  std::vector<std::string> m_tokens;
};
