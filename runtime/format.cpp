// The format engine: walks a parsed format over an item list, building records for output or
// taking fields from records for input. Output records go to a unit, an internal file or a list
// of strings; input records come from a unit or an internal file.

#include "runtime/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>

#include "runtime/format_numbers.h"
#include "runtime/format_parse.h"
#include "runtime/unit_table.h"

namespace fio {
namespace {

constexpr std::size_t kMaxRecord = 1 << 20;     // characters in one record
constexpr long kMaxIdleSteps = 10'000'000;      // format steps without an item: a runaway format
constexpr int kMaxDepth = 40;

// ---- the format cache ------------------------------------------------------------------------

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct FormatCache {
  std::unordered_map<std::string, std::unique_ptr<Format>, TextHash, std::equal_to<>> formats;
};

constinit FormatCache* gCache = nullptr;

// ---- items ---------------------------------------------------------------------------------

// Walks the elements of an item list one by one.
template <class Item>
class Cursor {
 public:
  explicit Cursor(std::span<const Item> items) : items_(items) { settle(); }

  bool more() const { return item_ < items_.size(); }
  const Item& item() const { return items_[item_]; }
  std::size_t element() const { return element_; }
  void advance() {
    ++element_;
    settle();
  }

 private:
  void settle() {
    while (item_ < items_.size() && element_ >= items_[item_].count) {
      ++item_;
      element_ = 0;
    }
  }

  std::span<const Item> items_;
  std::size_t item_ = 0;
  std::size_t element_ = 0;
};

long long integerOf(const OutItem& item, std::size_t k) {
  if (item.data == nullptr) return item.value.i;
  return static_cast<const Int*>(item.data)[k * item.stride];
}
double realOf(const OutItem& item, std::size_t k) {
  if (item.data == nullptr) return item.value.r;
  return static_cast<const Real*>(item.data)[k * item.stride];
}
std::string_view charsOf(const OutItem& item, std::size_t k) {
  if (item.data == nullptr) return {};
  return {static_cast<const char*>(item.data) + k * item.stride * item.length, item.length};
}

// ---- output ----------------------------------------------------------------------------------

// Where finished output records go.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual int put(std::string_view record) = 0;
};

class UnitSink final : public RecordSink {
 public:
  explicit UnitSink(std::FILE* file) : file_(file) {}
  int put(std::string_view record) override {
    if (!record.empty() && ::fwrite_unlocked(record.data(), 1, record.size(), file_) != record.size())
      return kWriteFailed;
    // A failed flush of earlier lines leaves the stream's error flag set.
    return ::fputc_unlocked('\n', file_) == EOF || ::ferror_unlocked(file_) ? kWriteFailed : kOk;
  }

 private:
  std::FILE* file_;
};

class InternalSink final : public RecordSink {
 public:
  InternalSink(char* buffer, std::size_t length, std::size_t records)
      : buffer_(buffer), length_(length), records_(records) {}
  int put(std::string_view record) override {
    if (next_ >= records_) return kWriteFailed;
    char* target = buffer_ + next_++ * length_;
    const std::size_t copied = record.size() < length_ ? record.size() : length_;
    std::copy_n(record.data(), copied, target);
    std::fill(target + copied, target + length_, ' ');
    return record.size() > length_ ? kWriteFailed : kOk;
  }

 private:
  char* buffer_;
  std::size_t length_;
  std::size_t records_;
  std::size_t next_ = 0;
};

class ListSink final : public RecordSink {
 public:
  int put(std::string_view record) override {
    records.emplace_back(record);
    return kOk;
  }
  std::vector<std::string> records;
};

// The record being built, with its position (which T and X move without writing).
class RecordBuilder {
 public:
  explicit RecordBuilder(std::string& line) : line_(line) { line_.clear(); }

  std::string& line() { return line_; }
  // Makes the line ready to receive characters at the position; returns the index where
  // appended characters start. Characters appended past an earlier end overwrite nothing.
  std::size_t mark() {
    if (position_ > line_.size()) line_.append(position_ - line_.size(), ' ');
    return position_;
  }
  // After characters were appended at the mark: when the mark lay inside the line (after a
  // backward tab), the new characters overwrite the old ones instead of being inserted.
  void settle(std::size_t at, std::size_t oldSize) {
    const std::size_t added = line_.size() - oldSize;
    if (at < oldSize) {
      const std::string piece = line_.substr(oldSize);
      line_.resize(oldSize);
      if (at + added > oldSize) line_.resize(at + added);
      line_.replace(at, added, piece);
      position_ = at + added;
      return;
    }
    position_ = line_.size();
  }
  void skip(std::size_t n) { position_ += n; }
  void tab(std::size_t column) { position_ = column; }
  void tabLeft(std::size_t n) { position_ = n > position_ ? 0 : position_ - n; }
  bool overlong() const { return position_ > kMaxRecord || line_.size() > kMaxRecord; }
  void restart() {
    line_.clear();
    position_ = 0;
  }

