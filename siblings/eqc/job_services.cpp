// Job services of the eqc stand-in: job file names, page control, unit flushing, character
// helpers, scratch blocks and the job exit.

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/job_testing.h"

namespace {

struct JobState {
  std::vector<int> pagingCalls;
  int pagedLines = 0;
  bool interceptExit = false;
  std::vector<int> exitCodes;
  std::unordered_map<Int, std::vector<float>> scratchBlocks;  // by address word
  bool failNextScratch = false;
};

constinit JobState* gJob = nullptr;

JobState& job() {
  if (gJob == nullptr) gJob = new JobState();
  return *gJob;
}

std::string_view strip(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return fchar::trimmed(text);
}

bool carriesPath(std::string_view name) { return name.find('/') != std::string_view::npos; }

bool hasExtension(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

std::string extensionOf(Int unit) {
  switch (unit) {
    case 8: return ".fil";
    case 9: return ".sel";
    case 13: return ".dat";
    case 23: return ".res";
    case 45: return ".wav";
    case 71:
    case 72:
    case 86: return ".odb";
    default: {
      std::string digits = std::to_string(unit < 0 ? -unit : unit);
      while (digits.size() < 3) digits.insert(digits.begin(), '0');
      return "." + digits;
    }
  }
}

}  // namespace

extern "C" {

void BCU_MKNAME(char* result, Int resultLength, const char* name, Int nameLength, const char* directory,
                Int directoryLength, const Int* unit, const Int* /*programKind*/, Int* status) {
  fchar::assign(result, resultLength, "");
  if (status != nullptr) *status = 0;
  const std::string_view base = strip(fchar::field(name, nameLength));
  if (base.empty()) return;
  std::string full;
  if (!carriesPath(base)) full = std::string(strip(fchar::field(directory, directoryLength)));
  full.append(base);
  if (!hasExtension(base) && unit != nullptr) full.append(extensionOf(*unit));
  if (full.size() > static_cast<std::size_t>(resultLength > 0 ? resultLength : 0)) {
    if (status != nullptr) *status = 1;
    return;
  }
  fchar::assign(result, resultLength, full);
}

void PAGING(const Int* lines) {
  const int n = lines != nullptr ? *lines : 0;
  job().pagingCalls.push_back(n);
  job().pagedLines += n;
}

void DBFLUS(const Int* unit) {
  if (unit != nullptr) fio::flush(*unit);
}

void PTHLOC(const char* text, Int textLength, const Int* length, Int* flag) {
  const Int n = length != nullptr && *length < textLength ? *length : textLength;
  if (flag != nullptr) *flag = carriesPath(fchar::field(text, n)) ? 1 : 0;
}

void LENSTR(const char* text, Int textLength, const Int* length, Int* first, Int* last) {
  const std::string_view field = fchar::field(text, length != nullptr && *length < textLength ? *length : textLength);
  const std::size_t begin = field.find_first_not_of(' ');
  const std::size_t end = field.find_last_not_of(' ');
  if (first != nullptr) *first = begin == std::string_view::npos ? 0 : static_cast<Int>(begin + 1);
  if (last != nullptr) *last = end == std::string_view::npos ? 0 : static_cast<Int>(end + 1);
}

void ACODEC(const void* coded, char* field, Int fieldLength, const Int* n, Int* length) {
  const auto* bytes = static_cast<const char*>(coded);
  const Int limit = n != nullptr ? (*n < fieldLength ? *n : fieldLength) : 0;
  Int moved = 0;
  while (bytes != nullptr && moved < limit && bytes[moved] != '\0') ++moved;
  fchar::assign(field, fieldLength, std::string_view(bytes != nullptr ? bytes : "", static_cast<std::size_t>(moved)));
  if (length != nullptr) *length = moved;
}

void DBGETM(const Int* operation, const Int* words, Int* index, Int* status) {
  JobState& state = job();
  if (status != nullptr) *status = 1;
  if (operation == nullptr || index == nullptr) return;
  if (*operation == 1) {
    const Int n = words != nullptr ? *words : 0;
    if (n < 0 || state.failNextScratch) {
      state.failNextScratch = false;
      return;
    }
    std::vector<float> block(static_cast<std::size_t>(n > 0 ? n : 1));
    const Int word = mem32::map(block.data(), block.size() * sizeof(float), eqc_job::kScratchBlockTag);
    if (word == 0) return;
    state.scratchBlocks.emplace(word, std::move(block));
    *index = word;
    if (status != nullptr) *status = 0;
  } else if (*operation == 0) {
    const auto found = state.scratchBlocks.find(*index);
    if (found == state.scratchBlocks.end()) return;
    mem32::unmap(found->first);
    state.scratchBlocks.erase(found);
    if (status != nullptr) *status = 0;
  }
}

void BCU_EXIT(const Int* code) {
  const int value = code != nullptr ? *code : 0;
  if (job().interceptExit) {
    job().exitCodes.push_back(value);
    return;
  }
  fio::flushAll();
  std::exit(value);
}

}  // extern "C"

namespace eqc_job_testing {

int pagedLines() { return job().pagedLines; }
std::vector<int> pagingCalls() { return job().pagingCalls; }
void resetPaging() {
  job().pagingCalls.clear();
  job().pagedLines = 0;
}
void interceptExit(bool on) { job().interceptExit = on; }
std::vector<int> exitCodes() { return job().exitCodes; }
int liveScratchBlocks() { return static_cast<int>(job().scratchBlocks.size()); }
void failNextScratchBlock(bool on) { job().failNextScratch = on; }

}  // namespace eqc_job_testing
