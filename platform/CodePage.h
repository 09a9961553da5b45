#pragma once
#include <string>

namespace platform {

// Conversions between UTF-8, UTF-16 (host byte order) and code page 936 (simplified Chinese, GBK).
// Each gives true with the converted text, or false with an empty output when the input is not valid
// text of its encoding (a stray byte, a lone surrogate). Empty input gives true and empty output.
bool utf8ToUtf16(const std::string& utf8, std::u16string& out);
bool utf16ToUtf8(const std::u16string& utf16, std::string& out);
bool cp936ToUtf16(const std::string& cp936, std::u16string& out);
bool cp936ToUtf8(const std::string& cp936, std::string& out);
// A character that code page 936 cannot hold becomes '?', the system's default character.
bool utf16ToCp936(const std::u16string& utf16, std::string& out);
bool utf8ToCp936(const std::string& utf8, std::string& out);

}  // namespace platform
