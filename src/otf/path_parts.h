// Splitting a path into folder, file name and extension, aware of two-byte characters.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace refontis {

struct PathParts {
  std::string directory;  // with its trailing separator
  std::string stem;       // file name without extension
  std::string extension;  // with its dot, or empty
};

PathParts SplitPath(std::string_view path, platform::PathStyle style);

// True when byte c starts a two-byte character of code page 932.
constexpr bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace refontis
