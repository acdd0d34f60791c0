// The results file in ASCII form: each record is "*" followed by one tagged item per word, the
// items written back to back across 80-column lines. The writer takes each word's item type from
// the layout of the record's key; the reader needs no layout, since every item names its type,
// and it recovers from a damaged record by skipping to the next "*".
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "siblings/eqc/records.h"
#include "storage/results/results_internal.h"
#include "siblings/eqc/eqc_job.h"
#include "zmx/storage.h"

extern "C" {
constinit CDAFLE_t CDAFLE{};
constinit CDAFLR_t CDAFLR{};
constinit CDFLAS_t CDFLAS{};
}

namespace zmx::results {
namespace {

// The reader refills the line buffer when no more than this many characters remain unread.
constexpr Int kRefillMargin = 40;
constexpr long kScanLimit = 10000000;
constexpr int kSecondLineFirst = 129;
constexpr int kSaveLineFirst = 257;

struct Line {
  char* buffer;
  Int size;
  Int& position;
  Int unit;
  Int lineLength;
  Int& last;
  Int& state;
};

char* activeBuffer() { return reinterpret_cast<char*>(CDFLAS.w); }

Line activeLine() {
  return {activeBuffer(), kLineBuffer, rec::i(CDAFLE, kLinePosition), rec::i(CDAFLE, kLineUnit),
          rec::i(CDAFLE, kLineLengthWord), rec::i(CDAFLE, kLineLast), rec::i(CDAFLE, kLineState)};
}

void blank(char* from, char* to) {
  if (to > from) std::memset(from, ' ', static_cast<std::size_t>(to - from));
}

void lineTransfer(const Line& l, char* text, Int op, Int* status) {
  DBSASC(&l.unit, text, l.lineLength, &l.lineLength, &op, status);
}

// Writes the first line-length characters as one line; what ran over moves to the front.
void emitLine(const Line& l, Int* status) {
  lineTransfer(l, l.buffer, kWrite, status);
  l.last = l.position - 1;
  const Int over = std::max<Int>(0, l.position - 1 - l.lineLength);
  std::memmove(l.buffer, l.buffer + l.lineLength, static_cast<std::size_t>(over));
  blank(l.buffer + over, l.buffer + l.size);
  l.position = over + 1;
  l.state = kStateModified;
}

// Moves the unread characters to the front and reads the next line behind them. At the end of
// the data the unread characters stay, with the status of the failed read.
void refill(const Line& l, Int* status) {
  const Int kept = std::clamp<Int>(l.last - l.position + 1, 0, l.size - l.lineLength);
  if (kept > 0) std::memmove(l.buffer, l.buffer + l.position - 1, static_cast<std::size_t>(kept));
  blank(l.buffer + kept, l.buffer + l.size);
  lineTransfer(l, l.buffer + kept, kRead, status);
  l.position = 1;
  if (*status != 0) {
    blank(l.buffer + kept, l.buffer + l.size);
    l.last = kept;
    return;
  }
  l.last = kept + l.lineLength;
  l.state = kStateRead;
}

void finish(const Line& l, Int op, Int* status) {
  const bool written = l.state == kStateModified || (l.state != kStateRead && l.position > 1);
  if (written) {
    if (l.position - 1 > l.lineLength) emitLine(l, status);
    blank(l.buffer + std::max<Int>(l.position - 1, 0), l.buffer + l.size);
    lineTransfer(l, l.buffer, kWrite, status);
    // The closing blank line comes from a line of its own: the characters behind the active
    // buffer belong to the other stream.
    std::string blankLine(static_cast<std::size_t>(l.lineLength), ' ');
    lineTransfer(l, blankLine.data(), kWrite, status);
  }
  if (op == kRewind) lineTransfer(l, l.buffer, kRewind, status);
  if (written || op == kRewind) {
    l.position = 1;
    l.state = kStateIdle;
    blank(l.buffer, l.buffer + l.size);
  }
}

bool saneLine(const Line& l) {
  return l.buffer != nullptr && l.lineLength >= 1 && l.size >= l.lineLength + kRefillMargin && l.position >= 1 &&
         l.position <= l.size && l.last <= l.size;
}

// ---- writing ----------------------------------------------------------------------------------

Int writeItem(char tag, Real* word, const Line& l, Int* status) {
  char* at = l.buffer + l.position - 1;
  const Int room = l.size - l.position + 1;
  switch (tag) {
    case kIntegerTag: return AINTCH(word, at, room, status);
    case kTextTag: return ARCHCH(word, at, room, status);
    default: return ADRLCH(word, at, room, status);
  }
}

// One item, on a new line when the current one is used up; true when it converted cleanly.
bool putItem(char tag, Real* word, const Line& l, Int* status) {
  if (l.position > l.lineLength) emitLine(l, status);
  Int itemStatus = 0;
  l.position += writeItem(tag, word, l, &itemStatus);
  return itemStatus == 0;
}

void putRecordStart(const Line& l, Int* status) {
  if (l.position > l.lineLength) emitLine(l, status);
  l.buffer[l.position - 1] = '*';
  ++l.position;
}

void writeEnd(const Line& l, Real* record, Int* status) {
  record[0] = 2.0;
  record[1] = static_cast<Real>(kEndKey);
  putRecordStart(l, status);
  putItem(kIntegerTag, record, l, status);
  putItem(kIntegerTag, record + 1, l, status);
  finish(l, kEndMode, status);
}

void writeRecord(const Line& l, Real* record, Int* status) {
  Int length = 0, key = 0;
  integerOfWord(record, length);
  const bool keyRead = integerOfWord(record + 1, key);
  const int keyClassOf = keyRead ? keyClass(key) : kNoClass;
  if (keyClassOf == kNoClass) {
    message(-2, "SYSTEM ERROR IN DBFILA. UNIDENTIFIED FILE KEY %I.  THIS RECORD WILL BE SKIPPED", {key});
    return;
  }
  if (key == kEndKey) {
    writeEnd(l, record, status);
    return;
  }
  putRecordStart(l, status);
  bool clean = true;
  for (Int item = 1; item <= length; ++item)
    clean = putItem(itemTag(key, keyClassOf, length, item, record), record + item - 1, l, status) && clean;
  if (!clean) {
    *status = 2;
    message(-2,
            "RESULTS FILE RECORD WITH RECORD KEY %I HAS AN ERROR.  SEE PREVIOUS MESSAGES - THIS RECORD HAS BEEN "
            "MODIFIED TO ATTEMPT TO CONTINUE.  THIS MAY CAUSE SUBSEQUENT ERRORS",
            {key});
  }
}

// ---- reading ----------------------------------------------------------------------------------

void readFailure(std::string_view text, Int item, const Line& l) {
  message(-2, text, {item, l.position}, std::string_view(l.buffer, static_cast<std::size_t>(std::max<Int>(l.last, 1))),
          std::max<Int>(l.last, 1));
}

// Converts the item at the position into word `item`; false when it did not convert.
bool readItem(char tag, Int item, Real* word, const Line& l) {
  const char* at = l.buffer + l.position - 1;
  const Int available = std::max<Int>(l.last - l.position + 1, 0);
  Int itemStatus = 0, used = 0;
  switch (tag) {
    case kIntegerTag: used = ACHINT(word, at, available, &itemStatus); break;
    case kTextTag: used = ACHRCH(word, at, available, &itemStatus); break;
    default: used = ACHDRL(word, at, available, &itemStatus); break;
  }
  if (itemStatus == 0) {
    l.position += used;
    return true;
  }
  switch (tag) {
    case kIntegerTag:
      readFailure("INCORRECT FORMAT FOR AN INTEGER NUMBER WHEN READING FROM A RESULTS FILE.  %ITH ITEM IN RECORD IS "
                  "SET TO ZERO. ERROR IS IN THE ASCII RECORD STARTING AT LOCATION %I.  %S",
                  item, l);
      break;
    case kTextTag:
      readFailure("INCORRECT FORMAT FOR A CHARACTER STRING WHEN READING RESULTS FILE.  %ITH ITEM IN RECORD IS SET TO "
                  "BLANK.  ERROR IS AT LOCATION %I IN THE ASCII RECORD %S",
                  item, l);
      break;
    default:
      readFailure("INCORRECT FORMAT FOR A REAL NUMBER WHEN READING FROM A RESULTS FILE.  %ITH ITEM IN RECORD IS SET "
                  "TO ZERO.  ERROR IS IN THE ASCII RECORD STARTING AT LOCATION %I. %S",
                  item, l);
      break;
  }
  return false;
}

bool needsRefill(const Line& l) { return l.position > l.last - kRefillMargin; }

// Refills when needed; false at the end of the data with nothing left to read.
bool available(const Line& l, Int* status) {
  if (!needsRefill(l)) return true;
  Int readStatus = 0;
  refill(l, &readStatus);
  if (readStatus == 0 || l.position <= l.last) return true;
  *status = readStatus;
  return false;
}

// A blank ends the rest of its line: the buffer holds the unread end of the line before (up to
// last - line length) and then one whole line, so the next character read is the one after the
// blank's own line.
void endLine(const Line& l) {
  const Int keptEnd = l.last - l.lineLength;
  l.position = l.position <= keptEnd ? keptEnd + 1 : l.last + 1;
}

// Skips to the next "*"; false (status 1) when the data end first or the scan runs too long.
bool skipToNextRecord(const Line& l, Int* status) {
  message(-1, "ATTEMPTING TO SKIP TO START OF NEXT RECORD");
  for (long scanned = 0; scanned < kScanLimit; ++scanned) {
    ++l.position;
    Int endStatus = 0;
    if (!available(l, &endStatus)) {
      message(-3, "COULD NOT FIND THE START OF A NEW RECORD");
      *status = 1;
      return false;
    }
    if (l.buffer[l.position - 1] == '*') return true;
  }
  message(-3, "SYSTEM ERROR IN DBFILA - LOOP 1010 LIMIT EXCEEDED");
  message(-3, "COULD NOT FIND THE START OF A NEW RECORD");
  *status = 1;
  return false;
}

enum class Step { Continue, RecordComplete, Damaged, EndOfData };

// A character where no record item can be: reported with the line, and the record is damage.
Step strayCharacter(const Line& l) {
  message(-2, "INCORRECT RECORD LENGTH IN ASCII RESULTS FILE OUTPUT ERROR IS AT LOCATION %I IN THE ASCII RECORD %S",
          {l.position}, std::string_view(l.buffer, static_cast<std::size_t>(std::max<Int>(l.last, 1))),
          std::max<Int>(l.last, 1));
  return Step::Damaged;
}

Step readStep(const Line& l, Real* record, Int& items, Int* status) {
  Int endStatus = 0;
  if (!available(l, &endStatus)) {
    // Data that end right after a record's last item still give that record.
    if (items - 1 >= 2) return Step::RecordComplete;
    *status = endStatus;
    return Step::EndOfData;
  }
  const char c = l.buffer[l.position - 1];
  switch (c) {
    case '*':
      if (items > 0) return Step::RecordComplete;
      items = 1;
      ++l.position;
      return Step::Continue;
    case ' ':
      endLine(l);
      return items > 0 ? Step::RecordComplete : Step::Continue;
    case kIntegerTag:
    case kRealTag:
    case kTextTag:
      if (items == 0) return strayCharacter(l);  // an item before any "*" belongs to no record
      if (items > kMaxRecordWords) {
        reportRecordLength(items, kMaxRecordWords);
        return Step::Damaged;
      }
      if (!readItem(c, items, record + items - 1, l)) return Step::Damaged;
      ++items;
      return Step::Continue;
    default:
      return strayCharacter(l);
  }
}

void readRecord(const Line& l, Real* record, Int* status) {
  bool skipped = false;
  Int items = 0;  // 1 + the number of items read once the record has started
  for (;;) {
    switch (readStep(l, record, items, status)) {
      case Step::Continue: continue;
      case Step::EndOfData: return;
      case Step::RecordComplete:
        // A record is whatever lies between its "*" and the next "*" or blank; its length item
        // is not compared with the items read. One without a length and a key is damaged.
        if (items - 1 >= 2) {
          *status = skipped ? 2 : 0;
          return;
        }
        reportRecordLength(items - 1, kMaxRecordWords);
        [[fallthrough]];
      case Step::Damaged:
        if (l.position <= l.last && l.buffer[l.position - 1] == '*') {
          // The damaged record ended where the next one starts.
        } else if (!skipToNextRecord(l, status)) {
          return;
        }
        skipped = true;
        items = 0;
        continue;
    }
  }
}

// ---- the codec on a line state ------------------------------------------------------------------

void codec(Int op, const Line& l, Real* record, Int* status) {
  *status = 0;
  if (!saneLine(l)) {
    *status = 1;
    return;
  }
  switch (op) {
    case kRead: readRecord(l, record, status); return;
    case kWrite: writeRecord(l, record, status); return;
    case kEndMode: writeEnd(l, record, status); return;
    default: DBSEQA(&op, l.buffer, l.size, &l.position, &l.unit, &l.lineLength, &l.last, &l.state, status); return;
  }
}

// The ASCII state of one stream: descriptor words 1-5 and its line buffer.
struct AsciiState {
  Int words[5] = {kLineLength, 0, 1, 0, kStateIdle};
  char line[kLineBuffer];
};

void capture(AsciiState& s) {
  for (int k = 0; k < 5; ++k) s.words[k] = rec::i(CDAFLE, k + 1);
  std::memcpy(s.line, activeBuffer(), kLineBuffer);
}

void install(const AsciiState& s) {
  for (int k = 0; k < 5; ++k) rec::i(CDAFLE, k + 1) = s.words[k];
  std::memcpy(activeBuffer(), s.line, kLineBuffer);
}

// A user-named ASCII file keeps its own descriptor and line, apart from the first stream.
constinit bool gUserLineReady = false;
constinit AsciiState gUserLine{};

}  // namespace

void asciiSecondStream(Int op, Real* record, Int* status) {
  char* lines = activeBuffer();
  Int saved[5];
  for (int k = 0; k < 5; ++k) saved[k] = rec::i(CDAFLE, k + 1);
  std::memcpy(lines + kSaveLineFirst - 1, lines, kLineBuffer);
  for (int k = 1; k <= 5; ++k) rec::i(CDAFLE, k) = rec::i(CDAFLR, k);
  std::memcpy(lines, lines + kSecondLineFirst - 1, kLineBuffer);
  DBFILA(&op, record, status);
  for (int k = 1; k <= 5; ++k) rec::i(CDAFLR, k) = rec::i(CDAFLE, k);
  std::memcpy(lines + kSecondLineFirst - 1, lines, kLineBuffer);
  for (int k = 0; k < 5; ++k) rec::i(CDAFLE, k + 1) = saved[k];
  std::memcpy(lines, lines + kSaveLineFirst - 1, kLineBuffer);
}

void asciiUserFile(Int op, Real* record, Int* unit, const char* name, Int nameLength, const Int* form,
                   Int* status) {
  if (!gUserLineReady) {
    std::memset(gUserLine.line, ' ', kLineBuffer);
    gUserLineReady = true;
  }
  AsciiState firstStream;
  capture(firstStream);
  install(gUserLine);
  if (op >= kRewind || !unitOpen(*unit)) {
    // What was written since the last full line goes out before the file is rewound or left.
    Int pendingStatus = 0;
    if (saneLine(activeLine())) finish(activeLine(), kEndMode, &pendingStatus);
    // Nothing of a line read or written before carries over: a state left at "reading" would
    // keep the next file's writer from ever writing out its last line.
    rec::i(CDAFLE, kLineLengthWord) = kLineLength;
    rec::i(CDAFLE, kLinePosition) = 1;
    rec::i(CDAFLE, kLineLast) = 0;
    rec::i(CDAFLE, kLineState) = kStateIdle;
    std::memset(activeBuffer(), ' ', kLineBuffer);
    DBUSRF(&op, unit, &rec::i(CDAFLE, kLineUnit), name, nameLength, form, status);
  }
  if (*status == 0 && (op == kRead || op == kWrite)) DBFILA(&op, record, status);
  capture(gUserLine);
  install(firstStream);
}

}  // namespace zmx::results

