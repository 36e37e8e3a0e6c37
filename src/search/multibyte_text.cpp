// Text comparisons that respect two-byte characters.
#include "search/multibyte_text.h"

#include "otf/path_parts.h"

namespace refontis {
namespace {

// Whether `position` starts a character of `text`.
bool IsBoundary(std::string_view text, size_t position, platform::PathStyle style) {
  if (style != platform::PathStyle::kWindowsCp932) return true;
  size_t k = 0;
  while (k < position) {
    k += (IsCp932LeadByte(static_cast<unsigned char>(text[k])) && k + 1 < text.size()) ? 2 : 1;
  }
  return k == position;
}

}  // namespace

bool StartsWithMultibyte(std::string_view text, std::string_view prefix,
                         platform::PathStyle style) {
  return text.substr(0, prefix.size()) == prefix && IsBoundary(text, prefix.size(), style);
}

size_t FindMultibyte(std::string_view text, std::string_view pattern, platform::PathStyle style) {
  for (size_t at = text.find(pattern); at != std::string_view::npos;
       at = text.find(pattern, at + 1)) {
    if (IsBoundary(text, at, style)) return at;
  }
  return std::string_view::npos;
}

}  // namespace refontis
