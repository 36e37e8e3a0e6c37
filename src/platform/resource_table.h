// Resources served from a table in memory: the POSIX stand-in for a module's resource section.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace refontis::platform {

class ResourceTable {
 public:
  // Registers bytes that live as long as the table (embedded data, or a test's buffer).
  void Add(std::string type, int id, std::span<const uint8_t> bytes);
  // Registers bytes the table keeps a copy of.
  void AddCopy(std::string type, int id, std::vector<uint8_t> bytes);
  std::optional<std::span<const uint8_t>> Find(std::string_view type, int id) const;

 private:
  std::map<std::pair<std::string, int>, std::span<const uint8_t>, std::less<>> entries_;
  std::vector<std::vector<uint8_t>> owned_;
};

}  // namespace refontis::platform
