// The embedded configuration: extracted to a temporary file, read for the patch file list and
// the start page's texts. One instance for the program run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/patch_entry.h"
#include "platform/platform.h"

namespace refontis {

inline constexpr char kConfigurationResourceType[] = "INIFILE";
inline constexpr int kConfigurationResourceId = 2000;

class CResFileCtrl {
 public:
  // The single instance, created (and the configuration loaded) on first use.
  static CResFileCtrl& Instance(platform::Platform& platform);
  // Deletes the instance and with it the temporary configuration file (program exit, tests).
  static void DeleteInstance();
  static bool HasInstance();

  virtual ~CResFileCtrl();

  void LoadConfiguration();
  // The start page's text (heading, blank line, title lines); refreshes TitleList().
  std::string GetStartPageText();

  int ConfiguredCount() const { return configuredCount_; }
  int EntryCount() const { return entryCount_; }
  const PatchFileEntry& Entry(int index) const { return *patchFiles_[static_cast<size_t>(index)]; }
  const std::vector<std::string>& TitleList() const { return titles_; }
  const std::string& ConfigurationPath() const { return configurationPath_; }

 private:
  explicit CResFileCtrl(platform::Platform& platform);
  std::string Read(const char* section, const std::string& key, size_t bufferSize);

  platform::Platform& platform_;
  std::vector<std::unique_ptr<PatchFileEntry>> patchFiles_;
  std::string configurationPath_;
  int configuredCount_ = 0;
  int entryCount_ = 0;
  std::vector<std::string> titles_;
};

}  // namespace refontis
