// Code page 932 <-> UTF-8 with the Windows conversion calls.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/text_encoding.h"

namespace refontis::platform {
namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return {};
  const int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
  const int n = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(to, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return Convert(text, 932, CP_UTF8); }
std::string Utf8ToCp932(const std::string& text) { return Convert(text, CP_UTF8, 932); }

}  // namespace refontis::platform
