// refontis-patch inspect: what the font model sees in a font file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_support.h"
#include "commands.h"
#include "font_diagnosis.h"
#include "json_writer.h"
#include "otf/checksum.h"
#include "otf/name_table.h"
#include "otf/open_type_manager.h"

namespace refontis::tools {
namespace {

constexpr const char* kUsage =
    "usage: refontis-patch inspect [--json] FONT.otf\n"
    "\n"
    "Loads FONT.otf as the updater does and prints its sfnt version, its tables in directory\n"
    "order (tag, stored and recomputed checksum, offset, length), the identification name text\n"
    "(the fifth name record) and revision, whether the Macintosh and Windows name-ID-13 records\n"
    "exist, and the whole-file checksum. --json prints one JSON object instead.\n"
    "Exit status: 0 for a font the updater can load, 1 otherwise (the reason on stderr).\n";

struct TableReport {
  std::string tag;
  uint32_t checkSum, computed, offset, length;
};

// The table checksum as the directory should hold it; head's checkSumAdjustment counts as 0.
uint32_t ComputedChecksum(const CTagObject& table) {
  if (std::strcmp(table.tagText, "head") != 0) return TableChecksum(table.data, table.length);
  std::vector<uint8_t> copy(RoundUp4(table.length), 0);
  std::copy_n(table.data.begin(), std::min(copy.size(), table.data.size()), copy.begin());
  if (copy.size() >= 12) std::fill_n(copy.begin() + 8, 4, 0);
  return TableChecksum(copy, table.length);
}

void Name13Presence(COpenTypeManager& font, bool* mac, bool* win) {
  *mac = *win = false;
  for (size_t i = 0; i < font.header.numTables; ++i) {
    const auto record = font.DirectoryRecord(i);
    if (record.empty() || std::memcmp(record.data(), "name", 4) != 0) continue;
    CTagNameObject name;
    if (!name.AttachRecord(font.FileContent(), 12 + 16 * i) || !name.ReadNameTable()) continue;
    for (const auto& rec : name.nameTable.records) {
      if (rec->nameID != 13) continue;
      if (rec->platformID == 1 && rec->encodingID == 0 && rec->languageID == 0) *mac = true;
      if (rec->platformID == 3 && rec->encodingID == 1 && rec->languageID == 0x409) *win = true;
    }
    return;
  }
}

}  // namespace

int InspectCommand(int argc, char** argv) {
  if (HasFlag(argc, argv, "--help") || HasFlag(argc, argv, "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  bool json = false;
  std::vector<std::string> paths;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else {
      paths.emplace_back(argv[i]);
    }
  }
  if (paths.size() != 1) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  platform::Platform& platform = platform::NativePlatform();
  COpenTypeManager font(platform);
  if (font.LoadFont(paths[0], nullptr, nullptr, 1, 0) != 0) {
    std::fprintf(stderr, "refontis-patch inspect: %s\n",
                 DiagnoseUnloadableFont(platform, paths[0]).c_str());
    return 1;
  }

  std::vector<TableReport> tables;
  for (const auto& table : font.tables) {
    tables.push_back({table->tagText, table->checkSum, ComputedChecksum(*table), table->offset,
                      table->length});
  }
  std::string nameText;
  uint32_t revision = 0;
  bool haveName = false, haveRevision = false;
  for (size_t i = 0; i < font.header.numTables; ++i) {
    if (!haveName) haveName = font.ReadFontName(font.DirectoryRecord(i), &nameText);
  }
  for (size_t i = 0; i < font.header.numTables; ++i) {
    if (!haveRevision) haveRevision = font.ReadFontRevision(font.DirectoryRecord(i), &revision);
  }
  bool mac13 = false, win13 = false;
  Name13Presence(font, &mac13, &win13);
  const uint32_t fileSum = WordSum(font.FileContent(), font.FileContent().size());
  const std::span<const uint8_t> nameBytes(reinterpret_cast<const uint8_t*>(nameText.data()),
                                           nameText.size());

  if (json) {
    JsonWriter w;
    w.BeginObject();
    w.Key("sfntVersion");
    w.Value(int64_t{font.header.sfntVersion});
    w.Key("numTables");
    w.Value(int64_t{font.header.numTables});
    w.Key("tables");
    w.BeginArray();
    for (const auto& t : tables) {
      w.BeginObject();
      w.Key("tag");
      w.Value(t.tag);
      w.Key("checkSum");
      w.Value(int64_t{t.checkSum});
      w.Key("computedCheckSum");
      w.Value(int64_t{t.computed});
      w.Key("offset");
      w.Value(int64_t{t.offset});
      w.Key("length");
      w.Value(int64_t{t.length});
      w.EndObject();
    }
    w.EndArray();
    w.Key("fontName");
    w.Value(nameText);
    w.Key("fontNameHex");
    w.Value(Hex(nameBytes));
    w.Key("fontRevision");
    w.Value(int64_t{revision});
    w.Key("hasMacName13");
    w.Value(mac13);
    w.Key("hasWinName13");
    w.Value(win13);
    w.Key("fileSum");
    w.Value(int64_t{fileSum});
    w.Key("checkSumAdjustmentOk");
    w.Value(fileSum == kFontChecksumMagic);
    w.EndObject();
    std::printf("%s\n", w.Text().c_str());
    return 0;
  }

  std::printf("%s\n", paths[0].c_str());
  std::printf("  sfnt version  %s (OTTO), %u tables\n", Hex32(font.header.sfntVersion).c_str(),
              font.header.numTables);
  std::printf("  %-4s  %-10s  %-10s  %10s  %10s\n", "tag", "checksum", "computed", "offset",
              "length");
  for (const auto& t : tables) {
    std::printf("  %-4s  %s  %s  %10u  %10u%s\n", t.tag.c_str(), Hex32(t.checkSum).c_str(),
                Hex32(t.computed).c_str(), t.offset, t.length,
                t.checkSum == t.computed ? "" : "  checksum mismatch");
  }
  if (haveName) {
    std::printf("  font name     %s (%s)\n", nameText.c_str(), Hex(nameBytes).c_str());
  } else {
    std::printf("  font name     (none: the fifth name record reads as an empty text)\n");
  }
  if (haveRevision) {
    std::printf("  revision      %s (%s)\n", Hex32(revision).c_str(),
                RevisionText(revision).c_str());
  } else {
    std::printf("  revision      (no head table)\n");
  }
  std::printf("  name ID 13    Macintosh %s, Windows %s\n", mac13 ? "yes" : "no",
              win13 ? "yes" : "no");
  std::printf("  file sum      %s, checkSumAdjustment %s\n", Hex32(fileSum).c_str(),
              fileSum == kFontChecksumMagic ? "correct" : "WRONG");
  return 0;
}

}  // namespace refontis::tools