using namespace zmx::results;

extern "C" {

void DBFILA(const Int* operation, Real* record, Int* status) { codec(*operation, activeLine(), record, status); }

void DBSEQA(const Int* operation, char* buffer, Int bufferLength, Int* position, const Int* unit,
            const Int* lineLength, Int* last, Int* state, Int* status) {
  const Line l{buffer, bufferLength, *position, *unit, *lineLength, *last, *state};
  if (!saneLine(l)) {
    *status = 1;
    return;
  }
  switch (*operation) {
    case kRead: refill(l, status); return;
    case kWrite: emitLine(l, status); return;
    case kRewind:
    case kEndMode: finish(l, *operation, status); return;
    default: lineTransfer(l, buffer, *operation, status); return;
  }
}

void AFILCH(const Int* /*operation*/, const Int* lastInteger, const Int* lastReal, Int* next, Real* record,
            Int* status) {
  *status = 0;
  const Line l = activeLine();
  // The integers run to their own last item even when the reals end before it.
  for (; *next <= *lastInteger; ++*next)
    if (!putItem(kIntegerTag, record + *next - 1, l, status)) *status = 2;
  for (; *next <= *lastReal; ++*next)
    if (!putItem(kRealTag, record + *next - 1, l, status)) *status = 2;
}

}  // extern "C"
