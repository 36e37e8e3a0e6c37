// Text comparisons that respect two-byte characters where the platform's strings are code page
// 932; byte for byte elsewhere.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace refontis {

// True when `text` begins with `prefix` and the prefix ends on a character boundary of `text`.
bool StartsWithMultibyte(std::string_view text, std::string_view prefix, platform::PathStyle style);

// The position of the first occurrence of `pattern` in `text` that starts on a character
// boundary, or npos.
size_t FindMultibyte(std::string_view text, std::string_view pattern, platform::PathStyle style);

}  // namespace refontis
