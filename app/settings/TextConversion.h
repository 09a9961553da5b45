#pragma once
#include <string>

// The application's string conversions. Each returns the number of code units it produced (bytes for
// the narrow results, UTF-16 units for the wide one); 0 means failure and leaves the output empty.
namespace app {

// UTF-16 to code page 936; a character the code page cannot hold becomes "?".
int toGbk(const std::u16string& wide, std::string& out);
// UTF-16 to UTF-8.
int toUtf8(const std::u16string& wide, std::string& out);
// UTF-8 to UTF-16. Bytes that are not valid UTF-8 become U+FFFD rather than failing the whole text,
// so a hand-written line in another encoding still yields something to show.
int fromUtf8(const std::string& utf8, std::u16string& out);

}  // namespace app
