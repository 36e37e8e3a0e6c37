// The update settings of a patch build.
#include "patch/update_info_ctrl.h"

#include <cstring>
#include <memory>

namespace refontis {
namespace {

std::unique_ptr<CUpdateInfoCtrl>& Slot() {
  static std::unique_ptr<CUpdateInfoCtrl> instance;
  return instance;
}

}  // namespace

CUpdateInfoCtrl& CUpdateInfoCtrl::Instance() {
  auto& slot = Slot();
  if (!slot) slot.reset(new CUpdateInfoCtrl());
  return *slot;
}

void CUpdateInfoCtrl::Reset() { Slot().reset(); }

void CUpdateInfoCtrl::AddEntry(const std::string& tagText, int32_t flag) {
  entries_.push_back({tagText.substr(0, 4), flag});
}

bool CUpdateInfoCtrl::SetFlag(const std::string& tagText, int32_t flag) {
  for (auto& entry : entries_) {
    if (entry.tagText == tagText) {
      entry.flag = flag;
      return true;
    }
  }
  return false;
}

void CUpdateInfoCtrl::SetAllFlags(int32_t flag) {
  for (auto& entry : entries_) entry.flag = flag;
}

const CUpdateInfoCtrl::Entry* CUpdateInfoCtrl::Find(const char* tableTag) const {
  std::string key(tableTag, strnlen(tableTag, 4));
  if (key.size() == 4 && key[3] == ' ') key.pop_back();
  for (const auto& entry : entries_) {
    if (entry.tagText == key) return &entry;
  }
  return nullptr;
}

}  // namespace refontis
