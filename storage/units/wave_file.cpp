// The wave-kinematics data file of the offshore wave-loading option: unit 46, unformatted, with a
// header record, a record of point triples and a record of grid coordinates, all in 4-byte
// values. DBPELACONTROL opens, rewinds and closes it and reads the header and the grid into the
// caller's array of 8-byte words, widening the reals.

#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_job.h"
#include "storage/units/file_support.h"
#include "zmx/storage.h"

CPLDBPT_t CPLDBPT{};

namespace {

using namespace zmx::files;

constexpr Int kFileUnit = 46;
constexpr Int kNameUnit = 45;
constexpr Int kCodedNameLength = 32;
constexpr int kStateWord = 5;
constexpr Int kClosed = 0, kOpen = 1, kRead = 2;
constexpr int kFirstPointWord = 8;
constexpr long long kMaxValues = 1 << 28;  // scratch bound when the file size is not known

enum Operation : Int { kOpenFile = 0, kCloseFile = 1, kRewindFile = 2, kReadGrid = 10 };

constexpr std::string_view kReadFailed = "SYSTEM ERROR IN dbPelaControl WHEN READING THE WAVE KINEMATICS DATA";

struct Header {
  Int points = 0;
  float increment = 0;
  Int nx = 0, ny = 0, nz = 0;
  Int flag = 0;
};

void setState(Int state) { rec::i(CPLDBPT, kStateWord) = state; }

std::string fileName(const void* array) {
  char coded[kCodedNameLength];
  Int length = 0;
  ACODEC(array, coded, kCodedNameLength, &kCodedNameLength, &length);
  return jobFileName(std::string_view(coded, kCodedNameLength), jobString(kSecondDirectory), kNameUnit);
}

bool readHeader(Header& h) {
  return fio::readRecord(kFileUnit, {{&h.points, 4}, {&h.increment, 4}, {&h.nx, 4}, {&h.ny, 4}, {&h.nz, 4},
                                     {&h.flag, 4}}) == fio::kOk;
}

// Reports every check of the header; none of them stops the read.
void checkHeader(const Header& h, Int nz) {
  if (h.increment <= 0) sayReal(-3, "ILLEGAL TIME INCREMENT %R FOR WAVE KINEMATICS DATA", h.increment);
  if (h.nx < 1) sayInteger(-3, "ILLEGAL NUMBER OF X GRIDPOINTS %I FOR WAVE KINEMATICS DATA", h.nx);
  if (h.ny < 1) sayInteger(-3, "ILLEGAL NUMBER OF Y GRIDPOINTS %I FOR WAVE KINEMATICS DATA", h.ny);
  if (nz < 1) sayInteger(-3, "ILLEGAL NUMBER OF Z GRIDPOINTS %I FOR WAVE KINEMATICS DATA", nz);
  if (static_cast<long long>(h.ny) + nz < 3) say(-3, "ILLEGAL NUMBER OF GRIDPOINTS DEFINING THE VERTICAL VARIATION OF THE WAVE KINEMATICS");
}

// 4-byte values the open file can hold at most: its size, or a bound on the scratch block when
// the size is not known.
long long valuesTheFileHolds() {
  const std::string file = fio::inquireUnit(kFileUnit).name;
  std::error_code error;
  const std::uintmax_t bytes = file.empty() ? 0 : std::filesystem::file_size(file, error);
  return file.empty() || error ? kMaxValues : static_cast<long long>(bytes / 4);
}

// True when the counts can be read safely: none negative and no more values than the file holds
// (a zero count reads zero values).
bool countsReadable(const Header& h, Int nz, long long gridValues) {
  if (h.points < 0 || h.nx < 0 || h.ny < 0 || nz < 0) return false;
  return 3LL * h.points + gridValues <= valuesTheFileHolds();
}

// Reads the next record of count 4-byte reals into the scratch block and widens them into out.
bool readReals(float* block, Int count, std::vector<double>& out) {
  if (fio::readRecord(kFileUnit, block, 4 * static_cast<std::size_t>(count)) != fio::kOk) return false;
  out.insert(out.end(), block, block + count);
  return true;
}

// Reads the header and the grid; the caller's array is written only when every record was read.
Int readGrid(void* array) {
  Header h;
  if (!readHeader(h)) {
    say(-3, kReadFailed);
    return 1;
  }
  const Int nz = h.nz == 0 ? 1 : h.nz;
  checkHeader(h, nz);
  const bool threeDirectional = nz != 1;
  const long long gridValues = static_cast<long long>(h.nx) + h.ny + (threeDirectional ? nz : 0);
  if (!countsReadable(h, nz, gridValues)) {
    say(-3, kReadFailed);
    return 1;
  }
  // The array gets the header words, then the points and the grid (a closing 0 for a grid in
  // two directions). Where its room is known, a file that asks for more is not read into it.
  const long long words = kFirstPointWord - 1 + 3LL * h.points + gridValues + (threeDirectional ? 0 : 1);
  const long long room = eqc::knownRoom(array);
  if (room >= 0 && words > room) {
    sayInteger(-3, "SYSTEM ERROR IN dbPelaControl - THE WAVE KINEMATICS DATA NEED %I WORDS", static_cast<Int>(words));
    return 1;
  }
  const long long blockNeed = std::max(3LL * h.points, static_cast<long long>(h.nx) + h.ny + nz);
  const Int blockWords = static_cast<Int>(std::min<long long>(blockNeed, std::numeric_limits<Int>::max()));
  const Int take = 1;
  Int index = 0, status = 1;
  if (blockNeed == blockWords) DBGETM(&take, &blockWords, &index, &status);
  float* block = status == 0 ? mem32::at<float>(index, static_cast<std::size_t>(blockWords), eqc_job::kScratchBlockTag)
                             : nullptr;
  if (block == nullptr) {
    say(-3, "MEMORY ALLOCATION ERROR.  EXECUTION TERMINATED");
    return 1;
  }
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(3LL * h.points + gridValues + 1));
  const bool good = readReals(block, 3 * h.points, values) && readReals(block, static_cast<Int>(gridValues), values);
  const Int giveBack = 0;
  DBGETM(&giveBack, &blockWords, &index, &status);
  if (!good) {
    say(-3, kReadFailed);
    return 1;
  }
  if (!threeDirectional) values.push_back(0.0);
  for (int k = 1; k <= 6; ++k) rec::setSlotI(array, k, 0);
  rec::setSlotI(array, 1, h.points);
  rec::setSlotR(array, 2, h.increment);
  rec::setSlotI(array, 3, h.nx);
  rec::setSlotI(array, 4, h.ny);
  rec::setSlotI(array, 5, nz);
  rec::setSlotI(array, 6, h.flag != 0 ? 1 : 0);
  for (std::size_t k = 0; k < values.size(); ++k) rec::setSlotR(array, kFirstPointWord + static_cast<long long>(k), values[k]);
  setState(kRead);
  return 0;
}

}  // namespace

extern "C" void DBPELACONTROL(const Int* op, void* array, Int* status) {
  *status = 0;
  switch (*op) {
    case kOpenFile: {
      const std::string file = fileName(array);
      if (!file.empty() && openUnit(kFileUnit, file, fio::Status::Old, fio::Form::Unformatted) == fio::kOk) {
        setState(kOpen);
        return;
      }
      sayString(-3, "CANNOT OPEN WAVE KINEMATICS DATA FILE %S", file);
      *status = 1;
      return;
    }
    case kCloseFile:
      if (fio::close(kFileUnit) == fio::kOk) {
        setState(kClosed);
        return;
      }
      say(-2, "SYSTEM ERROR IN dbPelaControl.  CANNOT CLOSE THE WAVE KINEMATICS DATA FILE");
      *status = 1;
      return;
    case kRewindFile:
      if (fio::rewind(kFileUnit) == fio::kOk) {
        setState(kOpen);
        return;
      }
      say(-3, "SYSTEM ERROR IN dbPelaControl.  CANNOT REWIND THE WAVE KINEMATICS DATA FILE");
      return;
    case kReadGrid: *status = readGrid(array); return;
    default: return;
  }
}
