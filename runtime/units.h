// Numbered units with Fortran semantics: the unit-record I/O layer that every file of the suite
// goes through.
//
// A unit is a small integer connected to a file by `open`. Units 5, 6 and 0 are standard input,
// output and error until they are connected elsewhere. A unit is either formatted (lines of text)
// or unformatted (records of bytes framed by 4-byte length markers before and after, the layout
// gfortran writes and reads). Every call returns an IOSTAT value: 0 success, kEnd at end of file,
// a positive code for an error. Nothing here throws or aborts.
//
// Formatted transfers (edit-descriptor formats, list-directed output, internal files) are in
// runtime/format.h.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "runtime/fortran_types.h"

namespace fio {

// IOSTAT values.
inline constexpr int kOk = 0;
inline constexpr int kEnd = -1;           // end of file
inline constexpr int kNotConnected = 1;   // the unit was never opened (and is not preconnected)
inline constexpr int kOpenFailed = 2;     // the file could not be opened as asked
inline constexpr int kBadUnit = 3;        // unit number out of range
inline constexpr int kWrongForm = 4;      // formatted transfer on an unformatted unit or the reverse
inline constexpr int kReadFailed = 5;     // malformed or truncated record, conversion error
inline constexpr int kWriteFailed = 6;    // the file refused the bytes (disk full, read-only)
inline constexpr int kRecordTooShort = 7; // more items asked for than the record holds
inline constexpr int kBadFormat = 8;      // the format text could not be parsed
inline constexpr int kCloseFailed = 9;    // the file could not be closed or deleted
inline constexpr int kBadOpenValue = 10;  // an OPEN or CLOSE keyword with an unknown value
inline constexpr int kItemMismatch = 11;  // an item of the wrong type for its edit descriptor

// Unit numbers accepted: 0 to kMaxUnit.
inline constexpr Int kMaxUnit = 999;
inline constexpr Int kStandardInput = 5;
inline constexpr Int kStandardOutput = 6;
inline constexpr Int kStandardError = 0;

enum class Status { Old, New, Unknown, Scratch, Replace };
enum class Access { Sequential, Append };
enum class Form { Formatted, Unformatted };

struct OpenRequest {
  std::string_view file;  // trailing blanks ignored; ignored for Status::Scratch
  Status status = Status::Unknown;
  Access access = Access::Sequential;
  Form form = Form::Formatted;
  Int recl = 0;  // record length; kept for INQUIRE, records are not cut to it
};

// The OPEN and CLOSE keywords as callers spell them ("OLD", "unformatted", "APPEND", "DELETE"),
// case-insensitive and blank-padded. Each returns false for a word it does not know.
ZMX_EXPORT bool parseStatus(std::string_view word, Status& status);
ZMX_EXPORT bool parseAccess(std::string_view word, Access& access);
ZMX_EXPORT bool parseForm(std::string_view word, Form& form);

// Connects the unit to the file. A unit that is already connected is closed first (kept).
ZMX_EXPORT int open(Int unit, const OpenRequest& request);
// The same OPEN for a caller that tests no IOSTAT: the run time reports a failure itself (level
// -2, with the unit, the file and the system's reason) and the IOSTAT is still returned.
ZMX_EXPORT int openReportingFailure(Int unit, const OpenRequest& request);
// Closes the unit; deleteFile removes the file ("DELETE"). A scratch file is always removed.
// Closing a unit that is not connected is not an error.
ZMX_EXPORT int close(Int unit, bool deleteFile = false);
ZMX_EXPORT int rewind(Int unit);
// Hands buffered bytes of the unit to the operating system.
ZMX_EXPORT int flush(Int unit);
// Hands buffered bytes of every connected unit to the operating system.
ZMX_EXPORT void flushAll();

struct UnitInquiry {
  bool opened = false;
  bool exists = false;  // the unit number is valid
  Form form = Form::Formatted;
  Access access = Access::Sequential;
  Int recl = 0;
  std::string name;  // the file's name; empty for a scratch file, a string or a standard stream
};
struct FileInquiry {
  bool exists = false;
  bool opened = false;
  Int unit = -1;  // the unit connected to the file, -1 when none
};
ZMX_EXPORT UnitInquiry inquireUnit(Int unit);
ZMX_EXPORT FileInquiry inquireFile(std::string_view name);
ZMX_EXPORT bool isOpen(Int unit);

// ---- unformatted sequential records ------------------------------------------------------------

// One piece of an item list: bytes read into or written from caller memory.
struct Bytes {
  void* data;
  std::size_t size;
};
struct ConstBytes {
  const void* data;
  std::size_t size;
};

// Writes one record made of the items one after another.
ZMX_EXPORT int writeRecord(Int unit, std::initializer_list<ConstBytes> items);
ZMX_EXPORT int writeRecord(Int unit, const void* data, std::size_t size);
// Reads one record into the items. A record longer than the items is read and the rest skipped;
// a record shorter than the items gives kRecordTooShort (the record is passed over, the items
// hold what it had). End of file gives kEnd; a damaged marker gives kReadFailed.
ZMX_EXPORT int readRecord(Int unit, std::initializer_list<Bytes> items);
ZMX_EXPORT int readRecord(Int unit, void* data, std::size_t size);
// Reads one whole record, whatever its length, into record.
ZMX_EXPORT int readWholeRecord(Int unit, std::string& record);

// ---- formatted records (lines) ---------------------------------------------------------------

// Writes the text as one record (a newline is added).
ZMX_EXPORT int writeLine(Int unit, std::string_view text);
// Reads one record without its newline.
ZMX_EXPORT int readLine(Int unit, std::string& text);

// ---- redirection for tests -----------------------------------------------------------------

// Connects the unit to a text kept in memory (formatted, sequential). What is written there is
// read back with memoryText; a unit connected with readable text reads it line by line.
ZMX_EXPORT int openMemory(Int unit, std::string_view initialText = {});
ZMX_EXPORT std::string memoryText(Int unit);

}  // namespace fio
