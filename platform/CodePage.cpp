#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace platform {
namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const char* const kUtf16 = "UTF-16LE";
#else
const char* const kUtf16 = "UTF-16BE";
#endif
const char* const kUtf8 = "UTF-8";
const char* const kCp936 = "CP936";

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Converts `size` bytes with iconv. With a substitute, an unconvertible character of UTF-16 input is
// replaced by it (a valid character the target cannot hold); otherwise any error fails.
bool convert(const char* from, const char* to, const char* input, size_t size, std::string& out,
             const char* substitute = nullptr) {
  out.clear();
  if (size == 0) return true;
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> chunk(4 * size + 16);
  char* in = const_cast<char*>(input);
  size_t inLeft = size;
  bool ok = true;
  while (ok) {
    char* outPosition = chunk.data();
    size_t outLeft = chunk.size();
    size_t result = iconv(converter, inLeft > 0 ? &in : nullptr, &inLeft, &outPosition, &outLeft);
    out.append(chunk.data(), static_cast<size_t>(outPosition - chunk.data()));
    if (result != static_cast<size_t>(-1)) {
      if (inLeft == 0 && in != nullptr) {
        in = nullptr;  // flush the converter's state once, then stop
        continue;
      }
      break;
    }
    if (errno == E2BIG) continue;
    if (errno == EILSEQ && substitute != nullptr && inLeft >= 2) {
      // The UTF-16 unit at `in` starts a character the target lacks, unless it is a lone surrogate.
      char16_t unit;
      __builtin_memcpy(&unit, in, 2);
      size_t skip = 2;
      if (isHighSurrogate(unit)) {
        char16_t next = 0;
        if (inLeft >= 4) __builtin_memcpy(&next, in + 2, 2);
        if (!isLowSurrogate(next)) ok = false;
        skip = 4;
      } else if (isLowSurrogate(unit)) {
        ok = false;
      }
      if (ok) {
        out += substitute;
        in += skip;
        inLeft -= skip;
        if (inLeft == 0) break;
      }
      continue;
    }
    ok = false;  // EILSEQ without a substitute, or EINVAL: input cut inside a character
  }
  iconv_close(converter);
  if (!ok) out.clear();
  return ok;
}

bool toUtf16(const char* from, const std::string& input, std::u16string& out) {
  std::string bytes;
  out.clear();
  if (!convert(from, kUtf16, input.data(), input.size(), bytes)) return false;
  out.assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  return true;
}

bool fromUtf16(const char* to, const std::u16string& input, std::string& out, const char* substitute) {
  return convert(kUtf16, to, reinterpret_cast<const char*>(input.data()), input.size() * 2, out, substitute);
}

}  // namespace

bool utf8ToUtf16(const std::string& utf8, std::u16string& out) { return toUtf16(kUtf8, utf8, out); }

bool utf16ToUtf8(const std::u16string& utf16, std::string& out) { return fromUtf16(kUtf8, utf16, out, nullptr); }

bool cp936ToUtf16(const std::string& cp936, std::u16string& out) { return toUtf16(kCp936, cp936, out); }

bool cp936ToUtf8(const std::string& cp936, std::string& out) {
  return convert(kCp936, kUtf8, cp936.data(), cp936.size(), out);
}

bool utf16ToCp936(const std::u16string& utf16, std::string& out) { return fromUtf16(kCp936, utf16, out, "?"); }

bool utf8ToCp936(const std::string& utf8, std::string& out) {
  std::u16string utf16;
  out.clear();
  return utf8ToUtf16(utf8, utf16) && utf16ToCp936(utf16, out);
}

}  // namespace platform
