// refontis-patch build and verify: make a patch from an old and a new font, and check one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "cli_support.h"
#include "commands.h"
#include "otf/checksum.h"
#include "patch/result_codes.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "platform/text_encoding.h"
#include "table_compare.h"

namespace refontis::tools {
namespace {

constexpr const char* kBuildUsage =
    "usage: refontis-patch build [--update TAG=FLAG]... [--date YYYY-MM-DD | --date-seconds N]\n"
    "                            [--quiet] OLD.otf NEW.otf OUT.pa\n"
    "\n"
    "Writes OUT.pa, the patch that turns OLD.otf into NEW.otf. Every table of NEW gets flag 1\n"
    "(a changed table is described by its difference); --update TAG=0 keeps the old version of\n"
    "a changed table instead (TAG as in the font, e.g. 'CFF ' or CFF). The revision date is\n"
    "--date (UTC midnight) or --date-seconds (seconds since 1904-01-01), 0 without either.\n"
    "Afterwards the patch is applied to OLD in memory and every changed, selected table is\n"
    "compared with NEW's (name-ID-13 strings aside).\n"
    "Exit status: 0 written and verified; 1 not written (the builder's message on stderr);\n"
    "2 written, but it does not rebuild NEW from OLD (reported table by table).\n";

constexpr const char* kVerifyUsage =
    "usage: refontis-patch verify [--update TAG=FLAG]... OLD.otf NEW.otf PATCH.pa\n"
    "\n"
    "Rebuilds OLD.otf with PATCH.pa in memory and reports, table by table, whether the result\n"
    "equals NEW.otf's table (name-ID-13 strings aside). Tables given --update TAG=0 are not\n"
    "selected and only reported. Exit status 0 only when every selected table matches.\n";

// <chrono> cannot be used: its "µs" suffix does not exist in the code page texts compile to.
double MonotonicSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Options {
  std::vector<std::pair<std::string, int>> updates;
  uint64_t date = 0;
  bool quiet = false;
  std::vector<std::string> paths;
  std::string error;
};

// Days from 1904-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysSince1904(int y, int m, int d) {
  auto daysFromCivil = [](int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
  };
  return daysFromCivil(y, m, d) - daysFromCivil(1904, 1, 1);
}

bool ParseDate(const std::string& text, uint64_t* seconds) {
  int y = 0, m = 0, d = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3 || y < 1904 || m < 1 || m > 12 ||
      d < 1 || d > 31) {
    return false;
  }
  *seconds = static_cast<uint64_t>(DaysSince1904(y, m, d)) * 86400;
  return true;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        o.error = a + " needs a value";
        return {};
      }
      return argv[++i];
    };
    if (a == "--update") {
      const std::string v = value();
      const size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0 || eq > 4) {
        o.error = "--update takes TAG=FLAG";
      } else {
        std::string tag = v.substr(0, eq);
        if (tag.size() == 4 && tag[3] == ' ') tag.pop_back();
        o.updates.emplace_back(tag, std::atoi(v.c_str() + eq + 1));
      }
    } else if (a == "--date") {
      if (!ParseDate(value(), &o.date)) o.error = "--date takes YYYY-MM-DD";
    } else if (a == "--date-seconds") {
      o.date = std::strtoull(value().c_str(), nullptr, 10);
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a.rfind("--", 0) == 0) {
      o.error = "unknown option " + a;
    } else {
      o.paths.push_back(a);
    }
  }
  if (o.error.empty() && o.paths.size() != 3) o.error = "three paths are needed";
  return o;
}

// Every tag of the new font with flag 1, then the --update overrides.
void FillSettings(const COpenTypeManager& newFont, const Options& o) {
  CUpdateInfoCtrl::Reset();
  CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  for (const auto& table : newFont.tables) {
    std::string tag = table->tagText;
    if (tag.size() == 4 && tag[3] == ' ') tag.pop_back();
    if (settings.Find(table->tagText) == nullptr) settings.AddEntry(tag, 1);
  }
  for (const auto& [tag, flag] : o.updates) {
    if (!settings.SetFlag(tag, flag)) settings.AddEntry(tag, flag);
  }
  settings.revisionDate = o.date;
}