 private:
  std::string& line_;
  std::size_t position_ = 0;
};

// Scratch lines reused from call to call so that a write allocates nothing once warm.
constinit std::string* gLine = nullptr;
constinit std::string* gField = nullptr;
std::string& scratchLine() {
  if (gLine == nullptr) gLine = new std::string();
  return *gLine;
}
std::string& scratchField() {
  if (gField == nullptr) gField = new std::string();
  return *gField;
}

class Writer {
 public:
  Writer(OutList items, RecordSink& sink) : items_(items), sink_(sink), record_(scratchLine()) {}

  bool more() const { return items_.more(); }

  int data(const Op& op) {
    const OutItem& item = items_.item();
    const std::size_t k = items_.element();
    const std::size_t at = record_.mark();
    std::string& line = record_.line();
    const std::size_t oldSize = line.size();
    const int status = convert(op, item, k, line);
    if (status != kOk) return status;
    record_.settle(at, oldSize);
    items_.advance();
    return kOk;
  }

  void text(std::string_view text) {
    const std::size_t at = record_.mark();
    std::string& line = record_.line();
    const std::size_t oldSize = line.size();
    line.append(text);
    record_.settle(at, oldSize);
  }

  void skip(int n) { record_.skip(static_cast<std::size_t>(n)); }
  void tab(int column) { record_.tab(static_cast<std::size_t>(column - 1)); }
  void tabLeft(int n) { record_.tabLeft(static_cast<std::size_t>(n)); }
  void scale(int k) { scale_ = k; }
  bool overlong() const { return record_.overlong(); }

  int newRecord() {
    const int status = sink_.put(record_.line());
    record_.restart();
    return status;
  }
  int finish() { return newRecord(); }

 private:
  int convert(const Op& op, const OutItem& item, std::size_t k, std::string& line) {
    const int width = op.hasWidth ? op.width : -1;
    switch (item.kind) {
      case ItemKind::Integer:
        if (op.descriptor != 'I' && op.descriptor != 'G') return kItemMismatch;
        numbers::putInteger(line, integerOf(item, k), op.hasWidth ? op.width : 0,
                            op.descriptor == 'I' ? op.decimals : -1);
        return kOk;
      case ItemKind::Real: return convertReal(op, realOf(item, k), line);
      case ItemKind::Chars:
        if (op.descriptor != 'A' && op.descriptor != 'G') return kItemMismatch;
        numbers::putText(line, charsOf(item, k), width);
        return kOk;
    }
    return kItemMismatch;
  }

  int convertReal(const Op& op, double value, std::string& line) {
    switch (op.descriptor) {
      case 'F': numbers::putFixed(line, value, op.width, op.decimals, scale_); return kOk;
      case 'E': numbers::putExponent(line, value, op.width, op.decimals, op.exponent, scale_, 'E'); return kOk;
      case 'D': numbers::putExponent(line, value, op.width, op.decimals, op.exponent, scale_, 'D'); return kOk;
      case 'G': numbers::putGeneral(line, value, op.width, op.decimals, op.exponent, scale_); return kOk;
      default: return kItemMismatch;
    }
  }

  Cursor<OutItem> items_;
  RecordSink& sink_;
  RecordBuilder record_;
  int scale_ = 0;
};

// ---- input -----------------------------------------------------------------------------------

// Where input records come from.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual int next(std::string& record) = 0;
};

class UnitSource final : public RecordSource {
 public:
  explicit UnitSource(Int unit) : unit_(unit) {}
  int next(std::string& record) override { return readLine(unit_, record); }

 private:
  Int unit_;
};

class InternalSource final : public RecordSource {
 public:
  InternalSource(const char* buffer, std::size_t length, std::size_t records)
      : buffer_(buffer), length_(length), records_(records) {}
  int next(std::string& record) override {
    if (next_ >= records_) return kEnd;
    record.assign(buffer_ + next_++ * length_, length_);
    return kOk;
  }

