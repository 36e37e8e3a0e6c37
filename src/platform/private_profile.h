// Reading private-profile (INI) texts as the Windows profile calls read them; a pure function
// over bytes, so it is tested and fuzzed without files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace refontis::platform {

class PrivateProfile {
 public:
  // Section lines "[name]", "key=value" lines, ";" comment lines; anything else is passed over.
  static PrivateProfile Parse(std::span<const uint8_t> text);

  // The value of the first matching key of the first matching section (names compared without
  // regard to ASCII case), or nothing when the key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // GetPrivateProfileStringA: the value, or `fallback` when the key is missing, cut to
  // bufferSize - 1 bytes (nothing for a buffer of 0).
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                        size_t bufferSize) const;
  // GetPrivateProfileIntA: the value's leading decimal number (0 when it has none), or
  // `fallback` when the key is missing.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Section> sections_;
};

// The leading decimal number of a text ("  -12abc" gives -12), 0 when there is none; clamps
// to the int range.
int LeadingDecimal(std::string_view text);

}  // namespace refontis::platform
