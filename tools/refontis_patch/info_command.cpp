// refontis-patch info: a patch's header and table records.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "cli_support.h"
#include "commands.h"
#include "json_writer.h"
#include "patch/sabun_data.h"

namespace refontis::tools {
namespace {

constexpr const char* kUsage =
    "usage: refontis-patch info [--json] PATCH.pa\n"
    "\n"
    "Prints the patch header (magic, font name as text and hex, revision, new file size, table\n"
    "count, revision date) and for every table record its tag, directory index, physical order,\n"
    "difference offset, length and offset, with the counts and byte totals of its copy and\n"
    "literal blocks. Exit status 1 with the reason for a file that does not load.\n";

// Seconds since 1904-01-01 as a calendar date (UTC).
std::string DateText(uint64_t seconds1904) {
  // Civil date from days since 1970-01-01 (1904-01-01 is day -24107).
  const int64_t z = static_cast<int64_t>(seconds1904 / 86400) - 24107 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  const uint64_t rest = seconds1904 % 86400;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld %02u:%02u:%02u", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d),
                static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                static_cast<unsigned>(rest % 60));
  return buf;
}

uint64_t DateSeconds(const std::array<uint8_t, 8>& date) {
  uint64_t value = 0;
  for (const uint8_t b : date) value = (value << 8) | b;
  return value;
}

std::string FontNameText(const PatchFontName& name) {
  size_t n = 0;
  while (n < name.size() && name[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(name.data()), n);
}

struct BlockTotals {
  int64_t copies = 0, copyBytes = 0, literals = 0, literalBytes = 0;
};

BlockTotals Totals(const CSabunTagObject& record) {
  BlockTotals t;
  for (const auto& b : record.copyBlocks) {
    ++t.copies;
    t.copyBytes += b->length;
  }
  for (const auto& b : record.literalBlocks) {
    ++t.literals;
    t.literalBytes += b->length;
  }
  return t;
}

}  // namespace

int InfoCommand(int argc, char** argv) {
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
  const auto bytes = platform::ReadWholeFile(platform, paths[0], platform::ShareMode::kShared, 0);
  if (!bytes) {
    std::fprintf(stderr, "refontis-patch info: cannot read %s (missing or empty)\n",
                 paths[0].c_str());
    return 1;
  }
  CMakeSabunData patch(platform);
  if (!patch.LoadFromBytes(*bytes)) {
    std::fprintf(stderr,
                 "refontis-patch info: %s is not a readable patch (a header, record or "
                 "difference area runs past its end)\n",
                 paths[0].c_str());
    return 1;
  }
  if (std::memcmp(patch.magic.data(), kPatchMagic, 4) != 0) {
    std::fprintf(stderr, "refontis-patch info: %s does not start with QLTP\n", paths[0].c_str());
    return 1;
  }
  const std::string name = FontNameText(patch.fontName);
  const uint64_t date = DateSeconds(patch.revisionDate);

  if (json) {
    JsonWriter w;
    w.BeginObject();
    w.Key("magic");
    w.Value(std::string(patch.magic.begin(), patch.magic.end()));
    w.Key("fontName");
    w.Value(name);
    w.Key("fontNameHex");
    w.Value(Hex(std::span<const uint8_t>(patch.fontName).first(name.size())));
    w.Key("fontRevision");
    w.Value(int64_t{patch.fontRevision});
    w.Key("newFileSize");
    w.Value(int64_t{patch.newFileSize});
    w.Key("tableCount");
    w.Value(int64_t{patch.tableCount});
    w.Key("revisionDate");
    w.Value(static_cast<int64_t>(date));
    w.Key("revisionDateText");
    w.Value(DateText(date));
    w.Key("records");
    w.BeginArray();
    for (const auto& r : patch.records) {
      const BlockTotals t = Totals(*r);
      w.BeginObject();
      w.Key("tag");
      w.Value(std::string(r->tagText));
      w.Key("directoryIndex");
      w.Value(int64_t{r->directoryIndex});
      w.Key("physicalOrder");
      w.Value(int64_t{r->physicalOrder});
      w.Key("differenceOffset");
      w.Value(int64_t{r->differenceOffset});
      w.Key("length");
      w.Value(int64_t{r->length});
      w.Key("offset");
      w.Value(int64_t{r->offset});
      w.Key("copyBlocks");
      w.Value(t.copies);
      w.Key("copyBytes");
      w.Value(t.copyBytes);
      w.Key("literalBlocks");
      w.Value(t.literals);
      w.Key("literalBytes");
      w.Value(t.literalBytes);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", w.Text().c_str());
    return 0;
  }

  std::printf("%s: %zu bytes\n", paths[0].c_str(), patch.patchSize);
  std::printf("  magic         %.4s\n", reinterpret_cast<const char*>(patch.magic.data()));
  std::printf("  font name     %s (%s)\n", name.c_str(),
              Hex(std::span<const uint8_t>(patch.fontName).first(name.size())).c_str());
  std::printf("  revision      %s (%s)\n", Hex32(patch.fontRevision).c_str(),
              RevisionText(patch.fontRevision).c_str());
  std::printf("  new file size %u\n", patch.newFileSize);
  std::printf("  tables        %u\n", patch.tableCount);
  std::printf("  revision date %s\n", DateText(date).c_str());
  std::printf("  %-4s %5s %5s %10s %10s %10s %8s %10s %8s %10s\n", "tag", "index", "order",
              "diff.off", "length", "offset", "copies", "bytes", "literals", "bytes");
  for (const auto& r : patch.records) {
    const BlockTotals t = Totals(*r);
    std::printf("  %-4s %5u %5u %10u %10u %10u %8lld %10lld %8lld %10lld\n", r->tagText,
                r->directoryIndex, r->physicalOrder, r->differenceOffset, r->length, r->offset,
                static_cast<long long>(t.copies), static_cast<long long>(t.copyBytes),
                static_cast<long long>(t.literals), static_cast<long long>(t.literalBytes));
  }
  return 0;
}

}  // namespace refontis::tools
