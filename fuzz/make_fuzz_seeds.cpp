// Writes the seed inputs of every fuzzer into OUTDIR/<target>/ from the test fixture writer.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/font_builder.h"
#include "support/patch_builder.h"

namespace {

void Write(const std::filesystem::path& dir, const std::string& name,
           const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
    return 1;
  }
  const std::filesystem::path out = argv[1];
  using namespace refontis::test;
  const auto typical = TypicalFont("Fixture Regular Full Name", 0x00010000);
  Write(out / "fuzz_font_loader", "typical.otf", typical);
  Write(out / "fuzz_font_loader", "head-only.otf", BuildFont({{"head", BuildHeadTable(0x20000)}}));
  Write(out / "fuzz_font_loader", "unpadded.otf",
        BuildFont({{"head", BuildHeadTable(0x20000)},
                   {"name", BuildNameTable(TypicalNameRecords("X", "a", "b"))}},
                  {.padLastTable = false}));
  // Private profiles in the configuration's shape: CRLF and LF, quotes, comments, CP932 bytes.
  const std::string config =
      "; demo\r\n[UPDATE_FONT]\r\nMAXNUM=1\r\nFONT_PAFILE1=sub\\Name.pa\r\nFONT_RESNUM1=2001\r\n"
      "[UPDATE_STARTDLG_STRING]\r\nMAIN_TEXTTITLE=\"\x83\x5C\x95\x5C\"\r\nMAXNUM=13\r\n"
      "FONT_TEXTTITLE13=\x81\x40\x81\x45 A / B\r\n";
  const std::string odd = " [ s ] \nk = 'v'\nK=dup\n[\x83\x5D]\nk=12abc\n[UPDATE_FONT\nMAXNUM=-5";
  Write(out / "fuzz_private_profile", "config.ini", {config.begin(), config.end()});
  Write(out / "fuzz_private_profile", "odd.ini", {odd.begin(), odd.end()});

  // Patches: hand-made shapes for the loader, and patches that fit the rebuild fuzzer's font
  // (TypicalFont with the same names) so that mutations start from a full rebuild.
  const auto revised = TypicalFont("Fixture Regular Full Name", 0x00010042, "New licence text!");
  const Bytes literal = BuildPatch(WholeLiteralPatch(revised));
  const Bytes carried = BuildPatch(
      CarryOverPatch(TypicalFont("Fixture Regular Full Name", 0x00010000, "Old licence text")));
  PatchSpec blocks = WholeLiteralPatch(revised);
  blocks.records[0].difference =
      DifferenceSpec{{{0, 100, 0}, {150, 151, 150}}, {{100, Bytes(50, 0x41)}, {150, {}}}};
  blocks.records[0].length = 301;
  PatchSpec empty;
  empty.newFileSize = 12;
  for (const char* target : {"fuzz_patch_loader", "fuzz_font_rebuild"}) {
    Write(out / target, "whole-literal.pa", literal);
    Write(out / target, "carry-over.pa", carried);
    Write(out / target, "copies-and-literals.pa", BuildPatch(blocks));
  }
  Write(out / "fuzz_patch_loader", "no-tables.pa", BuildPatch(empty));

  // Builder inputs: options byte, then old/new CFF and old/new GSUB as 16-bit-length chunks,
  // then a shared cmap (layout in fuzz/builder.cpp).
  auto builderInput = [](uint8_t options, std::initializer_list<Bytes> chunks, Bytes cmap) {
    Bytes input{options};
    for (const Bytes& c : chunks) {
      input.push_back(static_cast<uint8_t>(c.size() >> 8));
      input.push_back(static_cast<uint8_t>(c.size()));
      input.insert(input.end(), c.begin(), c.end());
    }
    input.insert(input.end(), cmap.begin(), cmap.end());
    return input;
  };
  Bytes cff;
  for (int k = 0; k < 700; ++k) cff.push_back(static_cast<uint8_t>((k * 37 + k / 50) & 0xFF));
  Bytes revisedCff = cff;
  revisedCff.insert(revisedCff.begin() + 300, {0xF7, 0x10});
  revisedCff.erase(revisedCff.begin() + 500, revisedCff.begin() + 503);
  Bytes gsub(120, 0x11);
  Bytes revisedGsub = gsub;
  revisedGsub[60] = 0x22;
  const auto fb = out / "fuzz_builder";
  Write(fb, "revised-both.bin",
        builderInput(0x07, {cff, revisedCff, gsub, revisedGsub}, Bytes(22, 1)));
  Write(fb, "gsub-kept.bin", builderInput(0x15, {cff, revisedCff, revisedGsub, gsub}, {}));
  Write(fb, "unchanged-cff.bin", builderInput(0x43, {cff, {}, gsub, Bytes(7, 3)}, Bytes(5, 9)));
  return 0;
}
