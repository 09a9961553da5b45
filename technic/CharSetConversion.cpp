#include "technic/CharSetConversion.h"

#include "platform/CodePage.h"

namespace {

template <class Text>
int finish(bool converted, Text& output) {
  if (!converted || output.empty()) {
    output.clear();
    return 0;
  }
  int produced = static_cast<int>(output.size());
  typename Text::size_type nul = output.find(typename Text::value_type(0));
  if (nul != Text::npos) output.resize(nul);
  return produced;
}

}  // namespace

int wideToUtf8(const std::u16string& wide, std::string& utf8) {
  return finish(platform::utf16ToUtf8(wide, utf8), utf8);
}

int gbkToWide(const std::string& gbk, std::u16string& wide) { return finish(platform::cp936ToUtf16(gbk, wide), wide); }

int utf8ToWide(const std::string& utf8, std::u16string& wide) {
  return finish(platform::utf8ToUtf16(utf8, wide), wide);
}