 private:
  const char* buffer_;
  std::size_t length_;
  std::size_t records_;
  std::size_t next_ = 0;
};

class Reader {
 public:
  Reader(InList items, RecordSource& source) : items_(items), source_(source), record_(scratchField()) {}

  int start() { return source_.next(record_); }
  bool more() const { return items_.more(); }

  int data(const Op& op) {
    const InItem& item = items_.item();
    const std::size_t k = items_.element();
    const std::size_t width = fieldWidth(op, item);
    const std::string_view field = take(width);
    const int status = convert(op, item, k, field);
    if (status != kOk) return status;
    items_.advance();
    return kOk;
  }

  void text(std::string_view text) { position_ += text.size(); }
  void skip(int n) { position_ += static_cast<std::size_t>(n); }
  void tab(int column) { position_ = static_cast<std::size_t>(column - 1); }
  void tabLeft(int n) { position_ = static_cast<std::size_t>(n) > position_ ? 0 : position_ - static_cast<std::size_t>(n); }
  void scale(int) {}
  bool overlong() const { return position_ > kMaxRecord; }

  int newRecord() {
    position_ = 0;
    return source_.next(record_);
  }
  int finish() { return kOk; }

 private:
  static std::size_t fieldWidth(const Op& op, const InItem& item) {
    if (op.hasWidth) return static_cast<std::size_t>(op.width);
    return item.kind == ItemKind::Chars ? item.length : 0;
  }

  // The next width characters of the record; past its end the record reads as blanks.
  std::string_view take(std::size_t width) {
    const std::size_t first = position_ < record_.size() ? position_ : record_.size();
    const std::size_t available = record_.size() - first;
    position_ += width;
    return std::string_view(record_).substr(first, width < available ? width : available);
  }

  int convert(const Op& op, const InItem& item, std::size_t k, std::string_view field) {
    switch (item.kind) {
      case ItemKind::Integer: {
        if (op.descriptor != 'I' && op.descriptor != 'G') return kItemMismatch;
        Int* target = static_cast<Int*>(item.data) + k * item.stride;
        return numbers::getInteger(field, *target) ? kOk : kReadFailed;
      }
      case ItemKind::Real: {
        if (op.descriptor == 'A' || op.descriptor == 'I' || op.descriptor == 'L') return kItemMismatch;
        Real* target = static_cast<Real*>(item.data) + k * item.stride;
        return numbers::getReal(field, op.decimals, *target) ? kOk : kReadFailed;
      }
      case ItemKind::Chars: {
        if (op.descriptor != 'A' && op.descriptor != 'G') return kItemMismatch;
        char* target = static_cast<char*>(item.data) + k * item.stride * item.length;
        storeText(field, op.hasWidth ? static_cast<std::size_t>(op.width) : item.length, target, item.length);
        return kOk;
      }
    }
    return kItemMismatch;
  }

  // Aw input: a field wider than the item gives its rightmost characters; a narrower one is
  // padded with blanks. The field read past the record's end counts as blanks.
  static void storeText(std::string_view field, std::size_t width, char* target, std::size_t length) {
    std::string padded(field);
    padded.resize(width, ' ');
    std::string_view text(padded);
    if (width > length) text.remove_prefix(width - length);
    const std::size_t copied = text.size() < length ? text.size() : length;
    std::copy_n(text.data(), copied, target);
    std::fill(target + copied, target + length, ' ');
  }

  Cursor<InItem> items_;
  RecordSource& source_;
  std::string& record_;
  std::size_t position_ = 0;
};

// ---- the walk ------------------------------------------------------------------------------

