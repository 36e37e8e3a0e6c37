// Fuzzes the patch readers: the whole-patch loader and the header readers on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "patch/sabun_data.h"
#include "support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  refontis::test::FakePlatform platform;
  // The resource is served as exactly these bytes, so any read past them is caught.
  const std::vector<uint8_t> bytes(data, data + size);
  platform.resources.Add(refontis::kPatchResourceType, 2001, bytes);

  refontis::PatchFontName name{};
  uint32_t revision = 0;
  refontis::CMakeSabunData header(platform);
  const bool hasHeader = header.ReadHeaderFromResource(2001, &name, &revision);
  if (hasHeader != refontis::ReadPatchHeader(bytes, &name, &revision)) __builtin_trap();

  refontis::CMakeSabunData patch(platform);
  if (patch.LoadFromResource(2001)) {
    // Every decoded block must lie inside the patch bytes the object keeps.
    const uint8_t* begin = patch.patchBytes.data();
    const uint8_t* end = begin + patch.patchBytes.size();
    for (const auto& record : patch.records) {
      for (const auto& literal : record->literalBlocks) {
        if (!literal->bytes.empty() && (literal->bytes.data() < begin ||
                                        literal->bytes.data() + literal->bytes.size() > end)) {
          __builtin_trap();
        }
      }
    }
    for (int i = 0; i < 256; ++i) (void)patch.FindRecordByIndex(i);
    (void)patch.FindRecordByTag("name");
  }
  return 0;
}
