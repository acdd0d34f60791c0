// Numbered units over C streams: connection, positioning, inquiry and unformatted records.
//
// Unformatted records are framed as gfortran frames them: a 4-byte little-endian length, the
// bytes, the same length again. Sequential files end after the last record written: a unit that
// wrote cuts the file at its position once it stops writing - when it turns to reading, rewinds
// or closes, or when the process ends normally with the unit still connected, as a Fortran run
// time closes every unit at the end of the program.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>

#include "runtime/report.h"
#include "runtime/unit_table.h"

namespace fio {
namespace detail {
namespace {

constexpr std::size_t kStreamBuffer = 1 << 16;

struct UnitTable {
  std::array<Unit, kMaxUnit + 1> units{};
};

constinit UnitTable* gTable = nullptr;

UnitTable& table() {
  if (gTable == nullptr) gTable = new UnitTable();
  return *gTable;
}

bool validNumber(Int unit) { return unit >= 0 && unit <= kMaxUnit; }

std::FILE* standardStream(Int unit) {
  switch (unit) {
    case kStandardInput: return stdin;
    case kStandardOutput: return stdout;
    case kStandardError: return stderr;
    default: return nullptr;
  }
}

// A unit that is not connected and carries a standard number stands for that stream.
void connectStandard(Unit& u, Int unit) {
  if (u.file != nullptr) return;
  std::FILE* stream = standardStream(unit);
  if (stream == nullptr) return;
  u = Unit{};
  u.file = stream;
}

std::string trimmedName(std::string_view name) {
  std::size_t first = 0;
  while (first < name.size() && name[first] == ' ') ++first;
  std::size_t end = name.size();
  while (end > first && name[end - 1] == ' ') --end;
  return std::string(name.substr(first, end - first));
}

bool upperEquals(std::string_view word, std::string_view upper) {
  const std::string w = trimmedName(word);
  if (w.size() != upper.size()) return false;
  for (std::size_t k = 0; k < w.size(); ++k)
    if (std::toupper(static_cast<unsigned char>(w[k])) != upper[k]) return false;
  return true;
}

bool fileExists(const std::string& name) {
  struct stat info {};
  return !name.empty() && ::stat(name.c_str(), &info) == 0;
}

// Opens the named file as the status asks; null when the status forbids it or the system refuses.
std::FILE* openNamed(const std::string& name, Status status) {
  const bool exists = fileExists(name);
  switch (status) {
    case Status::Old:
      if (!exists) return nullptr;
      if (std::FILE* f = std::fopen(name.c_str(), "r+b")) return f;
      return std::fopen(name.c_str(), "rb");
    case Status::New: {
      const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0) return nullptr;
      std::FILE* f = ::fdopen(fd, "w+b");
      if (f == nullptr) ::close(fd);
      return f;
    }
    case Status::Unknown:
      if (exists) {
        if (std::FILE* f = std::fopen(name.c_str(), "r+b")) return f;
        return std::fopen(name.c_str(), "rb");
      }
      return std::fopen(name.c_str(), "w+b");
    case Status::Replace: return std::fopen(name.c_str(), "w+b");
    case Status::Scratch: return std::tmpfile();
  }
  return nullptr;
}

// A sequential file ends after its last record written. The file is cut only when the unit stops
// writing, not where writing starts, so that a file written again to its old length is
// overwritten in place.
void cutAfterLastWrite(Unit& u) {
  if (!u.lastWasWrite || u.file == nullptr || !u.ownsFile) return;
  std::fflush(u.file);
  const long position = std::ftell(u.file);
  if (position >= 0) {
    if (::ftruncate(::fileno(u.file), position) != 0) { /* a pipe or device: nothing to cut */
    }
  }
}

int closeUnit(Unit& u, bool deleteFile) {
  if (u.file == nullptr) return kOk;
  if (!u.ownsFile) {
    std::fflush(u.file);
    u = Unit{};
    return kOk;
  }
  cutAfterLastWrite(u);
  int status = std::fclose(u.file) == 0 ? kOk : kCloseFailed;
  if (deleteFile && !u.scratch && !u.memory && !u.name.empty() && std::remove(u.name.c_str()) != 0)
    status = kCloseFailed;
  u = Unit{};
  return status;
}

void rememberIdentity(Unit& u) {
  struct stat info {};
  if (::fstat(::fileno(u.file), &info) == 0) {
    u.device = info.st_dev;
    u.inode = info.st_ino;
  }
}

// Makes the stream ready to change direction: C streams need a positioning call between a
// write and a read.
void turnTo(Unit& u, bool writing) {
  if (u.lastWasWrite != writing && u.ownsFile) {
    cutAfterLastWrite(u);  // a read after a write finds the end of the file
    std::fseek(u.file, 0, SEEK_CUR);
  }
  u.lastWasWrite = writing;
}

// At the normal end of the process, every unit it connected that is still connected and wrote
// last ends there. A forked child shares the parent's open files and positions, so it leaves the
// units it inherited alone.
void cutAllAtExit() {
  if (gTable == nullptr) return;
  const pid_t self = ::getpid();
  for (Unit& u : gTable->units)
    if (u.opener == self) cutAfterLastWrite(u);
}

// Installed by the first open rather than when the library is loaded.
constinit bool gExitCutInstalled = false;

void installExitCut() {
  if (gExitCutInstalled) return;
  gExitCutInstalled = std::atexit(cutAllAtExit) == 0;
}

}  // namespace

Unit* findUnit(Int unit) {
  if (!validNumber(unit)) return nullptr;
  Unit& u = table().units[static_cast<std::size_t>(unit)];
  connectStandard(u, unit);
  return &u;
}

Unit* unitForTransfer(Int unit, Form form, bool writing, int* iostat) {
  Unit* u = findUnit(unit);
  if (u == nullptr) {
    *iostat = kBadUnit;
    return nullptr;
  }
  if (u->file == nullptr) {
    *iostat = kNotConnected;
    return nullptr;
  }
  if (u->form != form) {
    *iostat = kWrongForm;
    return nullptr;
  }
  turnTo(*u, writing);
  *iostat = kOk;
  return u;
}

}  // namespace detail

