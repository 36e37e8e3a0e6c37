// The embedded configuration.
#include "config/res_file_ctrl.h"

#include "otf/path_parts.h"
#include "patch/sabun_data.h"
#include "platform/private_profile.h"

namespace refontis {
namespace {

std::unique_ptr<CResFileCtrl>& Slot() {
  static std::unique_ptr<CResFileCtrl> instance;
  return instance;
}

constexpr char kUpdateFont[] = "UPDATE_FONT";
constexpr char kStartPage[] = "UPDATE_STARTDLG_STRING";

}  // namespace

CResFileCtrl& CResFileCtrl::Instance(platform::Platform& platform) {
  auto& slot = Slot();
  if (!slot) {
    slot.reset(new CResFileCtrl(platform));
    slot->LoadConfiguration();
  }
  return *slot;
}

void CResFileCtrl::DeleteInstance() { Slot().reset(); }

bool CResFileCtrl::HasInstance() { return Slot() != nullptr; }

CResFileCtrl::CResFileCtrl(platform::Platform& platform) : platform_(platform) {}

CResFileCtrl::~CResFileCtrl() {
  if (!configurationPath_.empty()) platform_.DeleteFile(configurationPath_);
}

std::string CResFileCtrl::Read(const char* section, const std::string& key, size_t bufferSize) {
  return platform_.GetPrivateProfileString(section, key, "", bufferSize, configurationPath_);
}

void CResFileCtrl::LoadConfiguration() {
  entryCount_ = 0;
  const auto resource =
      platform_.FindResource(kConfigurationResourceType, kConfigurationResourceId);
  if (!resource) return;
  // Created exclusively: a root process must never write through a file planted in a shared
  // temporary folder.
  const auto path = platform::CreateTempFile(platform_, ".ini", *resource);
  if (!path) return;
  configurationPath_ = *path;

  const std::string count = Read(kUpdateFont, "MAXNUM", 255);
  if (count.empty()) return;
  configuredCount_ = platform::LeadingDecimal(count);
  if (configuredCount_ <= 0) return;

  for (int n = 1; n <= configuredCount_; ++n) {
    const std::string patchFile = Read(kUpdateFont, "FONT_PAFILE" + std::to_string(n), 255);
    if (patchFile.empty()) return;
    // The configuration is a code-page-932 text written for Windows, whatever runs it.
    const PathParts parts = SplitPath(patchFile, platform::PathStyle::kWindowsCp932);
    const int id = platform_.GetPrivateProfileInt(kUpdateFont, "FONT_RESNUM" + std::to_string(n),
                                                  -1, configurationPath_);
    if (id == 0) return;
    const uint32_t resourceId = static_cast<uint32_t>(id) & 0xFFFF;
    const auto patch = platform_.FindResource(kPatchResourceType, static_cast<int>(resourceId));
    if (!patch || patch->empty()) return;
    auto entry = std::make_unique<PatchFileEntry>();
    entry->fontFileName = parts.stem + ".otf";
    entry->resourceId = resourceId;
    entry->patchFileName = patchFile;
    patchFiles_.push_back(std::move(entry));
    ++entryCount_;
  }
}

std::string CResFileCtrl::GetStartPageText() {
  titles_.clear();
  std::string text;
  const std::string heading = Read(kStartPage, "MAIN_TEXTTITLE", 1024);
  if (heading.empty()) return text;
  text += heading + "\n\n";
  const std::string count = Read(kStartPage, "MAXNUM", 255);
  if (count.empty()) return {};
  const int lines = platform::LeadingDecimal(count);
  for (int i = 1; i <= lines; ++i) {
    const std::string title = Read(kStartPage, "FONT_TEXTTITLE" + std::to_string(i), 255);
    if (title.empty()) {
      text += "\n";
    } else {
      text += title + "\n";
      titles_.push_back(title);
    }
  }
  return text;
}

}  // namespace refontis
