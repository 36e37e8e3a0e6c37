// Code page 932 <-> UTF-8 with iconv.
#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace refontis::platform {
namespace {

std::string Convert(const std::string& text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  std::vector<char> buffer(text.size() * 4 + 16);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    const size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer.data(), static_cast<size_t>(dst - buffer.data()));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out += '?';  // an invalid or incomplete sequence: skip one byte
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return Convert(text, "CP932", "UTF-8"); }
std::string Utf8ToCp932(const std::string& text) { return Convert(text, "UTF-8", "CP932"); }

}  // namespace refontis::platform
