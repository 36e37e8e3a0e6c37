// The font search over a generated folder tree (bench/make_search_tree.py) on the real POSIX
// platform, against its floor in the same run: find -xdev -maxdepth 8 -name '*.otf*'.
//
// REFONTIS_SEARCH_TREE=ROOT search_bench --benchmark_repetitions=3
// (bench/make_search_tree.py makes the tree; bench/floor_ratio.py reports best-of-3 and the
// ratio.)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "config/res_file_ctrl.h"
#include "otf/open_type_manager.h"
#include "platform/posix/posix_platform.h"
#include "search/folder_check_ctrl.h"

extern char** environ;

namespace refontis {
namespace {

std::string treeRoot;  // with a trailing slash
size_t expectedMatches = 0;
platform::PosixPlatform* sandbox = nullptr;

// A patch header (all the search reads of a patch) for a font of this name and revision.
std::vector<uint8_t> PatchHeader(const std::string& name, uint32_t revision) {
  std::vector<uint8_t> h(53, 0);
  const char magic[] = "QLTP";
  std::copy(magic, magic + 4, h.begin());
  std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), 32), h.begin() + 4);
  for (int k = 0; k < 4; ++k) h[36 + k] = static_cast<uint8_t>(revision >> (24 - 8 * k));
  return h;
}

bool Setup() {
  const char* root = std::getenv("REFONTIS_SEARCH_TREE");
  if (root == nullptr || *root == '\0') {
    std::fprintf(stderr, "REFONTIS_SEARCH_TREE must name a tree made by make_search_tree.py\n");
    return false;
  }
  treeRoot = root;
  if (treeRoot.back() != '/') treeRoot += '/';
  std::ifstream manifest(treeRoot.substr(0, treeRoot.size() - 1) + ".manifest");
  std::vector<std::string> stems, matches;
  std::string kind, value;
  while (manifest >> kind >> value) (kind == "stem" ? stems : matches).push_back(value);
  if (stems.empty() || matches.empty()) {
    std::fprintf(stderr, "the tree's manifest lists no stems or matches\n");
    return false;
  }
  expectedMatches = matches.size();

  static platform::PosixPlatform posix;
  sandbox = &posix;
  COpenTypeManager sample(posix);
  uint32_t revision = 0;
  std::string name;
  if (!sample.IdentifyFont(matches[0], &revision, &name)) {
    std::fprintf(stderr, "%s is not a usable font\n", matches[0].c_str());
    return false;
  }
  std::string ini = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(stems.size()) + "\r\n";
  for (size_t n = 1; n <= stems.size(); ++n) {
    ini += "FONT_PAFILE" + std::to_string(n) + "=" + stems[n - 1] + ".pa\r\n";
    ini += "FONT_RESNUM" + std::to_string(n) + "=" + std::to_string(2000 + n) + "\r\n";
    posix.Resources().AddCopy("FONT_PA", static_cast<int>(2000 + n), PatchHeader(name, revision));
  }
  posix.Resources().AddCopy("INIFILE", 2000, std::vector<uint8_t>(ini.begin(), ini.end()));
  return true;
}

void ResetSearch() {
  CFolderCheckCtrl::DeleteInstance();
  CResFileCtrl::DeleteInstance();
}

void BM_SearchFolder(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ResetSearch();
    CFolderCheckCtrl& search = CFolderCheckCtrl::Instance(*sandbox);
    state.ResumeTiming();
    search.SearchFolder(treeRoot, nullptr, nullptr, 0);
    if (search.FoundCount() != expectedMatches) {
      state.SkipWithError("the search did not find every planted font");
      break;
    }
    state.counters["folders"] = search.DirectoryCounter();
  }
  ResetSearch();
}

void BM_FindFloor(benchmark::State& state) {
  for (auto _ : state) {
    const char* argv[] = {"find", treeRoot.c_str(), "-xdev",  "-maxdepth",
                          "8",    "-name",          "*.otf*", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, "find", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("find failed");
      break;
    }
  }
}

BENCHMARK(BM_SearchFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FindFloor)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace refontis

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!refontis::Setup()) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
