// The update settings of a patch build: which changed tables get a difference area, and the
// revision date stamped into the patch. One instance for the whole process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refontis {

class CUpdateInfoCtrl {
 public:
  struct Entry {
    std::string tagText;  // up to four characters
    int32_t flag;         // non-zero: a changed table with this tag gets a difference area
  };

  static CUpdateInfoCtrl& Instance();
  // Forgets every entry and the date (tests, and a tool building several patches).
  static void Reset();

  void AddEntry(const std::string& tagText, int32_t flag);
  // False when there is no entry with this tag text.
  bool SetFlag(const std::string& tagText, int32_t flag);
  void SetAllFlags(int32_t flag);
  // The entry for a table tag; a trailing space of the tag is dropped ("CFF " finds "CFF").
  const Entry* Find(const char* tableTag) const;

  const std::vector<Entry>& Entries() const { return entries_; }
  uint64_t revisionDate = 0;  // seconds since 1904-01-01 00:00

 private:
  CUpdateInfoCtrl() = default;
  std::vector<Entry> entries_;
};

}  // namespace refontis
