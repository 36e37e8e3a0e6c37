// Writes the seed inputs of every fuzzer into OUTDIR/<target>/ from the test fixture writer.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/font_builder.h"

namespace {

void Write(const std::filesystem::path& dir, const std::string& name,
           const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
  return 0;
}
