// The results file in binary form: records of 8-byte words packed into blocks of 512 words,
// each block one unformatted record of the sequential unit, and the block layer DBSEQ that the
// other sequential data-base units share.
#include <algorithm>
#include <cstring>

#include "runtime/address_space.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/records.h"
#include "storage/results/results_internal.h"
#include "siblings/eqc/eqc_job.h"
#include "zmx/storage.h"

extern "C" {
constinit CDFILE_t CDFILE{};
constinit CDFILR_t CDFILR{};
constinit CDFILS_t CDFILS{};
constinit COUTF_t COUTF{};
}

namespace zmx::results {
namespace {

constexpr long long kMaxInt = 0x7fffffff;

// The block state of one sequential unit, as DBSEQ sees it.
struct BlockState {
  Int& position;
  Int unit;
  Int blockLength;
  Int& blockCount;
  Int& state;
};

void transferBlock(const BlockState& s, void* buffer, Int op, Int* status) {
  DBSA(&s.unit, buffer, &s.blockLength, &op, status);
}

// Words are moved in runs as long as the buffer allows; a block is transferred only when the
// buffer is used up (reading) or full and more words follow (writing).
void transfer(bool reading, const BlockState& s, char* buffer, char* data, Int n, Int* status) {
  while (n > 0) {
    if (s.position > s.blockLength) {
      if (reading) {
        transferBlock(s, buffer, kRead, status);
        if (*status != 0) return;
        s.state = kStateRead;
      } else if (s.blockCount != 0) {
        transferBlock(s, buffer, kWrite, status);
      }
      ++s.blockCount;
      s.position = 1;
    }
    const Int m = std::min(n, s.blockLength - s.position + 1);
    char* slot = buffer + 8 * static_cast<std::size_t>(s.position - 1);
    if (reading) {
      std::memcpy(data, slot, 8 * static_cast<std::size_t>(m));
    } else {
      std::memcpy(slot, data, 8 * static_cast<std::size_t>(m));
      s.state = kStateModified;
    }
    s.position += m;
    data += 8 * static_cast<std::size_t>(m);
    n -= m;
  }
}

void resetToStart(const BlockState& s) {
  s.state = kStateIdle;
  s.blockCount = 0;
  s.position = s.blockLength + 1;
}

void rewind(const BlockState& s, void* buffer, Int* status) {
  if (s.blockCount == 0) return;
  // Block 1 still in the buffer and nothing of it on the file: start again at its word 1.
  if (s.blockCount == 1 && s.state != kStateRead) {
    s.position = 1;
    return;
  }
  if (s.state == kStateModified) transferBlock(s, buffer, kWrite, status);
  transferBlock(s, buffer, kRewind, status);
  resetToStart(s);
}

// A user-named file's block that goes to the file at its close or rewind holds zeros past its
// last record, not what an earlier block or file left in the buffer, so a read past that record
// finds no record there. Only a write leaves the block modified between the file's rewinds, so
// the position is where the last write ended.
void clearPastLastRecord(const BlockState& s, Real* buffer) {
  if (s.state != kStateModified) return;
  const long long used = std::clamp<long long>(s.position - 1LL, 0, s.blockLength);
  std::fill(buffer + used, buffer + s.blockLength, 0.0);
}

void endPass(const BlockState& s, void* buffer, Int* status) {
  if (s.blockCount == 0) return;
  if (s.state == kStateModified) transferBlock(s, buffer, kWrite, status);
  const bool atStart = s.state == kStateIdle && s.blockCount == 1;
  if (!atStart) transferBlock(s, buffer, kRewind, status);
  resetToStart(s);
}

// What memory needs of a block state: a buffer that holds a block (room in words, -1 when not
// known) and a position inside it or past its end (the block is then used up).
bool sane(const BlockState& s, const void* buffer, long long room) {
  return buffer != nullptr && s.blockLength >= 1 && s.position >= 1 && (room < 0 || s.blockLength <= room);
}

// The end record takes at least its length and key words in one block.
bool holdsEndRecord(const BlockState& s, const void* buffer, long long room) {
  return sane(s, buffer, room) && s.blockLength >= 2;
}

void setWords(Real* words, Int n, Int value) { ASETDI(words, &value, &n); }

// The end record fills the rest of the block it starts in, so that the file ends on a block
// boundary; with one word left it straddles into a block of its own. The buffer is written
// out whole, so it holds nothing unwritten afterwards.
void writeEndRecord(const BlockState& s, Real* buffer, Int* status) {
  const Int length = s.blockLength;
  Int left = length - s.position + 1;
  if (left == 1) {
    buffer[s.position - 1] = static_cast<Real>(length + 1);
    transferBlock(s, buffer, kWrite, status);
    ++s.blockCount;
    buffer[0] = static_cast<Real>(kEndKey);
    setWords(buffer + 1, length - 1, 0);
  } else {
    if (left <= 0) {
      if (s.blockCount != 0) transferBlock(s, buffer, kWrite, status);
      s.position = 1;
      ++s.blockCount;
      left = length;
    }
    buffer[s.position - 1] = static_cast<Real>(left);
    buffer[s.position] = static_cast<Real>(kEndKey);
    setWords(buffer + s.position + 1, left - 2, 0);
  }
  transferBlock(s, buffer, kWrite, status);
  s.position = 1;
  ++s.blockCount;
  s.state = kStateIdle;
}

BlockState firstStream() {
  return {rec::i(CDFILE, kPosition), rec::i(CDFILE, kUnit), rec::i(CDFILE, kBlockLength),
          rec::i(CDFILE, kBlockCount), rec::i(CDFILE, kState)};
}

BlockState secondStream() {
  return {rec::i(CDFILR, kSecondPosition), rec::i(CDFILR, kSecondUnit), rec::i(CDFILR, kSecondBlockLength),
          rec::i(CDFILR, kSecondBlockCount), rec::i(CDFILR, kSecondState)};
}

Real* secondStreamBuffer() { return reinterpret_cast<Real*>(CDFILS.w); }

void seq(Int op, const BlockState& s, void* buffer, void* data, Int count, Int* status) {
  Int unit = s.unit, length = s.blockLength;
  DBSEQ(&op, buffer, data, &count, &s.position, &unit, &length, &s.blockCount, &s.state, status);
}

// Reads one record through the block state: its length word first, then the rest of it. With
// the length check on, a length outside 2 to 514 gives status 1 and nothing more is read. A
// caller's array whose room is known (a block of the address space) is never read past.
void readRecord(const BlockState& s, void* buffer, Real* record, bool checkLength, Int* status) {
  seq(kRead, s, buffer, record, 1, status);
  if (*status != 0) return;
  Int length = 0;
  const bool integer = integerOfWord(record, length);
  if (!integer || length < 2 || (checkLength && length > kMaxRecordWords)) {
    *status = 1;
    return;
  }
  const long long room = eqc::knownRoom(record);
  if (room >= 0 && length > room) {
    reportRecordLength(length, static_cast<Int>(std::min<long long>(room, kMaxInt)));
    *status = 1;
    return;
  }
  seq(kRead, s, buffer, record + 1, length - 1, status);
}

void writeRecord(const BlockState& s, void* buffer, Real* record, Int* status) {
  Int length = 0;
  if (!integerOfWord(record, length)) {
    *status = 1;
    return;
  }
  seq(kWrite, s, buffer, record, length, status);
}

// A user-named binary file keeps its own block state and buffer, apart from the first stream.
struct UserFileStream {
  Int blockLength = kBlockWords;
  Int unit = 0;
  Int blockCount = 0;
  Int position = kBlockWords + 1;
  Int state = kStateIdle;
  Real buffer[kBlockWords] = {};
};
constinit UserFileStream gUserFile{};

BlockState userFileStream() {
  return {gUserFile.position, gUserFile.unit, gUserFile.blockLength, gUserFile.blockCount, gUserFile.state};
}

void binaryUserFile(Int op, Real* record, Int* unit, const char* name, Int nameLength, const Int* form,
                    Int* status) {
  if (op >= kRewind || !unitOpen(*unit)) {
    // Words written since the last full block go out before the file is rewound or left.
    if (gUserFile.state == kStateModified) {
      clearPastLastRecord(userFileStream(), gUserFile.buffer);
      seq(kEndPass, userFileStream(), gUserFile.buffer, nullptr, 0, status);
    }
    gUserFile.position = kBlockWords + 1;
    gUserFile.blockLength = kBlockWords;
    gUserFile.state = kStateIdle;
    gUserFile.blockCount = 0;
    DBUSRF(&op, unit, &gUserFile.unit, name, nameLength, form, status);
    if (*status != 0) return;
  }
  if (op == kRead) readRecord(userFileStream(), gUserFile.buffer, record, true, status);
  if (op == kWrite) writeRecord(userFileStream(), gUserFile.buffer, record, status);
}

}  // namespace

// The first stream's block buffer in the work space: word CDFILE(4) from CSP word 3.
Real* firstStreamBuffer() {
  const Int base = rec::i(CSP, eqc_records::kWorkSpaceBase) + 8 * (rec::i(CDFILE, kBufferBase) - 1);
  return mem32::at<Real>(base, kBlockWords);
}

}  // namespace zmx::results

