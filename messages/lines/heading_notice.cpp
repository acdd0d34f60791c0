// The boxed notice at the head of the printed output: the release and build of the run, and
// what kind of release it is (development, release with its manuals, nuclear QA, pre-release or
// maintenance). Each box line is 16 blanks and 59 characters between two asterisks.

#include <cstring>
#include <string>
#include <string_view>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "zmx/messages/lines.h"

namespace {

constexpr int kReleaseWord = 1;  // CLINES: the release identifier, packed, from word 1
constexpr Int kVersionLength = 3;
constexpr Int kReleaseLength = 8;
constexpr Int kSnapshotLength = 32;
constexpr Int kNoticeLines = 21;
constexpr std::string_view kMargin = "                ";

constexpr std::string_view kStars = "* * * * * * * * * * * * * * * * * * * * * * * * * * * * * *";
constexpr std::string_view kEmpty = "*                                                         *";

class Notice {
 public:
  explicit Notice(Int unit) : unit_(unit) {}

  void blank() { fio::writeLine(unit_, ""); }
  void box(std::string_view line) { fio::writeLine(unit_, std::string(kMargin).append(line)); }
  void box(std::string_view before, std::string_view value, std::string_view after) {
    box(std::string(before).append(value).append(after));
  }
  void empty(int n = 1) {
    for (int k = 0; k < n; ++k) box(kEmpty);
  }

 private:
  Int unit_;
};

// The snapshot number from "VELTRO_SEQ"; one longer than its field is reported and cut.
std::string snapshotNumber() {
  char value[kSnapshotLength];
  Int length = 0;
  const std::string_view name = "VELTRO_SEQ";
  LXGENV(name.data(), static_cast<Int>(name.size()), value, kSnapshotLength, &length);
  if (length > kSnapshotLength) {
    const Int level = -3;
    const Real noReal = 0.0;
    const std::string_view text = "Length of snapshot number (%I) is too long in shr/impl/phnote. %S ";
    KVXERR(&level, text.data(), static_cast<Int>(text.size()), &length, &noReal, value, kSnapshotLength);
  }
  return std::string(value, kSnapshotLength);
}

std::string releaseCharacters(Int count) {
  std::string text(static_cast<std::size_t>(count), ' ');
  LFC_XUT_INTGTOCHAR(text.data(), count, count, &rec::i(CLINES, kReleaseWord));
  return text;
}

void head(Notice& out, std::string_view release, std::string_view snapshot) {
  out.blank();
  out.blank();
  out.box(kStars);
  out.empty();
  out.box("*                   *****************                     *");
  out.box("*                   *  N O T I C E  *                     *");
  out.box("*                   *****************                     *");
  out.empty(2);
  out.box("*                 VELTRO VERSION ", release, "                 *");
  out.empty();
  out.box("*          BUILD ID: ", snapshot, "     *");
  out.empty();
}

void manuals(Notice& out, std::string_view version) {
  out.empty();
  out.box("*  PLEASE MAKE SURE YOU ARE USING VERSION ", version, " MANUALS     *");
  out.box("*  PLUS THE NOTES ACCOMPANYING THIS RELEASE.              *");
  out.empty();
}

void releaseBlock(Notice& out, std::string_view version, std::string_view release) {
  if (version[2] == '0') {
    out.empty();
    out.box("*              THIS IS A DEVELOPMENT VERSION.             *");
    out.box("*              NO FORMAL QA HAS YET BEEN DONE.            *");
    out.empty(4);
  } else if (release[4] == '1' && release[5] == 'N') {
    manuals(out, version);
    out.empty();
    out.box("*               THIS IS A NUCLEAR QA VERSION.             *");
    out.empty();
  } else if (release[4] == '1' && release[5] == ' ') {
    manuals(out, version);
  } else if (release.substr(4, 3) == "PRE") {
    out.empty();
    out.box("*              THIS IS A PRE-RELEASE OF ", version, ".              *");
    out.box("*               NO FORMAL QA HAS BEEN DONE                *");
    out.box("*                  FOR THIS RELEASE.                      *");
    out.empty();
  } else {
    out.empty();
    out.box("*              THIS IS A MAINTENANCE RELEASE.             *");
    out.box("*              NO FORMAL QA HAS BEEN DONE.                *");
    out.box("*              USE THE OFFICIAL VERSION ", version, "-1             *");
    out.box("*              RELEASE UNLESS BUG FIXES PROVIDED          *");
    out.box("*              IN THIS RELEASE ARE REQUIRED.              *");
    out.empty();
  }
}

}  // namespace

extern "C" void PHNOTE(const Int* /*first*/, const Logical* nonNuclear) {
  const std::string snapshot = snapshotNumber();
  const std::string version = releaseCharacters(kVersionLength);
  const std::string release = releaseCharacters(kReleaseLength);
  Notice out(rec::i(CLINES, eqc_records::kPrintUnit));
  head(out, release, snapshot);
  releaseBlock(out, version, release);
  if (nonNuclear != nullptr && *nonNuclear == kTrue) {
    out.empty();
    out.box("*        WARNING:  THIS IS NOT A NUCLEAR QA VERSION.      *");
    out.empty();
  }
  out.box(kStars);
  for (int k = 0; k < 3; ++k) out.blank();
  const Int lines = kNoticeLines;
  PAGING(&lines);
}
