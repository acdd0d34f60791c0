// Writing and reading 10^7 words of results records (100-word records) in binary form against
// raw fwrite/fread of the same bytes (512-word blocks framed as unformatted records), and the
// ASCII writer's formatting rate beside snprintf.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio.h"

#include "runtime/units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "zmx/storage.h"

namespace {

constexpr int kWords = 10000000;
constexpr int kRecordWords = 100;
constexpr int kRecords = kWords / kRecordWords;
const std::string kFolder = std::filesystem::temp_directory_path().string() + "/zmx_bench_results";

void startJob(int form) {
  static int modules = 0;
  if (modules == 0) {
    eqc_testing::setEcho(false);
    shr_initialize(modules);
    std::filesystem::create_directories(kFolder);
  }
  fio::close(8);
  rec::clear(CBUFFA);
  rec::setChars(CJBPAR, 1, 256, "job");
  rec::setChars(CJBPAR, 1537, 256, kFolder + "/");
  INITF();
  rec::i(CWORK, 26) = form;
}

std::vector<double> sampleRecord() {
  std::vector<double> r(kRecordWords);
  r[0] = kRecordWords;
  r[1] = 5;
  for (int k = 2; k < kRecordWords; ++k) r[static_cast<std::size_t>(k)] = std::sin(k) * 1e3;
  return r;
}

void writeFile(int form, int records) {
  startJob(form);
  std::vector<double> r = sampleRecord();
  Int status = 0;
  const Int write = 1, end = 10;
  for (int k = 0; k < records; ++k) SHR_DBFILE(&write, r.data(), &status);
  SHR_DBFILE(&end, r.data(), &status);
  fio::flush(8);
}

double seconds(void (*work)()) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same bytes through plain stdio: each block as one unformatted record, its 4-byte length
// before and after it.
constexpr int kBlocks = kWords / 512 + 1;
constexpr std::int32_t kBlockBytes = 4096;

void rawWrite() {
  std::FILE* f = std::fopen((kFolder + "/raw.bin").c_str(), "wb");
  std::vector<double> block(512, 1.5);
  for (int k = 0; k < kBlocks; ++k) {
    std::fwrite(&kBlockBytes, 4, 1, f);
    std::fwrite(block.data(), 8, 512, f);
    std::fwrite(&kBlockBytes, 4, 1, f);
  }
  std::fclose(f);
}

void rawRead() {
  std::FILE* f = std::fopen((kFolder + "/raw.bin").c_str(), "rb");
  std::vector<double> block(512);
  std::int32_t head = 0, tail = 0;
  while (std::fread(&head, 4, 1, f) == 1 && std::fread(block.data(), 8, 512, f) == 512 &&
         std::fread(&tail, 4, 1, f) == 1)
    benchmark::DoNotOptimize(block.data());
  std::fclose(f);
}

void BM_BinaryWrite(benchmark::State& state) {
  startJob(2);
  double reference = 0, ours = 0;
  for (auto _ : state) {
    ours += seconds([] { writeFile(2, kRecords); });
    state.PauseTiming();
    reference += seconds(rawWrite);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWords * 8);
  // At most 1: the library is at least as fast as stdio writing the same bytes.
  zmxbench::reportRatio(state, "fwrite", 1.0, ours / reference);
}
BENCHMARK(BM_BinaryWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_BinaryRead(benchmark::State& state) {
  writeFile(2, kRecords);
  rawWrite();
  double reference = 0, ours = 0;
  for (auto _ : state) {
    state.PauseTiming();
    reference += seconds(rawRead);
    state.ResumeTiming();
    ours += seconds([] {
      fio::close(8);
      rec::clear(CBUFFA);
      INITF();
      std::vector<double> r(514);
      Int status = 0;
      const Int read = 0;
      for (int k = 0; k < kRecords; ++k) SHR_DBFILE(&read, r.data(), &status);
      benchmark::DoNotOptimize(r.data());
    });
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWords * 8);
  zmxbench::reportRatio(state, "fread", 1.0, ours / reference);
}
BENCHMARK(BM_BinaryRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Characters of ASCII text formatted per second (each record is 9 + 98 * 23 characters).
void BM_AsciiWrite(benchmark::State& state) {
  const int records = 20000;
  for (auto _ : state) writeFile(1, records);
  const double characters = records * (1.0 + 4 + 4 + (kRecordWords - 2) * 23.0);
  state.SetBytesProcessed(static_cast<int64_t>(static_cast<double>(state.iterations()) * characters));
}
BENCHMARK(BM_AsciiWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same characters formatted with snprintf, for scale.
void BM_AsciiSnprintf(benchmark::State& state) {
  const int records = 20000;
  std::vector<double> r = sampleRecord();
  char text[64];
  for (auto _ : state) {
    for (int k = 0; k < records; ++k)
      for (int w = 2; w < kRecordWords; ++w)
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "D%22.15E", r[static_cast<std::size_t>(w)]));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * records * (kRecordWords - 2) * 23);
}
BENCHMARK(BM_AsciiSnprintf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
