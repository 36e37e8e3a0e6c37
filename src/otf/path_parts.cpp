// Splitting a path into folder, file name and extension.
#include "otf/path_parts.h"

namespace refontis {

PathParts SplitPath(std::string_view path, platform::PathStyle style) {
  const bool windows = style == platform::PathStyle::kWindowsCp932;
  size_t nameStart = 0;
  size_t k = 0;
  while (k < path.size()) {
    const auto c = static_cast<unsigned char>(path[k]);
    if (windows && IsCp932LeadByte(c) && k + 1 < path.size()) {
      k += 2;
      continue;
    }
    if (c == '/' || (windows && (c == '\\' || c == ':'))) nameStart = k + 1;
    ++k;
  }
  PathParts parts;
  parts.directory = std::string(path.substr(0, nameStart));
  const std::string_view name = path.substr(nameStart);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) {
    parts.stem = std::string(name);
  } else {
    parts.stem = std::string(name.substr(0, dot));
    parts.extension = std::string(name.substr(dot));
  }
  return parts;
}

}  // namespace refontis