using namespace zmx::results;

extern "C" {

void DBSEQ(const Int* operation, void* buffer, void* data, const Int* count, Int* position, const Int* unit,
           const Int* blockLength, Int* blockCount, Int* state, Int* status) {
  const BlockState s{*position, *unit, *blockLength, *blockCount, *state};
  if (!sane(s, buffer, eqc::knownRoom(buffer))) {
    *status = 1;
    return;
  }
  switch (*operation) {
    case kRead:
    case kWrite:
      transfer(*operation == kRead, s, static_cast<char*>(buffer), static_cast<char*>(data), *count, status);
      return;
    case kRewind: rewind(s, buffer, status); return;
    default: endPass(s, buffer, status); return;
  }
}

void SHR_DBFILE(const Int* mode, Real* record, Int* status) {
  if (rec::i(CWORK, eqc_records::kResultsForm) == kAscii) {
    DBFILA(mode, record, status);
    return;
  }
  *status = 0;
  const BlockState s = firstStream();
  if (*mode >= 4 && *mode <= 9) {
    // The unit cannot step back a block: reported by the unit layer, and nothing moves.
    const Int op = kReportError, none = 0;
    DBSA(&s.unit, nullptr, &none, &op, status);
    *status = 1;
    return;
  }
  if (*mode < 0) {
    *status = 1;
    return;
  }
  Real* buffer = firstStreamBuffer();
  const long long room = eqc::knownRoom(buffer);
  if (*mode >= kEndMode ? !holdsEndRecord(s, buffer, room) : !sane(s, buffer, room)) {
    *status = 1;
    return;
  }
  switch (*mode) {
    case kRead: readRecord(s, buffer, record, rec::i(CDFILE, kLengthCheckOff) != 1, status); return;
    case kWrite: writeRecord(s, buffer, record, status); return;
    case kRewind:
    case kEndPass: seq(*mode, s, buffer, nullptr, 0, status); return;
    default:
      writeEndRecord(s, buffer, status);
      DBFIN(&s.unit);
      return;
  }
}

void SHR_DBFILW(const Int* /*mode*/, Real* record, Int* status) {
  *status = 0;
  Int key = 0;
  const bool ends = integerOfWord(record + 1, key) && key == kEndKey;
  const Int op = ends ? kEndMode : kWrite;
  if (rec::i(COUTF, 1) == kAscii) {
    asciiSecondStream(op, record, status);
    return;
  }
  const BlockState s = secondStream();
  if (ends ? !holdsEndRecord(s, secondStreamBuffer(), kBlockWords) : !sane(s, secondStreamBuffer(), kBlockWords)) {
    *status = 1;
    return;
  }
  if (ends)
    writeEndRecord(s, secondStreamBuffer(), status);
  else
    writeRecord(s, secondStreamBuffer(), record, status);
}

void DBFILF(const Int* operation, Real* record, Int* unit, const char* name, Int nameLength, const Int* form,
            Int* status) {
  *status = 0;
  rec::i(CDFILE, kLengthCheckOff) = 0;
  if (*form == kAscii)
    asciiUserFile(*operation, record, unit, name, nameLength, form, status);
  else
    binaryUserFile(*operation, record, unit, name, nameLength, form, status);
}

void DBFIN(const Int* /*unit*/) {}

}  // extern "C"
