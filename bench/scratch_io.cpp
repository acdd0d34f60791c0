// Streaming a double package out to the scratch database and back (forwards and backwards, with
// read-ahead), beside a dd-like reference that moves the same bytes in 1 MiB pwrite/pread blocks
// in the same directory with the same caching mode: writes through the page cache, reads direct
// where the file system allows it. The package passes and the reference passes take turns, so
// both meet the same load of the machine; each ratio is the median of the per-turn ratios.
//
//   bench_scratch_io [--size_mib=N] [--dir=PATH] [Google Benchmark options]
//
// N is 64 by default; --size_mib=1024 streams 1 GiB. PATH (default: a folder "scratch_io_bench"
// in the current directory) must be on the file system to be measured.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>
#include <string>

#include "bench/ratio.h"
#include "siblings/eqc/testing.h"
#include "siblings/utl/testing.h"
#include "zmx/storage.h"

namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr std::size_t kSegment = kBlock;  // the package's segments: 1 MiB, as the reference's blocks
constexpr std::uint32_t kSegmentElements = kSegment / 8;

std::size_t gBytes = 64 * kBlock;
std::string gDirectory = "scratch_io_bench";
opr_DoubleSegmentedPkg_Rcd gStored;  // the package the read passes read

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double mibPerSecond(double seconds) { return static_cast<double>(gBytes) / kBlock / seconds; }

