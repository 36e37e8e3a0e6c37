// printf-style texts with one string argument, as the program's messages and progress lines are.
#pragma once

#include <cstdio>
#include <string>

namespace refontis {

inline std::string FormatText(const char* pattern, const std::string& argument) {
  const int n = std::snprintf(nullptr, 0, pattern, argument.c_str());
  std::string out(static_cast<size_t>(n < 0 ? 0 : n), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern, argument.c_str());
  return out;
}

// The same with two string arguments.
inline std::string FormatText(const char* pattern, const std::string& first,
                              const std::string& second) {
  const int n = std::snprintf(nullptr, 0, pattern, first.c_str(), second.c_str());
  std::string out(static_cast<size_t>(n < 0 ? 0 : n), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern, first.c_str(), second.c_str());
  return out;
}

}  // namespace refontis
