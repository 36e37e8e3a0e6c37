// Resources served from a table in memory.
#include "platform/resource_table.h"

namespace refontis::platform {

void ResourceTable::Add(std::string type, int id, std::span<const uint8_t> bytes) {
  entries_[{std::move(type), id}] = bytes;
}

void ResourceTable::AddCopy(std::string type, int id, std::vector<uint8_t> bytes) {
  owned_.push_back(std::move(bytes));
  Add(std::move(type), id, owned_.back());
}

std::optional<std::span<const uint8_t>> ResourceTable::Find(std::string_view type, int id) const {
  auto it = entries_.find(std::pair<std::string, int>(std::string(type), id));
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

}  // namespace refontis::platform
