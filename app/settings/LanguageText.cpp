#include "app/settings/LanguageText.h"

#include "app/settings/AppPaths.h"
#include "app/settings/AppSettings.h"
#include "app/settings/PrivateProfile.h"
#include "app/settings/TextConversion.h"

namespace app {

std::string currentLanguageFile() {
  int language = 1;
  readLanguage(language);
  return getLanguageDir() + (language == 1 ? "english.ini" : "chinese.ini");
}

bool getLanguageText(const char* key, std::u16string& text, int capacity) {
  if (key == nullptr) return false;
  std::u16string caption;
  fromUtf8(PrivateProfile::getString("LANGUAGE", key, std::string(), currentLanguageFile()), caption);
  const std::size_t limit = capacity > 0 ? static_cast<std::size_t>(capacity - 1) : 0;
  if (caption.size() > limit) {
    caption.resize(limit);
    if (!caption.empty() && caption.back() >= 0xD800 && caption.back() <= 0xDBFF) caption.pop_back();
  }
  text = caption;
  return true;
}

QString languageText(const char* key, int capacity) {
  std::u16string text;
  if (!getLanguageText(key, text, capacity)) return QString();
  return QString::fromStdU16String(text);
}

QString languageMessage(const char* key, const std::string& subject) {
  const QString caption = languageText(key);
  return subject.empty() ? caption : caption + QLatin1Char(' ') + QString::fromStdString(subject);
}

}  // namespace app
