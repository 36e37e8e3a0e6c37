// Fuzzes the rebuild: a fixed small valid font rebuilt in memory with arbitrary patch bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace {

int Continue(int, int, const char*, const char*, void*) { return 0; }

const std::vector<uint8_t>& OldFont() {
  static const std::vector<uint8_t> font =
      refontis::test::TypicalFont("Fixture Regular Full Name", 0x00010000, "Old licence text");
  return font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A huge claimed image only tests the allocator.
  if (size >= 44) {
    const uint32_t newFileSize = (uint32_t{data[40]} << 24) | (uint32_t{data[41]} << 16) |
                                 (uint32_t{data[42]} << 8) | data[43];
    if (newFileSize > (1u << 20)) return 0;
  }
  refontis::test::FakePlatform platform;
  platform.files["/fonts/Old.otf"] = OldFont();
  refontis::COpenTypeManager font(platform);
  if (font.LoadFont("/fonts/Old.otf", nullptr, nullptr, 1, 0) != 0) __builtin_trap();
  bool found = false;
  for (size_t i = 0; i < font.header.numTables && !found; ++i) {
    found = font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13);
  }
  if (!found) __builtin_trap();

  auto patch = std::make_unique<refontis::CMakeSabunData>(platform);
  if (!patch->LoadFromBytes(std::span<const uint8_t>(data, size))) return 0;
  int dummy = 0;
  const int code =
      font.BuildNewFontInMemory("/fonts/Old.otf", std::move(patch), &Continue, &dummy, 1, 0);
  if (code == 0) {
    // A written image whose head table is word-aligned and clear of the directory sums to the
    // checksum magic, its partial last word zero-padded (an unaligned head's adjustment
    // straddles two words; one inside the directory can overlap the head record's checksum).
    const auto image = font.NewFontImage();
    auto u32 = [&](size_t at) {
      return (uint32_t{image[at]} << 24) | (uint32_t{image[at + 1]} << 16) |
             (uint32_t{image[at + 2]} << 8) | image[at + 3];
    };
    bool alignedHead = false;
    for (size_t i = 0; i < font.header.numTables; ++i) {
      const size_t entry = 12 + 16 * i;
      if (std::memcmp(&image[entry], "head", 4) == 0) {
        const uint32_t offset = u32(entry + 8);
        alignedHead = offset % 4 == 0 && offset >= 12 + 16 * size_t{font.header.numTables};
        break;
      }
    }
    uint32_t sum = 0;
    for (size_t k = 0; k < image.size(); k += 4) {
      uint32_t word = 0;
      for (size_t j = 0; j < 4; ++j) word = (word << 8) | (k + j < image.size() ? image[k + j] : 0);
      sum += word;
    }
    if (alignedHead && sum != 0xB1B0AFBAu) __builtin_trap();
  }
  return 0;
}
