// Small helpers shared by the refontis-patch commands.
#include "cli_support.h"

#include <cmath>
#include <cstdio>

namespace refontis::tools {

std::string Hex(std::span<const uint8_t> bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string Hex32(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", value);
  return buf;
}

std::string RevisionText(uint32_t fixed) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(fixed) / 65536.0);
  return buf;
}

std::string TagText(std::span<const uint8_t> tag) {
  std::string out;
  for (const uint8_t b : tag.first(tag.size() < 4 ? tag.size() : 4)) {
    out += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '?';
  }
  return out;
}

bool HasFlag(int argc, char** argv, std::string_view flag) {
  for (int i = 0; i < argc; ++i) {
    if (flag == argv[i]) return true;
  }
  return false;
}

}  // namespace refontis::tools
