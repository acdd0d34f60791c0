#include "siblings/eqc/run_services.h"

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/run_testing.h"
#include "siblings/eqc/eqc_job.h"

namespace {

constexpr std::size_t kReleaseLength = 8;

struct JobState {
  std::vector<std::string> calls;
  std::string date, time;
  std::string release = "6.14-1";
};

// Made on first use: loading the library runs no code.
JobState& state() {
  static JobState* s = new JobState();
  return *s;
}

std::string clockText(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16] = {};
  std::strftime(text, sizeof text, format, &local);
  return text;
}

}  // namespace

extern "C" {

void XITMSG() { state().calls.emplace_back("XITMSG"); }

void XITJOB() {
  state().calls.emplace_back("XITJOB");
  const Int normalEnd = 0;
  BCU_EXIT(&normalEnd);
}

void LXDATE(char* date, Int dateLength) {
  const std::string& fixed = state().date;
  fchar::assign(date, dateLength, fixed.empty() ? clockText("%m-%d-%Y") : fixed);
}

void LXTIME(char* time, Int timeLength) {
  const std::string& fixed = state().time;
  fchar::assign(time, timeLength, fixed.empty() ? clockText("%H:%M:%S") : fixed);
}

void LFC_XUT_CHARTOINTG(const char* text, Int textLength, Int count, Int* words) {
  if (count <= 0 || words == nullptr) return;
  const std::string_view source = fchar::field(text, textLength);
  const auto n = static_cast<std::size_t>(count);
  std::string packed(4 * ((n + 3) / 4), ' ');
  for (std::size_t k = 0; k < n && k < source.size(); ++k) packed[k] = source[k];
  std::memcpy(words, packed.data(), packed.size());
}

void LFC_XUT_INTGTOCHAR(char* text, Int textLength, Int count, const Int* words) {
  if (count <= 0 || words == nullptr) {
    fchar::assign(text, textLength, "");
    return;
  }
  std::string unpacked(static_cast<std::size_t>(count), ' ');
  std::memcpy(unpacked.data(), words, unpacked.size());
  fchar::assign(text, textLength, unpacked);
}

void IFC_GETVERSIONNUMBER(Int* word) {
  if (word == nullptr) return;
  std::string release = state().release;
  release.resize(kReleaseLength, ' ');
  std::memcpy(word, release.data(), kReleaseLength);
}

void BCU_SET_BLANK(void* text, const Int* count) {
  if (text == nullptr || count == nullptr || *count <= 0) return;
  std::memset(text, ' ', 8 * static_cast<std::size_t>(*count));
}

void JOBTIME(const Int* first, const Int* second) {
  state().calls.push_back("JOBTIME " + std::to_string(first ? *first : 0) + " " + std::to_string(second ? *second : 0));
}

}  // extern "C"

namespace eqc_run_testing {

std::vector<std::string> jobCalls() { return state().calls; }
void clearJobCalls() { state().calls.clear(); }

void setClock(const std::string& date, const std::string& time) {
  state().date = date;
  state().time = time;
}

void setRelease(const std::string& release) { state().release = release; }

}  // namespace eqc_run_testing