// Walks the format for either direction. Items run out: the walk stops at the next data
// descriptor (or colon); the format runs out with items left: a new record and reversion.
template <class Transfer>
int walk(const Format& f, Transfer& t) {
  if (!f.valid) return kBadFormat;
  struct Level {
    std::size_t open;
    int left;
  };
  Level levels[kMaxDepth];
  int depth = 0;
  std::size_t pc = 0;
  long idle = 0;
  bool tookData = false;  // since the format last started or reverted
  for (;;) {
    if (++idle > kMaxIdleSteps || t.overlong()) return kBadFormat;
    const Op& op = f.ops[pc];
    switch (op.kind) {
      case OpKind::End:
        if (!t.more()) return t.finish();
        if (!tookData) return kBadFormat;  // items left and nothing would take them
        if (const int status = t.newRecord(); status != kOk) return status;
        pc = f.reversion;
        depth = 0;
        tookData = false;
        continue;
      case OpKind::GroupOpen:
        if (depth >= kMaxDepth) return kBadFormat;
        levels[depth++] = {pc, op.repeat};
        break;
      case OpKind::GroupClose:
        if (depth > 0 && --levels[depth - 1].left > 0) {
          pc = levels[depth - 1].open;
        } else if (depth > 0) {
          --depth;
        }
        break;
      case OpKind::Data:
        for (int r = 0; r < op.repeat; ++r) {
          if (!t.more()) return t.finish();
          if (const int status = t.data(op); status != kOk) return status;
          idle = 0;
          tookData = true;
        }
        break;
      case OpKind::Text: t.text(f.text(op)); break;
      case OpKind::Skip: t.skip(op.width); break;
      case OpKind::Tab: t.tab(op.width); break;
      case OpKind::TabLeft: t.tabLeft(op.width); break;
      case OpKind::Scale: t.scale(op.width); break;
      case OpKind::Colon:
        if (!t.more()) return t.finish();
        break;
      case OpKind::Slash:
        for (int r = 0; r < op.repeat; ++r)
          if (const int status = t.newRecord(); status != kOk) return status;
        break;
    }
    ++pc;
  }
}

int writeThrough(const Format& f, OutList items, RecordSink& sink) {
  Writer writer(items, sink);
  return walk(f, writer);
}

}  // namespace

// ---- public entry points ---------------------------------------------------------------------

const Format& format(std::string_view text) {
  if (gCache == nullptr) gCache = new FormatCache();
  auto& formats = gCache->formats;
  if (auto found = formats.find(text); found != formats.end()) return *found->second;
  auto parsed = std::make_unique<Format>();
  parseFormat(text, *parsed);
  return *formats.emplace(std::string(text), std::move(parsed)).first->second;
}

bool isValid(const Format& f) { return f.valid; }

int write(Int unit, const Format& f, OutList items) {
  int iostat = kOk;
  detail::Unit* u = detail::unitForTransfer(unit, Form::Formatted, true, &iostat);
  if (u == nullptr) return iostat;
  UnitSink sink(u->file);
  return writeThrough(f, items, sink);
}

int writeList(Int unit, OutList items) {
  int iostat = kOk;
  detail::Unit* u = detail::unitForTransfer(unit, Form::Formatted, true, &iostat);
  if (u == nullptr) return iostat;
  std::string& line = scratchLine();
  line.clear();
  bool lastWasText = false;
  for (Cursor<OutItem> c(items); c.more(); c.advance()) {
    const OutItem& item = c.item();
    switch (item.kind) {
      case ItemKind::Integer: numbers::putListInteger(line, integerOf(item, c.element())); break;
      case ItemKind::Real: numbers::putListReal(line, realOf(item, c.element())); break;
      case ItemKind::Chars:
        if (!lastWasText) line.push_back(' ');
        line.append(charsOf(item, c.element()));
        break;
    }
    lastWasText = item.kind == ItemKind::Chars;
  }
  UnitSink sink(u->file);
  return sink.put(line);
}

int read(Int unit, const Format& f, InList items) {
  if (!f.valid) return kBadFormat;
  int iostat = kOk;
  if (detail::unitForTransfer(unit, Form::Formatted, false, &iostat) == nullptr) return iostat;
  UnitSource source(unit);
  Reader reader(items, source);
  if (const int status = reader.start(); status != kOk) return status;
  return walk(f, reader);
}

int writeInternal(char* buffer, Int length, Int records, const Format& f, OutList items) {
  if (buffer == nullptr || length <= 0 || records <= 0) return kWriteFailed;
  InternalSink sink(buffer, static_cast<std::size_t>(length), static_cast<std::size_t>(records));
  return writeThrough(f, items, sink);
}

int readInternal(const char* buffer, Int length, Int records, const Format& f, InList items) {
  if (!f.valid) return kBadFormat;
  if (buffer == nullptr || length <= 0 || records <= 0) return kEnd;
  InternalSource source(buffer, static_cast<std::size_t>(length), static_cast<std::size_t>(records));
  Reader reader(items, source);
  if (const int status = reader.start(); status != kOk) return status;
  return walk(f, reader);
}

std::vector<std::string> formatRecords(const Format& f, OutList items, int* iostat) {
  ListSink sink;
  const int status = writeThrough(f, items, sink);
  if (iostat != nullptr) *iostat = status;
  return std::move(sink.records);
}

}  // namespace fio
