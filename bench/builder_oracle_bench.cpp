// Times the fast difference analyses against the literal oracle on the tables of a real font
// pair, and checks that both give the same difference area.
//
// usage: builder_oracle_bench [--fast-only] OLD.otf NEW.otf [TAG | OLDTAG:NEWTAG]...
// Without tags, every table that differs is analysed as the builder would (CFF by the window
// scan, any other by the longest match). OLDTAG:NEWTAG pairs two different tables, e.g. to time
// dissimilar tables; the strategy follows the new tag.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis_oracle.h"
#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "platform/platform.h"

namespace {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string PadTag(std::string tag) {
  while (tag.size() < 4) tag += ' ';
  return tag;
}

bool Differs(const refontis::CTagObject& a, const refontis::CTagObject& b) {
  return a.length != b.length ||
         !std::equal(a.data.begin(), a.data.begin() + a.length, b.data.begin());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace refontis;
  // --fast-only skips the oracle (for profiling the fast version alone).
  const bool fastOnly = argc > 1 && std::strcmp(argv[1], "--fast-only") == 0;
  if (fastOnly) {
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: builder_oracle_bench [--fast-only] OLD.otf NEW.otf [TAG | OLDTAG:NEWTAG]...\n");
    return 1;
  }
  platform::Platform& platform = platform::NativePlatform();
  COpenTypeManager oldFont(platform), newFont(platform);
  if (oldFont.LoadFont(argv[1], nullptr, nullptr, 1, 0) != 0 ||
      newFont.LoadFont(argv[2], nullptr, nullptr, 1, 0) != 0) {
    std::fprintf(stderr, "a font cannot be loaded\n");
    return 1;
  }
  std::vector<std::pair<std::string, std::string>> jobs;
  for (int k = 3; k < argc; ++k) {
    const std::string plan = argv[k];
    const size_t colon = plan.find(':');
    jobs.emplace_back(PadTag(plan.substr(0, colon)),
                      PadTag(colon == std::string::npos ? plan : plan.substr(colon + 1)));
  }
  if (jobs.empty()) {
    for (const auto& table : oldFont.tables) {
      const CTagObject* other = newFont.FindTable(table->tagText);
      if (other != nullptr && Differs(*table, *other))
        jobs.emplace_back(table->tagText, table->tagText);
    }
  }

  double fastTotal = 0, oracleTotal = 0;
  bool allSame = true;
  std::printf("%-11s %10s %10s %8s %10s %10s %9s  %s\n", "table", "old bytes", "new bytes",
              "strategy", "fast s", "oracle s", "ratio", "area");
  for (const auto& [oldTag, newTag] : jobs) {
    const CTagObject* o = oldFont.FindTable(oldTag.c_str());
    const CTagObject* n = newFont.FindTable(newTag.c_str());
    if (o == nullptr || n == nullptr) {
      std::fprintf(stderr, "no table %s / %s\n", oldTag.c_str(), newTag.c_str());
      return 1;
    }
    const bool window = newTag == "CFF ";
    CSabunTagObject fast;
    AnalysisProgress progress;
    double t0 = Now();
    if (window) {
      fast.AnalyseByWindowScan(*o, *n, progress);
    } else {
      fast.AnalyseByLongestMatch(*o, *n, progress);
    }
    const double fastSeconds = Now() - t0;
    const test::OracleTable ot{o->data, o->length}, nt{n->data, n->length};
    t0 = Now();
    test::OracleResult oracle;
    if (!fastOnly) {
      oracle = window ? test::OracleWindowScan(ot, nt) : test::OracleLongestMatch(ot, nt);
    }
    const double oracleSeconds = Now() - t0;
    const bool same = fastOnly || oracle.encoded == fast.encodedDifference;
    allSame = allSame && same;
    fastTotal += fastSeconds;
    oracleTotal += oracleSeconds;
    const std::string label = oldTag == newTag ? oldTag : oldTag + ":" + newTag;
    char oracleColumns[32] = "         -         -";
    if (!fastOnly) {
      std::snprintf(oracleColumns, sizeof oracleColumns, "%10.3f %8.1fx", oracleSeconds,
                    oracleSeconds / std::max(fastSeconds, 1e-9));
    }
    std::printf("%-11s %10u %10u %8s %10.3f %s  %zu bytes, %zu copies, %zu literals%s\n",
                label.c_str(), o->length, n->length, window ? "window" : "longest", fastSeconds,
                oracleColumns, fast.encodedDifference.size(), fast.copyBlocks.size(),
                fast.literalBlocks.size(),
                fastOnly ? ""
                : same   ? "  (oracle: same)"
                         : "  DIFFERENT FROM THE ORACLE");
    std::fflush(stdout);
  }
  if (fastOnly) {
    std::printf("total: fast %.3f s (oracle not run)\n", fastTotal);
  } else {
    std::printf("total: fast %.3f s, oracle %.3f s, ratio %.1fx, %s\n", fastTotal, oracleTotal,
                oracleTotal / std::max(fastTotal, 1e-9),
                allSame ? "areas identical" : "AREAS DIFFER");
  }
  return allSame ? 0 : 1;
}
