#include "app/settings/TextConversion.h"

#include <QString>

#include "platform/CodePage.h"
#include "technic/CharSetConversion.h"

namespace app {

int toGbk(const std::u16string& wide, std::string& out) {
  if (!platform::utf16ToCp936(wide, out)) out.clear();
  return static_cast<int>(out.size());
}

int toUtf8(const std::u16string& wide, std::string& out) { return wideToUtf8(wide, out); }

int fromUtf8(const std::string& utf8, std::u16string& out) {
  if (utf8ToWide(utf8, out) > 0 || utf8.empty()) return static_cast<int>(out.size());
  out = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
  return static_cast<int>(out.size());
}

}  // namespace app
