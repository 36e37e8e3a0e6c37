// An in-memory platform for tests: files in a map, resources in a table, injected failures.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/resource_table.h"

namespace refontis::test {

class FakePlatform : public platform::Platform {
 public:
  std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path,
                                                      platform::ShareMode mode) override;
  std::unique_ptr<platform::WritableFile> CreateForWrite(const std::string& path,
                                                         platform::CreateMode mode) override;
  bool DeleteFile(const std::string& path) override;
  std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) override;
  platform::PathStyle GetPathStyle() const override { return style; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  std::map<std::string, std::vector<uint8_t>> files;
  platform::ResourceTable resources;
  platform::PathStyle style = platform::PathStyle::kPosix;

  // Injected failures.
  std::set<std::string> unopenable;         // OpenForRead fails
  std::map<std::string, size_t> shortRead;  // Read stops after this many bytes
  std::set<std::string> uncreatable;        // CreateForWrite fails
  std::set<std::string> failingWrites;      // Write fails after half the bytes
  std::vector<std::string> opened;          // every path opened for reading, in order
  std::vector<std::string> created;         // every path created, in order
  std::vector<std::string> messages;        // every message shown, in order
};

}  // namespace refontis::test
