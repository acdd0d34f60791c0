// The parsed form of a format text, shared by the parser and the transfer engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/format.h"

namespace fio {

enum class OpKind : std::uint8_t {
  Data,        // A, I, F, E, D, G (and L, which no item here satisfies)
  Text,        // quoted or Hollerith text
  Skip,        // nX, TRn
  Tab,         // Tn
  TabLeft,     // TLn
  Slash,       // n/
  Colon,       // :
  Scale,       // kP
  GroupOpen,   // n(
  GroupClose,  // )
  End,         // the closing parenthesis of the whole format
};

struct Op {
  OpKind kind = OpKind::End;
  char descriptor = 0;  // Data: 'A', 'I', 'F', 'E', 'D', 'G', 'L'
  bool hasWidth = false;
  int repeat = 1;
  int width = 0;     // Data width; Skip/Tab/TabLeft count; Scale factor
  int decimals = 0;  // d of Fw.d, Ew.d...; m of Iw.m (-1 when absent)
  int exponent = 0;  // e of Ew.dEe; 0 when absent
  std::uint32_t textFirst = 0;  // Text: where the text lies in Format::texts
  std::uint32_t textLength = 0;
};

class Format {
 public:
  std::vector<Op> ops;        // ends with End
  std::string texts;          // the characters of the Text ops
  std::size_t reversion = 0;  // op where a reverting format starts again
  bool hasData = false;
  bool valid = false;

  std::string_view text(const Op& op) const { return std::string_view(texts).substr(op.textFirst, op.textLength); }
};

// Parses the text into f; false (and f.valid false) when the text is not a format.
bool parseFormat(std::string_view text, Format& f);

}  // namespace fio
