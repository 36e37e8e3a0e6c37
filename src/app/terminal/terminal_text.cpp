// Code-page-932 texts as terminal cells.
#include "app/terminal/terminal_text.h"

#include <cwchar>

#include "platform/text_encoding.h"

namespace refontis::app {
namespace {

std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  std::mbstate_t state{};
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end) {
    wchar_t c = 0;
    const size_t n = std::mbrtowc(&c, p, static_cast<size_t>(end - p), &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      out += L'?';
      ++p;
      state = {};
      continue;
    }
    out += c;
    p += n == 0 ? 1 : n;
  }
  return out;
}

int CharWidth(wchar_t c) {
  const int w = wcwidth(c);
  return w < 0 ? 1 : w;
}

}  // namespace

std::vector<std::wstring> TerminalLines(const std::string& cp932Text) {
  const std::wstring text = Widen(platform::Cp932ToUtf8(cp932Text));
  std::vector<std::wstring> lines(1);
  for (const wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

int DisplayWidth(const std::wstring& text) {
  int w = 0;
  for (const wchar_t c : text) w += CharWidth(c);
  return w;
}

std::wstring FitWidth(const std::wstring& text, int width) {
  std::wstring out;
  int w = 0;
  for (const wchar_t c : text) {
    if (w + CharWidth(c) > width) break;
    w += CharWidth(c);
    out += c;
  }
  return out;
}

std::vector<std::wstring> WrapLines(const std::vector<std::wstring>& lines, int width) {
  std::vector<std::wstring> out;
  if (width <= 0) return out;
  for (const std::wstring& line : lines) {
    std::wstring current;
    int w = 0;
    for (const wchar_t c : line) {
      if (w + CharWidth(c) > width) {
        out.push_back(current);
        current.clear();
        w = 0;
      }
      current += c;
      w += CharWidth(c);
    }
    out.push_back(current);
  }
  return out;
}

}  // namespace refontis::app