using detail::Unit;

bool parseStatus(std::string_view word, Status& status) {
  static constexpr std::pair<std::string_view, Status> kWords[] = {
      {"OLD", Status::Old}, {"NEW", Status::New}, {"UNKNOWN", Status::Unknown},
      {"SCRATCH", Status::Scratch}, {"REPLACE", Status::Replace}};
  for (const auto& [text, value] : kWords)
    if (detail::upperEquals(word, text)) {
      status = value;
      return true;
    }
  return false;
}

bool parseAccess(std::string_view word, Access& access) {
  if (detail::upperEquals(word, "SEQUENTIAL")) access = Access::Sequential;
  else if (detail::upperEquals(word, "APPEND")) access = Access::Append;
  else return false;
  return true;
}

bool parseForm(std::string_view word, Form& form) {
  if (detail::upperEquals(word, "FORMATTED")) form = Form::Formatted;
  else if (detail::upperEquals(word, "UNFORMATTED")) form = Form::Unformatted;
  else return false;
  return true;
}

int open(Int unit, const OpenRequest& request) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr) return kBadUnit;
  detail::closeUnit(*u, false);
  std::string name = detail::trimmedName(request.file);
  if (name.empty() && request.status != Status::Scratch) name = "fort." + std::to_string(unit);
  std::FILE* file = detail::openNamed(name, request.status);
  if (file == nullptr) return kOpenFailed;
  std::setvbuf(file, nullptr, _IOFBF, detail::kStreamBuffer);
  if (request.access == Access::Append) std::fseek(file, 0, SEEK_END);
  u->file = file;
  u->ownsFile = true;
  u->scratch = request.status == Status::Scratch;
  u->form = request.form;
  u->access = request.access;
  u->recl = request.recl;
  u->name = u->scratch ? std::string() : name;
  detail::rememberIdentity(*u);
  u->opener = ::getpid();
  detail::installExitCut();
  return kOk;
}

