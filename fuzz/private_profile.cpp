// Fuzzes the private-profile parser: arbitrary bytes parsed, then the program's keys queried.
#include "platform/private_profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using refontis::platform::PrivateProfile;
  const PrivateProfile profile = PrivateProfile::Parse(std::span<const uint8_t>(data, size));
  static const char* const kSections[] = {"UPDATE_FONT", "UPDATE_STARTDLG_STRING", "", "s"};
  static const char* const kKeys[] = {
      "MAXNUM", "FONT_PAFILE1", "FONT_RESNUM1", "MAIN_TEXTTITLE", "FONT_TEXTTITLE13", "", "k"};
  static const size_t kBuffers[] = {0, 1, 2, 255, 1024};
  for (const char* section : kSections) {
    for (const char* key : kKeys) {
      const auto found = profile.Find(section, key);
      for (const size_t buffer : kBuffers) {
        const std::string value = profile.GetString(section, key, "default", buffer);
        if (value.size() + 1 > buffer && !(buffer == 0 && value.empty())) std::abort();
        if (found && buffer > 0 && found->compare(0, buffer - 1, value) != 0) std::abort();
      }
      const int number = profile.GetInt(section, key, -1);
      if (!found && number != -1) std::abort();
      if (found && number != refontis::platform::LeadingDecimal(*found)) std::abort();
    }
  }
  return 0;
}