struct ProgressBar {
  bool quiet;
  int lastOverall = -1, lastCurrent = -1;
};

int DrawProgress(int overall, int current, const char* message, OwnerWindow owner) {
  auto* bar = static_cast<ProgressBar*>(owner);
  if (bar->quiet || (overall == bar->lastOverall && current == bar->lastCurrent)) return 0;
  bar->lastOverall = overall;
  bar->lastCurrent = current;
  const int width = 30;
  const int filled = std::max(0, std::min(width, overall * width / 100));
  std::fprintf(stderr, "\r[%s%s] %3d%%  table %3d%%  %s\x1b[K", std::string(filled, '#').c_str(),
               std::string(width - filled, '.').c_str(), overall, current,
               platform::Cp932ToUtf8(message).c_str());
  std::fflush(stderr);
  return 0;
}

void PrintVerdicts(const std::vector<TableVerdict>& verdicts, bool onlyChanged,
                   const COpenTypeManager& oldFont, const COpenTypeManager& newFont, int* bad) {
  for (const auto& v : verdicts) {
    const CTagObject* oldTable = oldFont.FindTable(v.tag.c_str());
    const CTagObject* newTable = newFont.FindTable(v.tag.c_str());
    const bool changed =
        oldTable == nullptr || newTable == nullptr || oldTable->length != newTable->length ||
        !std::equal(oldTable->data.begin(), oldTable->data.begin() + oldTable->length,
                    newTable->data.begin());
    if (onlyChanged && !changed) continue;
    const char* verdict = !v.selected  ? "not selected (old table kept)"
                          : !v.present ? "MISSING from the rebuilt font"
                          : v.equal    ? "equal"
                                       : "DIFFERENT";
    if (v.selected && !(v.present && v.equal)) ++*bad;
    std::printf("  %-4s  %s%s\n", v.tag.c_str(), verdict, changed ? "" : " (unchanged)");
  }
}

// Rebuilds OLD with the patch at `patchPath` in memory; the rebuild's code.
int RebuildInMemory(COpenTypeManager& oldFont, const std::string& oldPath,
                    const std::string& patchPath) {
  auto patch = std::make_unique<CMakeSabunData>(oldFont.GetPlatform());
  if (!patch->LoadFromFile(patchPath)) return kUpdatePatchUnreadable;
  return oldFont.BuildNewFontInMemory(oldPath, std::move(patch), nullptr, nullptr, 1, 0);
}

// Why a patch cannot rebuild its own old font, before trying: tables only the new font has,
// changed unselected tables that would not fit the new table's place.
int ReportUnapplicable(const COpenTypeManager& oldFont, const COpenTypeManager& newFont) {
  int problems = 0;
  for (const auto& table : newFont.tables) {
    const CTagObject* old = oldFont.FindTable(table->tagText);
    if (old == nullptr) {
      std::printf("  %-4s  only in the new font: the patch cannot be applied\n", table->tagText);
      ++problems;
      continue;
    }
    const auto* entry = CUpdateInfoCtrl::Instance().Find(table->tagText);
    // The old table goes into a buffer sized from the new length, at the new table's place.
    const bool tooLong = RoundUp4(old->length) > RoundUp4(table->length) ||
                         uint64_t{table->offset} + old->length >
                             static_cast<uint64_t>(newFont.fileLength);
    if (entry != nullptr && entry->flag == 0 && tooLong) {
      std::printf("  %-4s  kept old (flag 0) but longer than the new table: cannot be applied\n",
                  table->tagText);
      ++problems;
    }
  }
  return problems;
}

}  // namespace

