// Node records through the paged node unit beside plain pwrite/pread of the same records at the
// same file offsets: 10^6 records of 20 words written in node order and read back, the unit's
// page pools carved from a work space of 8 pools of 512 words (unit 18 takes its 7).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "zmx/storage.h"

namespace {

constexpr Int kNodes = 1'000'000;
constexpr Int kRecordWords = 20;
constexpr Int kPools = 8;
constexpr Int kPageWords = 512;

std::string scratchFile(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
}

void fill(std::vector<Real>& record, Int node) {
  for (Int k = 0; k < kRecordWords; ++k) record[static_cast<std::size_t>(k)] = node + 0.01 * k;
}

class NodeUnit {
 public:
  NodeUnit() : space_(static_cast<std::size_t>(kPools) * kPageWords) {
    eqc_testing::setEcho(false);
    shr_initialize(modules_);
    word_ = mem32::map(space_.data(), space_.size() * sizeof(Real), mem32::tag("WORK"));
    rec::i(CSP, eqc_records::kWorkSpaceBase) = word_;
    for (Int slot = 1; slot <= kPools; ++slot) rec::i(CDBPP, 20 + slot) = (slot - 1) * kPageWords + 1;
    rec::i(CDBPP, 61) = kPools;
    rec::i(CDND, 1) = kPageWords;
    rec::i(CDND, 2) = 77;
    rec::i(CDND, 24) = kRecordWords;
    eqc_units::attach(77, scratchFile("zmx_bench_nodes.da"));
    Int unit = 18, n = 7;
    const Int give = 0;
    DBALOC(&give, &unit, &n);
  }
  ~NodeUnit() {
    Int unit = 18, n = 0;
    const Int close = 5;
    DBALOC(&close, &unit, &n);
    eqc_units::closeAll();
    std::remove(scratchFile("zmx_bench_nodes.da").c_str());
    mem32::unmap(word_);
    shr_finalize(modules_);
  }

 private:
  int modules_ = 0;
  std::vector<Real> space_;
  Int word_ = 0;
};

void BM_NodeRecordsThroughDbnd(benchmark::State& state) {
  NodeUnit unit;
  std::vector<Real> record(kRecordWords);
  double check = 0.0;
  for (auto _ : state) {
    const Int write = 1, read = 0;
    for (Int node = 1; node <= kNodes; ++node) {
      fill(record, node);
      DBND(&write, record.data(), &node);
    }
    for (Int node = 1; node <= kNodes; ++node) {
      DBND(&read, record.data(), &node);
      check += record[1];
    }
  }
  benchmark::DoNotOptimize(check);
  state.SetItemsProcessed(state.iterations() * 2LL * kNodes);
}
BENCHMARK(BM_NodeRecordsThroughDbnd)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_NodeRecordsThroughPwritePread(benchmark::State& state) {
  const std::string path = scratchFile("zmx_bench_nodes.raw");
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  std::vector<Real> record(kRecordWords);
  const std::size_t bytes = sizeof(Real) * kRecordWords;
  double check = 0.0;
  for (auto _ : state) {
    for (Int node = 1; node <= kNodes; ++node) {
      fill(record, node);
      if (::pwrite(fd, record.data(), bytes, static_cast<off_t>(node - 1) * static_cast<off_t>(bytes)) < 0) break;
    }
    for (Int node = 1; node <= kNodes; ++node) {
      if (::pread(fd, record.data(), bytes, static_cast<off_t>(node - 1) * static_cast<off_t>(bytes)) < 0) break;
      check += record[1];
    }
  }
  benchmark::DoNotOptimize(check);
  state.SetItemsProcessed(state.iterations() * 2LL * kNodes);
  ::close(fd);
  std::remove(path.c_str());
}
BENCHMARK(BM_NodeRecordsThroughPwritePread)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
