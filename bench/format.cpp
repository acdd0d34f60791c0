// Formatted lines through the edit-descriptor engine beside snprintf writing the same
// characters, and unformatted 512-word records beside raw fwrite/fread of the same bytes. Each
// iteration is one line or one record; runs of 10^6 each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/format.h"
#include "runtime/units.h"

namespace {

constexpr int kLines = 1000000;
constexpr Int kUnit = 61;
constexpr std::size_t kRecordWords = 512;

std::string scratchPath(const char* name) {
  const char* root = std::getenv("TMPDIR");
  return std::string(root != nullptr ? root : "/tmp") + "/zmx_bench_" + name;
}

std::vector<double> sampleValues() {
  std::vector<double> values(1024);
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = (k % 2 == 0 ? 1.0 : -1.0) * (k + 0.123456789) * 1.7e-3;
  return values;
}

void openFormatted(const std::string& path) {
  fio::OpenRequest request;
  request.file = path;
  request.status = fio::Status::Replace;
  fio::open(kUnit, request);
}

void BM_Engine_LabelTwoReals(benchmark::State& state) {
  const auto values = sampleValues();
  openFormatted(scratchPath("engine1.txt"));
  const fio::Format& f = fio::format("(1X,A,2E15.8)");
  std::size_t k = 0;
  for (auto _ : state) {
    fio::write(kUnit, f, {"label of record", values[k & 1023], values[(k + 1) & 1023]});
    ++k;
  }
  fio::close(kUnit, true);
}
BENCHMARK(BM_Engine_LabelTwoReals)->Iterations(kLines);

void BM_Snprintf_LabelTwoReals(benchmark::State& state) {
  const auto values = sampleValues();
  const std::string path = scratchPath("printf1.txt");
  std::FILE* file = std::fopen(path.c_str(), "w");
  char line[128];
  std::size_t k = 0;
  for (auto _ : state) {
    const int n = std::snprintf(line, sizeof line, " %s%15.8E%15.8E\n", "label of record", values[k & 1023],
                                values[(k + 1) & 1023]);
    std::fwrite(line, 1, static_cast<std::size_t>(n), file);
    ++k;
  }
  std::fclose(file);
  std::remove(path.c_str());
}
BENCHMARK(BM_Snprintf_LabelTwoReals)->Iterations(kLines);

void BM_Engine_TenReals(benchmark::State& state) {
  const auto values = sampleValues();
  openFormatted(scratchPath("engine2.txt"));
  const fio::Format& f = fio::format("(3X,10E12.5)");
  std::size_t k = 0;
  for (auto _ : state) {
    fio::write(kUnit, f, {fio::outArray(values.data() + (k & 1000), 10)});
    ++k;
  }
  fio::close(kUnit, true);
}
BENCHMARK(BM_Engine_TenReals)->Iterations(kLines);

void BM_Snprintf_TenReals(benchmark::State& state) {
  const auto values = sampleValues();
  const std::string path = scratchPath("printf2.txt");
  std::FILE* file = std::fopen(path.c_str(), "w");
  char line[256];
  std::size_t k = 0;
  for (auto _ : state) {
    const double* v = values.data() + (k & 1000);
    const int n = std::snprintf(line, sizeof line, "   %12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E%12.5E\n",
                                v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    std::fwrite(line, 1, static_cast<std::size_t>(n), file);
    ++k;
  }
  std::fclose(file);
  std::remove(path.c_str());
}
BENCHMARK(BM_Snprintf_TenReals)->Iterations(kLines);

// ---- unformatted records ------------------------------------------------------------------------

void openUnformatted(const std::string& path, fio::Status status) {
  fio::OpenRequest request;
  request.file = path;
  request.status = status;
  request.form = fio::Form::Unformatted;
  fio::open(kUnit, request);
}

// The file a read benchmark goes through (rewinding at its end): kFileRecords records, framed
// by the unit run-time or raw.
constexpr int kFileRecords = 100000;

std::string prepareRecordFile(const char* name, bool framed) {
  const std::string path = scratchPath(name);
  std::vector<double> record(kRecordWords, 2.5);
  if (framed) {
    openUnformatted(path, fio::Status::Replace);
    for (int k = 0; k < kFileRecords; ++k) fio::writeRecord(kUnit, record.data(), kRecordWords * 8);
    fio::close(kUnit);
  } else {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (int k = 0; k < kFileRecords; ++k) std::fwrite(record.data(), 8, kRecordWords, file);
    std::fclose(file);
  }
  return path;
}

void BM_Units_WriteRecords(benchmark::State& state) {
  std::vector<double> record(kRecordWords, 1.5);
  openUnformatted(scratchPath("written.bin"), fio::Status::Replace);
  for (auto _ : state) fio::writeRecord(kUnit, record.data(), kRecordWords * 8);
  fio::close(kUnit, true);
  state.SetBytesProcessed(state.iterations() * kRecordWords * 8);
}
BENCHMARK(BM_Units_WriteRecords)->Iterations(kLines);

void BM_Fwrite_Records(benchmark::State& state) {
  std::vector<double> record(kRecordWords, 1.5);
  const std::string path = scratchPath("written_raw.bin");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  for (auto _ : state) std::fwrite(record.data(), 8, kRecordWords, file);
  std::fclose(file);
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * kRecordWords * 8);
}
BENCHMARK(BM_Fwrite_Records)->Iterations(kLines);

void BM_Units_ReadRecords(benchmark::State& state) {
  const std::string path = prepareRecordFile("records.bin", true);
  std::vector<double> record(kRecordWords);
  openUnformatted(path, fio::Status::Old);
  for (auto _ : state) {
    if (fio::readRecord(kUnit, record.data(), kRecordWords * 8) != fio::kOk) fio::rewind(kUnit);
    benchmark::DoNotOptimize(record.data());
  }
  fio::close(kUnit, true);
  state.SetBytesProcessed(state.iterations() * kRecordWords * 8);
}
BENCHMARK(BM_Units_ReadRecords)->Iterations(kLines);

void BM_Fread_Records(benchmark::State& state) {
  const std::string path = prepareRecordFile("raw.bin", false);
  std::vector<double> record(kRecordWords);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  for (auto _ : state) {
    if (std::fread(record.data(), 8, kRecordWords, file) != kRecordWords) std::rewind(file);
    benchmark::DoNotOptimize(record.data());
  }
  std::fclose(file);
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * kRecordWords * 8);
}
BENCHMARK(BM_Fread_Records)->Iterations(kLines);

}  // namespace
