// Fuzzes the patch builder: two small fonts with fuzzed tables through LoadFonts and MakeSabun,
// then the patch rebuilds the old font, which must give the new font's selected tables.
//
// Input: one options byte, then four chunks each prefixed by a big-endian 16-bit length (old
// CFF, new CFF, old GSUB, new GSUB); the rest is a cmap table shared by both fonts.
// Options: bit 0 / 1 update flag of CFF / GSUB; bit 2 pad the last table; bits 3-5 rotate the
// table order; bit 6 / 7 the new CFF / GSUB is the old one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace {

using refontis::test::Bytes;

struct Reader {
  const uint8_t* data;
  size_t size;
  Bytes Chunk() {
    if (size < 2) return {};
    size_t n = (size_t{data[0]} << 8) | data[1];
    data += 2;
    size -= 2;
    n = n < size ? n : size;
    Bytes out(data, data + n);
    data += n;
    size -= n;
    return out;
  }
};

int Quiet(int, int, const char*, refontis::OwnerWindow) { return 0; }

// The bytes of the table `tag` in a font file (test-side reading of the directory).
Bytes TableOf(const Bytes& font, const char* tag) {
  const size_t n = refontis::test::ReadU16(font, 4);
  for (size_t i = 0; i < n; ++i) {
    const size_t r = 12 + 16 * i;
    if (std::memcmp(font.data() + r, tag, 4) != 0) continue;
    const uint32_t offset = refontis::test::ReadU32(font, r + 8);
    const uint32_t length = refontis::test::ReadU32(font, r + 12);
    if (offset > font.size() || length > font.size() - offset) abort();
    return Bytes(font.begin() + offset, font.begin() + offset + length);
  }
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace refontis;
  if (size < 1) return 0;
  const uint8_t options = data[0];
  Reader in{data + 1, size - 1};
  const Bytes oldCff = in.Chunk();
  Bytes newCff = in.Chunk();
  const Bytes oldGsub = in.Chunk();
  Bytes newGsub = in.Chunk();
  const Bytes cmap(in.data, in.data + in.size);
  if (options & 0x40) newCff = oldCff;
  if (options & 0x80) newGsub = oldGsub;
  const int32_t cffFlag = options & 1, gsubFlag = (options >> 1) & 1;

  const auto names = test::TypicalNameRecords("Fuzz Full Name", "Licence", "Licence");
  auto tables = [&](const Bytes& cff, const Bytes& gsub, uint32_t revision) {
    std::vector<test::TableSpec> t = {{"CFF ", cff},
                                      {"GSUB", gsub},
                                      {"cmap", cmap},
                                      {"head", test::BuildHeadTable(revision)},
                                      {"name", test::BuildNameTable(names)}};
    const size_t rotation = ((options >> 3) & 7) % t.size();
    std::vector<test::TableSpec> rotated(t.begin() + static_cast<std::ptrdiff_t>(rotation),
                                         t.end());
    rotated.insert(rotated.end(), t.begin(), t.begin() + static_cast<std::ptrdiff_t>(rotation));
    return rotated;
  };
  test::FontOptions fontOptions;
  fontOptions.padLastTable = (options & 4) != 0;
  const Bytes oldFont = test::BuildFont(tables(oldCff, oldGsub, 0x10000), fontOptions);
  const Bytes newFont = test::BuildFont(tables(newCff, newGsub, 0x10042), fontOptions);

  test::FakePlatform platform;
  platform.files["/old.otf"] = oldFont;
  platform.files["/new.otf"] = newFont;
  CUpdateInfoCtrl::Reset();
  CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  settings.AddEntry("CFF", cffFlag);
  settings.AddEntry("GSUB", gsubFlag);
  for (const char* tag : {"cmap", "head", "name"}) settings.AddEntry(tag, 1);

  CMakeSabunData builder(platform);
  if (!builder.LoadFonts("/old.otf", "/new.otf", nullptr, nullptr)) abort();
  if (!builder.MakeSabun("/out.pa", Quiet, nullptr, 1, 0)) abort();

  // A changed table kept with flag 0 must fit the new table's place: a longer old table does
  // not fit the record's buffer, or runs past the end of an image sized for the new one.
  if ((cffFlag == 0 && newCff != oldCff && oldCff.size() > newCff.size()) ||
      (gsubFlag == 0 && newGsub != oldGsub && oldGsub.size() > newGsub.size())) {
    return 0;
  }

  COpenTypeManager rebuilt(platform);
  if (rebuilt.LoadFont("/old.otf", nullptr, nullptr, 1, 0) != 0) abort();
  bool names13 = false;
  for (size_t i = 0; i < rebuilt.header.numTables; ++i) {
    names13 = names13 || rebuilt.ReadName13(rebuilt.DirectoryRecord(i), &rebuilt.macName13,
                                            &rebuilt.winName13);
  }
  if (!names13) abort();
  if (rebuilt.BuildNewFontFromFile("/old.otf", "/out.pa", "/rebuilt.otf", nullptr, nullptr, 1, 0) !=
      0) {
    abort();
  }
  const Bytes& image = platform.files.at("/rebuilt.otf");
  if (image.size() != newFont.size()) abort();
  if (TableOf(image, "CFF ") != (cffFlag ? newCff : oldCff)) abort();
  if (TableOf(image, "GSUB") != (gsubFlag ? newGsub : oldGsub)) abort();
  if (TableOf(image, "cmap") != cmap || TableOf(image, "name") != TableOf(newFont, "name")) abort();
  Bytes head = TableOf(image, "head"), wanted = TableOf(newFont, "head");
  std::memset(head.data() + 8, 0, 4);  // checkSumAdjustment: of the rebuilt file
  std::memset(wanted.data() + 8, 0, 4);
  if (head != wanted) abort();
  if (test::SumWords(image) != 0xB1B0AFBA) abort();
  return 0;
}
