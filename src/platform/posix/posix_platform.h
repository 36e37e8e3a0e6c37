// The POSIX back-end of the platform layer.
#pragma once

#include "platform/platform.h"
#include "platform/resource_table.h"

namespace refontis::platform {

class PosixPlatform : public Platform {
 public:
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, ShareMode mode) override;
  std::unique_ptr<WritableFile> CreateForWrite(const std::string& path, CreateMode mode) override;
  bool DeleteFile(const std::string& path) override;
  std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) override;
  PathStyle GetPathStyle() const override { return PathStyle::kPosix; }
  void ShowMessage(const std::string& text) override;

  // The resources this process serves; the build fills it with the embedded ones.
  ResourceTable& Resources() { return resources_; }

 private:
  ResourceTable resources_;
};

}  // namespace refontis::platform
