#pragma once
#include <QString>
#include <string>

// Captions from the language file chosen by the [LANGUAGE] setting: "english.ini" for 1, "chinese.ini"
// otherwise, section "LANGUAGE", one key per caption. Every lookup reads the setting and the file anew,
// so a change of language shows at the next lookup.
namespace app {

constexpr int kCaptionCapacity = 64;        // what every window asks with
constexpr int kAboutCaptionCapacity = 128;  // the About dialog's texts

// The path of the language file the current setting selects.
std::string currentLanguageFile();

// False, with `text` untouched, when the key is null. Otherwise true, found or not, with the caption
// (an empty text when missing) cut to capacity - 1 UTF-16 units (never inside a surrogate pair).
bool getLanguageText(const char* key, std::u16string& text, int capacity = kCaptionCapacity);
// The same as a QString; empty for a null key.
QString languageText(const char* key, int capacity = kCaptionCapacity);
// A message for the user: the caption of `key`, then a blank and `subject` (a file or folder) unless
// that is empty.
QString languageMessage(const char* key, const std::string& subject);

}  // namespace app
