// Fuzzes the font readers: LoadFont, IdentifyFont and ReadName13 on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "otf/open_type_manager.h"
#include "support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  refontis::test::FakePlatform platform;
  platform.files["/f.otf"] = std::vector<uint8_t>(data, data + size);
  refontis::COpenTypeManager font(platform);
  if (font.LoadFont("/f.otf", nullptr, nullptr, 1, 0) == 0) {
    for (size_t i = 0; i < font.header.numTables; ++i) {
      (void)font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13);
    }
    for (const auto& table : font.tables) (void)table->tagText;
  }
  uint32_t revision = 0;
  std::string name;
  (void)font.IdentifyFont("/f.otf", &revision, &name);
  return 0;
}