int BuildCommand(int argc, char** argv) {
  if (HasFlag(argc, argv, "--help") || HasFlag(argc, argv, "-h")) {
    std::fputs(kBuildUsage, stdout);
    return 0;
  }
  const Options o = Parse(argc, argv);
  if (!o.error.empty()) {
    std::fprintf(stderr, "refontis-patch build: %s\n\n%s", o.error.c_str(), kBuildUsage);
    return 1;
  }
  const double started = MonotonicSeconds();
  platform::Platform& platform = platform::NativePlatform();
  CMakeSabunData builder(platform);
  if (!builder.LoadFonts(o.paths[0], o.paths[1], nullptr, nullptr)) return 1;
  FillSettings(*builder.newFont, o);
  ProgressBar bar{o.quiet};
  const bool made = builder.MakeSabun(o.paths[2], DrawProgress, &bar, 1, 0);
  if (!o.quiet) std::fputs("\n", stderr);
  if (!made) {
    if (builder.records.size() < builder.oldFont->tables.size() &&
        builder.newFont->FindTable(builder.oldFont->tables[builder.records.size()]->tagText)) {
      std::fprintf(stderr, "refontis-patch build: no update setting for table '%s'\n",
                   builder.oldFont->tables[builder.records.size()]->tagText);
    }
    return 1;
  }
  const double seconds = MonotonicSeconds() - started;
  int analysed = 0;
  for (const auto& r : builder.records) analysed += r->hasDifference ? 1 : 0;
  std::printf("%s: %zu bytes, %zu tables (%d analysed, %zu carried over), %.2f s\n",
              o.paths[2].c_str(), builder.patchSize, builder.records.size(), analysed,
              builder.records.size() - static_cast<size_t>(analysed), seconds);

  // Check our own work: the patch must rebuild the new font from the old one. The builder's old
  // font is rebuilt in place (its file bytes stay as loaded), so no third font is held.
  int problems = ReportUnapplicable(*builder.oldFont, *builder.newFont);
  COpenTypeManager& rebuilt = *builder.oldFont;
  const std::string refusal = ReadName13ForRebuild(rebuilt);
  if (!refusal.empty()) {
    std::printf("  %s: the patch cannot be applied to it\n", refusal.c_str());
    return 2;
  }
  const int code = RebuildInMemory(rebuilt, o.paths[0], o.paths[2]);
  if (code != 0) {
    std::printf("  rebuilding the old font gives %d (%s)\n", code, UpdateResultMeaning(code));
    return 2;
  }
  PrintVerdicts(CompareWithNewFont(rebuilt.NewFontImage(), *builder.newFont), true,
                *builder.oldFont, *builder.newFont, &problems);
  return problems == 0 ? 0 : 2;
}

int VerifyCommand(int argc, char** argv) {
  if (HasFlag(argc, argv, "--help") || HasFlag(argc, argv, "-h")) {
    std::fputs(kVerifyUsage, stdout);
    return 0;
  }
  const Options o = Parse(argc, argv);
  if (!o.error.empty()) {
    std::fprintf(stderr, "refontis-patch verify: %s\n\n%s", o.error.c_str(), kVerifyUsage);
    return 1;
  }
  platform::Platform& platform = platform::NativePlatform();
  COpenTypeManager oldFont(platform), newFont(platform);
  if (newFont.LoadFont(o.paths[1], nullptr, nullptr, 1, 0) != 0) {
    std::fprintf(stderr, "refontis-patch verify: a font cannot be loaded\n");
    return 1;
  }
  FillSettings(newFont, o);
  const std::string refusal = LoadOldFontForRebuild(oldFont, o.paths[0]);
  if (!refusal.empty()) {
    std::fprintf(stderr, "refontis-patch verify: %s\n", refusal.c_str());
    return 1;
  }
  const int code = RebuildInMemory(oldFont, o.paths[0], o.paths[2]);
  if (code != 0) {
    std::printf("rebuild result %d: %s\n", code, UpdateResultMeaning(code));
    return 1;
  }
  int bad = 0;
  // The rebuild leaves the old font's loaded bytes as they were: they still tell what changed.
  PrintVerdicts(CompareWithNewFont(oldFont.NewFontImage(), newFont), false, oldFont, newFont, &bad);
  const uint32_t sum = WordSum(oldFont.NewFontImage(), oldFont.NewFontImage().size());
  std::printf("rebuilt font: %zu bytes, word sum %s\n", oldFont.NewFontImage().size(),
              Hex32(sum).c_str());
  std::printf("%s\n", bad == 0 ? "all selected tables match" : "MISMATCH");
  return bad == 0 ? 0 : 1;
}

}  // namespace refontis::tools