// The process's peak resident memory in KiB; resetPeak starts a new peak.
long peakKiB() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void syncFile(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// A fresh database in the directory: creating it empties the package's spill file.
void freshDatabase() {
  deletetheSdbManager();
  utl_testing::setCommandLine("job", "bench");
  sdb_Manager::CreateSdb();
}

// The data a writer streams out, 1 MiB of it: both sides make the same, into their own buffer.
void makeData(double* d, std::size_t offset) {
  std::fill(d, d + kBlock / 8, static_cast<double>(offset));
}

// One pass of each kind; the time of the transfer alone, the file synced afterwards.
double packageWrite() {
  freshDatabase();
  gStored = opr_DoubleSegmentedPkg_Rcd();
  gStored.Allocate(static_cast<std::uint32_t>(gBytes / kSegment) + 1, kSegmentElements);
  const auto start = Clock::now();
  {
    opr_DoubleSegmentedPkg package(gStored, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    for (std::size_t done = 0; done < gBytes; done += kSegment) {
      makeData(package.CreateSegment(kSegmentElements), done);
    }
  }
  gettheSdbManager()->GetFolder(sdb_FolderNames::opr)->Handler().CompleteWrite();
  const double elapsed = seconds(start);
  syncFile("bench.opr");
  return elapsed;
}

double ddWrite() {
  static auto* block = static_cast<double*>(std::aligned_alloc(4096, kBlock));
  const int fd = ::open("dd.dat", O_WRONLY | O_CREAT | O_TRUNC, 0640);
  const auto start = Clock::now();
  for (std::size_t done = 0; done < gBytes; done += kBlock) {
    makeData(block, done);
    if (::pwrite(fd, block, kBlock, static_cast<off_t>(done)) != static_cast<ssize_t>(kBlock)) std::abort();
  }
  const double elapsed = seconds(start);
  ::fsync(fd);
  ::close(fd);
  return elapsed;
}

double packageRead(int direction) {
  const auto start = Clock::now();
  double sum = 0;
  {
    opr_DoubleSegmentedPkg package(gStored, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
    package.SetDirection(direction);
    for (package.AccessSegment(); package.SegmentData() != nullptr; package.AccessSegment())
      sum += package.SegmentData()[0];
  }
  benchmark::DoNotOptimize(sum);
  return seconds(start);
}

double ddRead() {
  static void* block = std::aligned_alloc(4096, kBlock);
  int fd = ::open("dd.dat", O_RDONLY | O_DIRECT);
  if (fd < 0) fd = ::open("dd.dat", O_RDONLY);  // the file system refuses direct reads
  const auto start = Clock::now();
  for (std::size_t done = 0; done < gBytes; done += kBlock)
    if (::pread(fd, block, kBlock, static_cast<off_t>(done)) != static_cast<ssize_t>(kBlock)) std::abort();
  const double elapsed = seconds(start);
  ::close(fd);
  return elapsed;
}

struct Turns {
  std::vector<double> ours, reference, ratio;
  void add(double oursSeconds, double referenceSeconds) {
    ours.push_back(oursSeconds);
    reference.push_back(referenceSeconds);
    ratio.push_back(oursSeconds / referenceSeconds);
  }
  void report(benchmark::State& state, const char* label) const {
    state.counters["package_MiB_s"] = mibPerSecond(median(ours));
    state.counters["dd_MiB_s"] = mibPerSecond(median(reference));
    zmxbench::reportRatio(state, "dd-like pwrite/pread", 1.0, median(ratio));
    std::printf("%-22s %8.1f MiB/s   dd %8.1f MiB/s   ratio %.2f\n", label, mibPerSecond(median(ours)),
                mibPerSecond(median(reference)), median(ratio));
  }
};

void BM_Write(benchmark::State& state) {
  Turns turns;
  long growth = 0;
  for (auto _ : state) {
    const bool referenceFirst = turns.ours.size() % 2 == 1;
    const double reference = referenceFirst ? ddWrite() : 0;
    resetPeak();
    const long before = peakKiB();
    const double ours = packageWrite();
    growth = std::max(growth, peakKiB() - before);
    turns.add(ours, referenceFirst ? reference : ddWrite());
    state.SetIterationTime(ours);
  }
  turns.report(state, "package write");
  state.counters["peak_growth_MiB"] = static_cast<double>(growth) / 1024.0;
  state.SetBytesProcessed(static_cast<std::int64_t>(gBytes * state.iterations()));
}

// direction 1 reads the package forwards, -1 backwards; both with read-ahead.
void BM_Read(benchmark::State& state, int direction) {
  Turns turns;
  long growth = 0;
  for (auto _ : state) {
    const bool referenceFirst = turns.ours.size() % 2 == 1;
    const double reference = referenceFirst ? ddRead() : 0;
    resetPeak();
    const long before = peakKiB();
    const double ours = packageRead(direction);
    growth = std::max(growth, peakKiB() - before);
    turns.add(ours, referenceFirst ? reference : ddRead());
    state.SetIterationTime(ours);
  }
  turns.report(state, direction > 0 ? "package read forward" : "package read backward");
  state.counters["peak_growth_MiB"] = static_cast<double>(growth) / 1024.0;
  state.SetBytesProcessed(static_cast<std::int64_t>(gBytes * state.iterations()));
}

void registerAll() {
  // Turns enough for a median: ten of the default size, three of 1 GiB.
  const auto turns = static_cast<benchmark::IterationCount>(std::max<std::size_t>(3, 640 * kBlock / gBytes));
  benchmark::RegisterBenchmark("BM_Write", BM_Write)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(turns);
  benchmark::RegisterBenchmark("BM_ReadForward", BM_Read, 1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(turns);
  benchmark::RegisterBenchmark("BM_ReadBackward", BM_Read, -1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(turns);
}

}  // namespace

int main(int argc, char** argv) {
  int kept = 1;
  for (int k = 1; k < argc; ++k) {
    if (std::strncmp(argv[k], "--size_mib=", 11) == 0)
      gBytes = std::strtoull(argv[k] + 11, nullptr, 10) * kBlock;
    else if (std::strncmp(argv[k], "--dir=", 6) == 0)
      gDirectory = argv[k] + 6;
    else
      argv[kept++] = argv[k];
  }
  argc = kept;
  std::filesystem::create_directories(gDirectory);
  std::filesystem::current_path(gDirectory);
  eqc_testing::setEcho(true);
  std::printf("streaming %zu MiB in %s\n", gBytes / kBlock, std::filesystem::current_path().c_str());
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  deletetheSdbManager();
  for (const char* name : {"bench.sdb", "bench.opr", "bench.fct", "bench.sol", "dd.dat"}) std::filesystem::remove(name);
  return 0;
}
