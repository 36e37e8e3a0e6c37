// UpdateFont of the largest real font (noto-sans-old.otf, its patch made by the product's
// builder) against its floor in the same run: cp of the same file.
//
// REFONTIS_REAL_FONTS=FOLDER update_font_bench --benchmark_repetitions=3
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/res_file_ctrl.h"
#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "platform/posix/posix_platform.h"
#include "search/folder_check_ctrl.h"

extern char** environ;

namespace refontis {
namespace {

const std::string kStem = "NotoSansBench-Regular";
std::string oldPath, newPath, workFolder, installedPath, copyTarget;
std::vector<uint8_t> oldBytes;
uint32_t versionKey = 0;
platform::PosixPlatform* posix = nullptr;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Setup() {
  const char* fonts = std::getenv("REFONTIS_REAL_FONTS");
  if (fonts == nullptr) {
    std::fprintf(stderr, "REFONTIS_REAL_FONTS must name the real-font fixtures\n");
    return false;
  }
  char pattern[] = "/tmp/refontis-update-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return false;
  workFolder = pattern;
  installedPath = workFolder + "/" + kStem + ".otf";
  copyTarget = workFolder + "/cp-target.otf";

  static platform::PosixPlatform platform;
  posix = &platform;
  // Copies of our own: the fixtures may be locked for reading by tests running meanwhile, and
  // the floor then copies within the same file system as the job.
  oldPath = workFolder + "/old.otf";
  newPath = workFolder + "/new.otf";
  oldBytes = ReadFile(std::string(fonts) + "/noto-sans-old.otf");
  const std::vector<uint8_t> newBytes = ReadFile(std::string(fonts) + "/noto-sans-new.otf");
  if (oldBytes.empty() || newBytes.empty() ||
      !platform::WriteWholeFile(platform, oldPath, oldBytes, platform::CreateMode::kCreateNew) ||
      !platform::WriteWholeFile(platform, newPath, newBytes, platform::CreateMode::kCreateNew)) {
    return false;
  }
  CMakeSabunData builder(platform);
  if (!builder.LoadFonts(oldPath, newPath, nullptr, nullptr)) return false;
  CUpdateInfoCtrl::Reset();
  for (const auto& table : builder.newFont->tables) {
    std::string tag = table->tagText;
    if (tag.size() == 4 && tag[3] == ' ') tag.pop_back();
    if (CUpdateInfoCtrl::Instance().Find(table->tagText) == nullptr) {
      CUpdateInfoCtrl::Instance().AddEntry(tag, 1);
    }
  }
  const std::string patchPath = workFolder + "/" + kStem + ".pa";
  if (!builder.MakeSabun(patchPath, nullptr, nullptr, 1, 0)) return false;
  versionKey = builder.fontRevision;
  platform.Resources().AddCopy("FONT_PA", 2001, ReadFile(patchPath));
  const std::string ini =
      "[UPDATE_FONT]\r\nMAXNUM=1\r\nFONT_PAFILE1=" + kStem + ".pa\r\nFONT_RESNUM1=2001\r\n";
  platform.Resources().AddCopy("INIFILE", 2000, std::vector<uint8_t>(ini.begin(), ini.end()));
  return CFolderCheckCtrl::Instance(platform).PatchCount() == 1;
}

void Teardown() {
  CFolderCheckCtrl::DeleteInstance();
  CResFileCtrl::DeleteInstance();
  for (const std::string& p :
       {installedPath, copyTarget, oldPath, newPath, workFolder + "/" + kStem + ".pa"}) {
    ::unlink(p.c_str());
  }
  ::rmdir(workFolder.c_str());
}

int NoProgress(int, int, const char*, const char*, OwnerWindow) { return 0; }

void BM_UpdateFont(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    if (!platform::WriteWholeFile(*posix, installedPath, oldBytes,
                                  platform::CreateMode::kCreateAlways)) {
      state.SkipWithError("cannot install the old font");
      break;
    }
    state.ResumeTiming();
    COpenTypeManager font(*posix);
    int owner = 0;
    if (font.UpdateFont(installedPath, versionKey, &NoProgress, &owner, 1, 0) != 0) {
      state.SkipWithError("UpdateFont failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(oldBytes.size()));
}

// The floor: cp of the same file onto the same file system.
void BM_CpFloor(benchmark::State& state) {
  for (auto _ : state) {
    const char* argv[] = {"cp", oldPath.c_str(), copyTarget.c_str(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("cp failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(oldBytes.size()));
}

BENCHMARK(BM_UpdateFont)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace refontis

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!refontis::Setup()) {
    std::fprintf(stderr, "setup failed\n");
    refontis::Teardown();
    return 2;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  refontis::Teardown();
  return 0;
}
