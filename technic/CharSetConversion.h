#pragma once
#include <string>

// Conversions between UTF-16 text, UTF-8 and code page 936. Each returns the number of characters
// (code units) the conversion produced and fills the output, which ends at the first NUL; on failure
// (empty or invalid input) 0 and an empty output.
int wideToUtf8(const std::u16string& wide, std::string& utf8);
int gbkToWide(const std::string& gbk, std::u16string& wide);
int utf8ToWide(const std::string& utf8, std::u16string& wide);
