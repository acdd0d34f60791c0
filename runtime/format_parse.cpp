// Parser of format texts into the flat list of operations that the transfer engine walks.
//
// Commas between items are optional, letters may be of either case, blanks outside quoted text
// are ignored. Counts are bounded so that a hostile text cannot ask for gigabytes of blanks.

#include <cctype>

#include "runtime/format_parse.h"

namespace fio {
namespace {

constexpr long kMaxCount = 100000;   // repeat counts, widths, positions
constexpr int kMaxDepth = 32;        // nested groups

class Parser {
 public:
  Parser(std::string_view text, Format& f) : s_(text), f_(f) {}

  bool parse() {
    skipBlanks();
    if (!take('(')) return false;
    if (!parseList(1)) return false;
    skipBlanks();
    if (i_ != s_.size()) return false;
    f_.ops.push_back(Op{});
    return true;
  }

 private:
  // Items up to and including the closing parenthesis of the group at the depth.
  bool parseList(int depth) {
    for (;;) {
      skipBlanks();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (s_[i_] == ')') {
        ++i_;
        return true;
      }
      if (!parseItem(depth)) return false;
    }
  }

  bool parseItem(int depth) {
    const char c = peek();
    if (c == '\'' || c == '"') return parseQuoted(c);
    if (c == '(') return parseGroup(1, depth);
    if (c == '/') return addSimple(OpKind::Slash, 1);
    if (c == ':') return addSimple(OpKind::Colon, 0);
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+') return parseCounted(depth);
    return parseDescriptor(1);
  }

  // An item led by a number: kP, nX, nH, n(...), n/ or a repeated descriptor.
  bool parseCounted(int depth) {
    long n = 0;
    const bool negative = peek() == '-';
    if (peek() == '-' || peek() == '+') ++i_;
    if (!number(n)) return false;
    if (negative) n = -n;
    skipBlanks();
    const char c = upper(peek());
    if (c == 'P') {
      ++i_;
      return add(Op{.kind = OpKind::Scale, .width = static_cast<int>(n)});
    }
    if (n <= 0 && !(n == 0 && c == 'X')) return false;
    switch (c) {
      case 'X': ++i_; return add(Op{.kind = OpKind::Skip, .width = static_cast<int>(n)});
      case 'H': return parseHollerith(n);
      case '(': return parseGroup(static_cast<int>(n), depth);
      case '/': return addSimple(OpKind::Slash, static_cast<int>(n));
      default: return parseDescriptor(static_cast<int>(n));
    }
  }

  bool parseGroup(int repeat, int depth) {
    if (depth >= kMaxDepth) return false;
    ++i_;
    const std::size_t open = f_.ops.size();
    if (depth == 1) f_.reversion = open;
    f_.ops.push_back(Op{.kind = OpKind::GroupOpen, .repeat = repeat});
    if (!parseList(depth + 1)) return false;
    return add(Op{.kind = OpKind::GroupClose, .width = static_cast<int>(open)});
  }

  bool parseDescriptor(int repeat) {
    const char c = upper(peek());
    ++i_;
    switch (c) {
      case 'A': return parseData('A', repeat, false, false);
      case 'I': return parseData('I', repeat, true, false);
      case 'L': return parseData('L', repeat, true, false);
      case 'F':
      case 'E':
      case 'D': return parseData(c, repeat, true, true);
      case 'G': return parseData('G', repeat, true, false);
      case 'X': return add(Op{.kind = OpKind::Skip, .width = 1});
      case 'T': return parseTab();
      case 'B':  // BN, BZ: blanks in numeric input are always ignored here
      case 'S':  // S, SP, SS: signs are written as gfortran writes them by default
        if (upper(peek()) == 'N' || upper(peek()) == 'Z' || upper(peek()) == 'P' || upper(peek()) == 'S') ++i_;
        return repeat == 1;
      default: return false;
    }
  }

  bool parseTab() {
    OpKind kind = OpKind::Tab;
    if (upper(peek()) == 'L') kind = OpKind::TabLeft;
    if (upper(peek()) == 'R') kind = OpKind::Skip;
    if (kind != OpKind::Tab) ++i_;
    long n = 0;
    skipBlanks();
    if (!number(n) || (kind == OpKind::Tab && n < 1)) return false;
    return add(Op{.kind = kind, .width = static_cast<int>(n)});
  }

  bool parseData(char descriptor, int repeat, bool needsWidth, bool needsDecimals) {
    Op op{.kind = OpKind::Data, .descriptor = descriptor, .repeat = repeat, .decimals = -1};
    skipBlanks();
    long w = 0;
    if (std::isdigit(static_cast<unsigned char>(peek()))) {
      if (!number(w)) return false;
      op.hasWidth = true;
      op.width = static_cast<int>(w);
    } else if (needsWidth) {
      return false;
    }
    skipBlanks();
    if (peek() == '.' && descriptor != 'A' && descriptor != 'L') {
      ++i_;
      long d = 0;
      skipBlanks();
      if (!number(d)) return false;
      op.decimals = static_cast<int>(d);
      skipBlanks();
      if ((descriptor == 'E' || descriptor == 'G' || descriptor == 'D') && upper(peek()) == 'E') {
        ++i_;
        long e = 0;
        if (!number(e) || e < 1 || e > 9) return false;
        op.exponent = static_cast<int>(e);
      }
    } else if (needsDecimals) {
      return false;
    }
    if (descriptor == 'G' && op.decimals < 0) op.decimals = 0;
    f_.hasData = true;
    return add(op);
  }

  bool parseQuoted(char quote) {
    ++i_;
    const std::size_t first = f_.texts.size();
    for (;;) {
      if (i_ >= s_.size()) return false;
      const char c = s_[i_++];
      if (c == quote) {
        if (i_ < s_.size() && s_[i_] == quote) {
          f_.texts.push_back(quote);
          ++i_;
          continue;
        }
        break;
      }
      f_.texts.push_back(c);
    }
    return addText(first);
  }

  bool parseHollerith(long n) {
    ++i_;
    if (static_cast<std::size_t>(n) > s_.size() - i_) return false;
    const std::size_t first = f_.texts.size();
    f_.texts.append(s_.substr(i_, static_cast<std::size_t>(n)));
    i_ += static_cast<std::size_t>(n);
    return addText(first);
  }

  bool addText(std::size_t first) {
    return add(Op{.kind = OpKind::Text,
                  .textFirst = static_cast<std::uint32_t>(first),
                  .textLength = static_cast<std::uint32_t>(f_.texts.size() - first)});
  }

  bool addSimple(OpKind kind, int repeat) {
    ++i_;
    return add(Op{.kind = kind, .repeat = repeat});
  }

  bool add(const Op& op) {
    f_.ops.push_back(op);
    return true;
  }

  bool number(long& value) {
    skipBlanks();
    if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
    value = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
      value = value * 10 + (s_[i_++] - '0');
      if (value > kMaxCount) return false;
      skipBlanks();
    }
    return true;
  }

  void skipBlanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++i_;
    return true;
  }
  char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  static char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

  std::string_view s_;
  std::size_t i_ = 0;
  Format& f_;
};

}  // namespace

bool parseFormat(std::string_view text, Format& f) {
  f = Format{};
  f.valid = Parser(text, f).parse();
  if (!f.valid) f.ops.assign(1, Op{});
  return f.valid;
}

}  // namespace fio