int openReportingFailure(Int unit, const OpenRequest& request) {
  errno = 0;
  const int iostat = open(unit, request);
  if (iostat == kOk) return iostat;
  const int error = iostat == kOpenFailed ? errno : 0;
  std::string text = "I/O ERROR ON UNIT " + std::to_string(unit) + ": CANNOT OPEN FILE " + detail::trimmedName(request.file);
  if (error != 0) text += ": " + std::string(std::strerror(error));
  zmxrt::report(-2, text);
  return iostat;
}

int close(Int unit, bool deleteFile) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr) return kBadUnit;
  const int status = detail::closeUnit(*u, deleteFile);
  detail::findUnit(unit);  // a standard number falls back to its stream
  return status;
}

int rewind(Int unit) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr) return kBadUnit;
  if (u->file == nullptr) return kNotConnected;
  if (!u->ownsFile) return kOk;
  detail::cutAfterLastWrite(*u);
  u->lastWasWrite = false;
  std::rewind(u->file);
  return kOk;
}

int flush(Int unit) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr) return kBadUnit;
  if (u->file == nullptr) return kNotConnected;
  return std::fflush(u->file) == 0 ? kOk : kWriteFailed;
}

void flushAll() {
  if (detail::gTable == nullptr) return;
  for (Unit& u : detail::gTable->units)
    if (u.file != nullptr) std::fflush(u.file);
}

UnitInquiry inquireUnit(Int unit) {
  UnitInquiry answer;
  const Unit* u = detail::findUnit(unit);
  if (u == nullptr) return answer;
  answer.exists = true;
  answer.opened = u->file != nullptr;
  if (!answer.opened) return answer;
  answer.form = u->form;
  answer.access = u->access;
  answer.recl = u->recl;
  answer.name = u->name;
  return answer;
}

FileInquiry inquireFile(std::string_view name) {
  FileInquiry answer;
  const std::string file = detail::trimmedName(name);
  struct stat info {};
  if (file.empty() || ::stat(file.c_str(), &info) != 0) return answer;
  answer.exists = true;
  if (detail::gTable == nullptr) return answer;
  for (Int k = 0; k <= kMaxUnit; ++k) {
    const Unit& u = detail::gTable->units[static_cast<std::size_t>(k)];
    if (u.file != nullptr && u.ownsFile && !u.name.empty() && u.device == info.st_dev && u.inode == info.st_ino) {
      answer.opened = true;
      answer.unit = k;
      break;
    }
  }
  return answer;
}

bool isOpen(Int unit) { return inquireUnit(unit).opened; }

// ---- unformatted records -------------------------------------------------------------------------

namespace {

using Marker = std::uint32_t;
constexpr std::size_t kMarkerBytes = sizeof(Marker);

bool putBytes(std::FILE* f, const void* data, std::size_t size) {
  return size == 0 || ::fwrite_unlocked(data, 1, size, f) == size;
}

// Reads the marker before a record: kOk, kEnd at a clean end of file, kReadFailed otherwise.
int getMarker(std::FILE* f, Marker& marker, bool leading) {
  const std::size_t got = ::fread_unlocked(&marker, 1, kMarkerBytes, f);
  if (got == kMarkerBytes) return marker > 0x7fffffffu ? kReadFailed : kOk;
  if (got == 0 && leading && std::feof(f)) return kEnd;
  return kReadFailed;
}

// Passes over bytes of the record that no item asked for.
bool skipBytes(std::FILE* f, std::size_t size) {
  if (size == 0) return true;
  if (std::fseek(f, static_cast<long>(size), SEEK_CUR) == 0) return true;
  char sink[4096];
  while (size > 0) {
    const std::size_t step = std::min(size, sizeof sink);
    if (::fread_unlocked(sink, 1, step, f) != step) return false;
    size -= step;
  }
  return true;
}

}  // namespace

int writeRecord(Int unit, std::initializer_list<ConstBytes> items) {
  int iostat = kOk;
  Unit* u = detail::unitForTransfer(unit, Form::Unformatted, true, &iostat);
  if (u == nullptr) return iostat;
  std::size_t total = 0;
  for (const ConstBytes& item : items) total += item.size;
  if (total > 0x7fffffffu) return kWriteFailed;
  const Marker marker = static_cast<Marker>(total);
  bool good = putBytes(u->file, &marker, kMarkerBytes);
  for (const ConstBytes& item : items) good = good && putBytes(u->file, item.data, item.size);
  good = good && putBytes(u->file, &marker, kMarkerBytes);
  return good && !std::ferror(u->file) ? kOk : kWriteFailed;
}

