// LoadFont of the largest real font against its floor, reading the same file into memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "platform/platform.h"

namespace {

std::string fontPath;

void BM_LoadFont(benchmark::State& state) {
  refontis::COpenTypeManager font(refontis::platform::NativePlatform());
  for (auto _ : state) {
    if (font.LoadFont(fontPath, nullptr, nullptr, 1, 0) != 0) {
      state.SkipWithError("LoadFont refused the font");
      break;
    }
    benchmark::DoNotOptimize(font.tables.data());
    font.Release();  // each load pays its allocation, as the floor does
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(font.fileLength));
}

// The floor: one open, one length query, one uninitialised buffer, one read.
void BM_ReadFileIntoMemory(benchmark::State& state) {
  int64_t size = 0;
  for (auto _ : state) {
    const int fd = open(fontPath.c_str(), O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
      state.SkipWithError("cannot open the font");
      break;
    }
    size = st.st_size;
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size) + 1);
    const ssize_t got = read(fd, buffer.get(), static_cast<size_t>(size));
    close(fd);
    if (got != size) {
      state.SkipWithError("short read");
      break;
    }
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// The same read into a zero-filled std::vector, the buffer type the font model keeps: the gap
// between this and the floor is the cost of the zero-fill, not of parsing.
void BM_ReadFileIntoZeroedVector(benchmark::State& state) {
  int64_t size = 0;
  for (auto _ : state) {
    const int fd = open(fontPath.c_str(), O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
      state.SkipWithError("cannot open the font");
      break;
    }
    size = st.st_size;
    std::vector<uint8_t> buffer(static_cast<size_t>(size) + 1, 0);
    const ssize_t got = read(fd, buffer.data(), static_cast<size_t>(size));
    close(fd);
    if (got != size) {
      state.SkipWithError("short read");
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// Keeps the mean real time per iteration of every benchmark for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      auto& [sum, count] = times_[run.run_name.function_name];
      sum += run.GetAdjustedRealTime();
      ++count;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Mean(const std::string& name) const {
    const auto it = times_.find(name);
    return it == times_.end() || it->second.second == 0 ? 0 : it->second.first / it->second.second;
  }

 private:
  std::map<std::string, std::pair<double, int>> times_;
};

}  // namespace

BENCHMARK(BM_LoadFont)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFileIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFileIntoZeroedVector)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  const char* fonts = std::getenv("REFONTIS_REAL_FONTS");
  if (fonts == nullptr || *fonts == '\0') {
    std::printf("load_font_bench: REFONTIS_REAL_FONTS is not set; skipped\n");
    return 0;
  }
  fontPath = std::string(fonts) + "/noto-serif-bold.otf";
  if (access(fontPath.c_str(), R_OK) != 0) {
    std::fprintf(stderr, "load_font_bench: cannot read %s\n", fontPath.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double load = reporter.Mean("BM_LoadFont");
  const double floor = reporter.Mean("BM_ReadFileIntoMemory");
  const double zeroed = reporter.Mean("BM_ReadFileIntoZeroedVector");
  if (load > 0 && floor > 0 && zeroed > 0) {
    std::printf("LoadFont / read into memory: %.2f (%s)\n", load / floor, fontPath.c_str());
    std::printf("LoadFont / read into a zero-filled vector: %.2f\n", load / zeroed);
  }
  return 0;
}