int writeRecord(Int unit, const void* data, std::size_t size) { return writeRecord(unit, {ConstBytes{data, size}}); }

int readRecord(Int unit, std::initializer_list<Bytes> items) {
  int iostat = kOk;
  Unit* u = detail::unitForTransfer(unit, Form::Unformatted, false, &iostat);
  if (u == nullptr) return iostat;
  Marker leading = 0;
  if (const int status = getMarker(u->file, leading, true); status != kOk) return status;
  std::size_t left = leading;
  bool tooShort = false;
  for (const Bytes& item : items) {
    const std::size_t take = std::min(left, item.size);
    if (take > 0 && ::fread_unlocked(item.data, 1, take, u->file) != take) return kReadFailed;
    left -= take;
    if (take < item.size) tooShort = true;
  }
  if (!skipBytes(u->file, left)) return kReadFailed;
  Marker trailing = 0;
  if (getMarker(u->file, trailing, false) != kOk || trailing != leading) return kReadFailed;
  return tooShort ? kRecordTooShort : kOk;
}

int readRecord(Int unit, void* data, std::size_t size) { return readRecord(unit, {Bytes{data, size}}); }

int readWholeRecord(Int unit, std::string& record) {
  int iostat = kOk;
  Unit* u = detail::unitForTransfer(unit, Form::Unformatted, false, &iostat);
  if (u == nullptr) return iostat;
  Marker leading = 0;
  if (const int status = getMarker(u->file, leading, true); status != kOk) return status;
  // Grow in steps so that a damaged marker cannot ask for gigabytes at once.
  record.clear();
  std::size_t left = leading;
  char chunk[1 << 14];
  while (left > 0) {
    const std::size_t step = std::min(left, sizeof chunk);
    if (::fread_unlocked(chunk, 1, step, u->file) != step) return kReadFailed;
    record.append(chunk, step);
    left -= step;
  }
  Marker trailing = 0;
  if (getMarker(u->file, trailing, false) != kOk || trailing != leading) return kReadFailed;
  return kOk;
}

// ---- formatted records ---------------------------------------------------------------------

int writeLine(Int unit, std::string_view text) {
  int iostat = kOk;
  Unit* u = detail::unitForTransfer(unit, Form::Formatted, true, &iostat);
  if (u == nullptr) return iostat;
  const bool good = putBytes(u->file, text.data(), text.size()) && ::fputc_unlocked('\n', u->file) != EOF;
  return good && !::ferror_unlocked(u->file) ? kOk : kWriteFailed;
}

int readLine(Int unit, std::string& text) {
  int iostat = kOk;
  Unit* u = detail::unitForTransfer(unit, Form::Formatted, false, &iostat);
  if (u == nullptr) return iostat;
  text.clear();
  int c = ::getc_unlocked(u->file);
  if (c == EOF) return std::ferror(u->file) ? kReadFailed : kEnd;
  while (c != EOF && c != '\n') {
    text.push_back(static_cast<char>(c));
    c = ::getc_unlocked(u->file);
  }
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return kOk;
}

// ---- memory units ---------------------------------------------------------------------------

int openMemory(Int unit, std::string_view initialText) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr) return kBadUnit;
  detail::closeUnit(*u, false);
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return kOpenFailed;
  if (!initialText.empty()) {
    std::fwrite(initialText.data(), 1, initialText.size(), file);
    std::rewind(file);
  }
  u->file = file;
  u->ownsFile = true;
  u->memory = true;
  u->scratch = true;
  return kOk;
}

std::string memoryText(Int unit) {
  Unit* u = detail::findUnit(unit);
  if (u == nullptr || u->file == nullptr || !u->memory) return {};
  std::fflush(u->file);
  std::string text;
  char chunk[4096];
  const int fd = ::fileno(u->file);
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, chunk, sizeof chunk, offset);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
  return text;
}

}  // namespace fio
