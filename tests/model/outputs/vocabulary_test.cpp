// Output-variable names and keys over every row of the three vocabularies. The oracle is the
// vocabulary text itself, read here by a parser of its own (independent of the generator that
// made the library's tables).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/outputs.h"
#include "zmx/storage/results.h"

namespace {

struct Vocabulary {
  std::vector<std::string> names;
  std::vector<int> keys;
  std::map<std::string, std::set<int>> tables;               // rows with a nonzero entry
  std::map<std::string, std::map<int, int>> exceptions;      // row -> key
  std::map<std::string, int> declaredCounts;

  int entry(const std::string& table, int row) const {
    const auto& ex = exceptions.count(table) ? exceptions.at(table) : std::map<int, int>{};
    if (ex.count(row)) return ex.at(row);
    return tables.at(table).count(row) ? keys[static_cast<std::size_t>(row - 1)] : 0;
  }
  int firstRowNamed(const std::string& name) const {
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()) + 1;
  }
  int firstRowKeyed(int key) const {
    return static_cast<int>(std::find(keys.begin(), keys.end(), key) - keys.begin()) + 1;
  }
};

std::vector<std::string> textLines() {
  std::ifstream in(ZMX_SOURCE_DIR "/model/outputs/vocabulary.txt");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The quoted names of a text in order, each with what follows it: "=key" or " (row r) key".
struct Quoted {
  std::string name;
  std::string before;  // the text since the previous quoted name
  std::string after;   // up to the next separator
};

std::vector<Quoted> quotedNames(const std::string& text) {
  std::vector<Quoted> list;
  std::size_t at = 0;
  std::size_t previous = 0;
  while ((at = text.find('"', at)) != std::string::npos) {
    const std::size_t close = text.find('"', at + 1);
    Quoted q{text.substr(at + 1, close - at - 1), text.substr(previous, at - previous), {}};
    std::size_t end = close + 1;
    while (end < text.size() && std::string_view(",;.\"").find(text[end]) == std::string_view::npos) ++end;
    q.after = text.substr(close + 1, end - close - 1);
    list.push_back(q);
    previous = end;
    at = close + 1;
  }
  return list;
}

int numberAfter(const std::string& text, const std::string& tag) {
  const std::size_t at = text.find(tag);
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + tag.size()));
}

void readRows(const std::string& text, Vocabulary& v) {
  int key = 0;
  for (const Quoted& q : quotedNames(text)) {
    const int marker = numberAfter(q.before, "(row ");
    if (marker >= 0) {
      EXPECT_EQ(marker, static_cast<int>(v.names.size()) + 1) << "row marker";
    }
    const int given = numberAfter(q.after, "=");
    key = given >= 0 ? given : (key < 1000 ? key * 1000 + 1 : key + 1);
    v.names.push_back(q.name);
    v.keys.push_back(key);
  }
}

std::set<int> rowList(const std::string& text) {
  std::set<int> rows;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) {
    const auto dash = part.find('-');
    if (dash == std::string::npos) {
      rows.insert(std::stoi(part));
    } else {
      for (int r = std::stoi(part.substr(0, dash)); r <= std::stoi(part.substr(dash + 1)); ++r) rows.insert(r);
    }
  }
  return rows;
}

std::vector<std::string> cells(const std::string& line) {
  std::vector<std::string> list;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, '|');) {
    const auto first = cell.find_first_not_of(' ');
    list.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  }
  return list;
}

// The table names at the end of a text such as "...; table 15: " or "Tables 36 and 50036: ".
std::vector<std::string> tableHeads(const std::string& before) {
  const std::size_t colon = before.rfind(':');
  if (colon == std::string::npos) return {};
  std::size_t at = before.rfind("able", colon);
  if (at == std::string::npos) return {};
  std::stringstream words(before.substr(at + 4, colon - at - 4));
  std::vector<std::string> heads;
  for (std::string w; words >> w;)
    if (w != "s" && w != "and") heads.push_back(w);
  return heads;
}

void readTables(const std::vector<std::string>& lines, std::size_t from, std::size_t to, Vocabulary& v) {
  for (std::size_t k = from; k < to; ++k) {
    const auto c = cells(lines[k]);
    if (c.size() >= 4 && c[1].rfind("table ", 0) == 0 && c[3].find(" rows: ") != std::string::npos) {
      const std::string name = c[1].substr(6);
      v.tables[name] = rowList(c[3].substr(c[3].find(": ") + 2));
      v.declaredCounts[name] = std::stoi(c[3]);
    }
    if (lines[k].rfind("Entries that differ", 0) != 0) continue;
    const std::string text = lines[k].substr(0, lines[k].find(". Availability"));
    std::vector<std::string> current;
    for (const Quoted& q : quotedNames(text)) {
      if (auto heads = tableHeads(q.before); !heads.empty()) current = heads;
      const int row = numberAfter(q.after, "(row ");
      const int key = std::stoi(q.after.substr(q.after.find(')') + 1));
      for (const std::string& t : current) {
        EXPECT_EQ(v.names[static_cast<std::size_t>(row - 1)], q.name) << "exception row " << row;
        v.exceptions[t][row] = key;
      }
    }
  }
}

struct Vocabularies {
  Vocabulary element, nodal, modal;
  std::vector<std::string> loads;
};

const Vocabularies& vocabularies() {
  static const Vocabularies all = [] {
    Vocabularies v;
    const auto lines = textLines();
    const auto find = [&](const std::string& prefix) {
      for (std::size_t k = 0; k < lines.size(); ++k)
        if (lines[k].rfind(prefix, 0) == 0) return k;
      ADD_FAILURE() << prefix;
      return std::size_t{0};
    };
    const std::size_t element = find("Element variable table"), nodal = find("Nodal variable table"),
                      modal = find("Modal variable table");
    readRows(lines[element + 1], v.element);
    v.element.names[131] = "NFL19";  // row 132 repeats NFL18 in the text; the key 10019 is NFL19's
    readTables(lines, element, nodal, v.element);
    readRows(lines[nodal + 1], v.nodal);
    readTables(lines, nodal, modal, v.nodal);
    readRows(lines[modal].substr(0, lines[modal].find(". Modal numbered")), v.modal);
    v.modal.tables["122"] = rowList("1-4, 41-46");
    v.modal.tables["126"] = rowList("1-4, 41-46");
    v.modal.tables["15"] = rowList("5-40");
    for (const Quoted& q : quotedNames(lines[find("Load-type names")])) v.loads.push_back(q.name);
    return v;
  }();
  return all;
}

std::string pad8(std::string s) { return s.append(8 - std::min<std::size_t>(8, s.size()), ' '); }
std::string trim(const std::string& s) { return s.substr(0, s.find_last_not_of(' ') + 1); }

std::string packed(const std::vector<std::string>& names) {
  std::string all;
  for (const auto& n : names) all += pad8(n);
  return all;
}

class Vocab : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    zmx::model_testing::resetOutputKeyTables();
    rec::i(CPROG, eqc_records::kProgramKind) = 0;
  }
  // ELVRID names to keys for the request kind; gives the keys and OK.
  std::vector<Int> elementKeys(const std::vector<std::string>& names, Int kind, Int flag, Int* ok) {
    std::string field = packed(names);
    std::vector<Int> keys(names.size(), -7);
    const Int n = static_cast<Int>(names.size());
    const Int sel = 0;
    ELVRID(keys.data(), field.data(), 8, &n, &kind, ok, &sel, &flag);
    return keys;
  }
  std::vector<std::string> elementNames(std::vector<Int> keys) {
    std::string field(8 * keys.size(), '?');
    const Int n = static_cast<Int>(keys.size());
    Int kind = 1, ok = 5;
    const Int zero = 0;
    ELVRID(keys.data(), field.data(), 8, &n, &kind, &ok, &zero, &zero);
    EXPECT_EQ(ok, 5);  // the key-to-name path leaves OK alone
    std::vector<std::string> names;
    for (std::size_t k = 0; k < keys.size(); ++k) names.push_back(trim(field.substr(8 * k, 8)));
    return names;
  }
};

TEST(VocabularyText, EveryTableHasTheRowsItsHeadingCounts) {
  const auto& v = vocabularies();
  EXPECT_EQ(v.element.names.size(), 1008u);
  EXPECT_EQ(v.nodal.names.size(), 265u);
  EXPECT_EQ(v.modal.names.size(), 46u);
  EXPECT_EQ(v.loads.size(), 145u);
  EXPECT_EQ(v.element.tables.size(), 10u);
  EXPECT_EQ(v.nodal.tables.size(), 4u);
  for (const Vocabulary* voc : {&v.element, &v.nodal})
    for (const auto& [name, count] : voc->declaredCounts) EXPECT_EQ(voc->tables.at(name).size(), size_t(count)) << name;
}

TEST_F(Vocab, ElementKeysToNamesOverEveryRow) {
  const auto& v = vocabularies().element;
  const std::map<std::string, std::string> plain = {{"XPEEQXXX", "PEEQ"},   {"XPEMAGXX", "PEMAG"}, {"XPRESSXX", "PRESS"},
                                                    {"XMISESXX", "MISES"},  {"XCEEQXXX", "CEEQ"},  {"XCESWXXX", "CESW"},
                                                    {"XCEMAGXX", "CEMAG"},  {"XVEEQXXX", "VEEQ"}};
  const auto names = elementNames(std::vector<Int>(v.keys.begin(), v.keys.end()));
  for (std::size_t r = 0; r < v.keys.size(); ++r) {
    std::string want = v.names[static_cast<std::size_t>(v.firstRowKeyed(v.keys[r]) - 1)];
    if (plain.count(want)) want = plain.at(want);
    EXPECT_EQ(names[r], want) << "row " << r + 1;
  }
  EXPECT_EQ(elementNames({10019})[0], "NFL19");
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// The request kinds with their key table and the run-time changes the kind makes to it.
struct KindCase {
  Int kind, flag;
  const char* table;
  std::map<int, int> changes;
};

TEST_F(Vocab, ElementNamesToKeysOverEveryRowForEveryRequestKind) {
  const auto& v = vocabularies().element;
  const std::vector<KindCase> cases = {
      {21, 0, "21", {}},
      {40, 1, "21", {}},
      {203, 0, "21", {}},
      {15, 0, "15", {}},
      {29, 0, "29", {}},
      {35, 0, "35", {}},
      {203, 1, "35", {}},
      {37, 0, "37", {}},
      {25, 0, "25A", {{584, 0}}},
      {202, 0, "25A", {{584, 98}}},
      {25, 1, "25B", {{313, 0}, {314, 0}, {486, 0}, {487, 0}, {488, 0}, {489, 0}, {584, 0}}},
      {202, 1, "25B", {{144, 9}, {313, 78}, {314, 78001}, {486, 111}, {487, 111001}, {488, 111002}, {489, 111003},
                       {584, 98}}},
      {36, 0, "36", {{159, 20019}, {170, 20021}, {160, 0}}},
      {207, 1, "36", {}},
      {50036, 0, "50036", {}},
      {231, 1, "231", {}},
  };
  for (const KindCase& c : cases) {
    zmx::model_testing::resetOutputKeyTables();
    Int ok = -5;
    const auto keys = elementKeys(v.names, c.kind, c.flag, &ok);
    bool anyZero = false;
    for (std::size_t r = 0; r < v.names.size(); ++r) {
      const int first = v.firstRowNamed(v.names[r]);
      const int want = c.changes.count(first) ? c.changes.at(first) : v.entry(c.table, first);
      anyZero = anyZero || want == 0;
      EXPECT_EQ(keys[r], want) << "kind " << c.kind << " flag " << c.flag << " row " << r + 1 << " " << v.names[r];
    }
    EXPECT_EQ(ok, anyZero ? 0 : 1) << c.kind;
  }
  // Each kind sets the rows it changes before converting: 202 and 25 share table 25A.
  Int ok = 0;
  EXPECT_EQ(elementKeys({"ELEDEN"}, 202, 0, &ok)[0], 98);
  EXPECT_EQ(elementKeys({"ELEDEN"}, 25, 0, &ok)[0], 0);
}

TEST_F(Vocab, NodalAndModalNamesAndKeysOverEveryRow) {
  struct Case {
    const Vocabulary* v;
    bool nodal;
    Int kind, flag;
    const char* table;
  };
  const auto& all = vocabularies();
  const std::vector<Case> cases = {{&all.nodal, true, 121, 0, "121"},  {&all.nodal, true, 205, 0, "121"},
                                   {&all.nodal, true, 125, 0, "125A"}, {&all.nodal, true, 229, 1, "125B"},
                                   {&all.nodal, true, 135, 0, "135"},  {&all.nodal, true, 235, 1, "135"},
                                   {&all.modal, false, 122, 0, "122"}, {&all.modal, false, 126, 0, "126"},
                                   {&all.modal, false, 15, 0, "15"}};
  for (const Case& c : cases) {
    std::string field = packed(c.v->names);
    const Int n = static_cast<Int>(c.v->names.size());
    std::vector<Int> keys(c.v->names.size(), -7);
    Int ok = -5;
    if (c.nodal)
      NDVRID(keys.data(), field.data(), 8, &n, &c.kind, &ok, &c.flag);
    else
      NMVRID(keys.data(), field.data(), 8, &n, &c.kind, &ok);
    bool anyZero = false;
    for (std::size_t r = 0; r < keys.size(); ++r) {
      const int want = c.v->entry(c.table, c.v->firstRowNamed(c.v->names[r]));
      anyZero = anyZero || want == 0;
      EXPECT_EQ(keys[r], want) << c.kind << " row " << r + 1;
    }
    EXPECT_EQ(ok, anyZero ? 0 : 1) << c.kind;
    // Keys back to names: the name of the first row holding the key.
    std::vector<Int> back;
    for (int key : c.v->keys)
      if (key != 0) back.push_back(key);
    std::string names(8 * back.size(), '?');
    const Int m = static_cast<Int>(back.size());
    const Int one = 1;
    if (c.nodal)
      NDVRID(back.data(), names.data(), 8, &m, &one, &ok, &c.flag);
    else
      NMVRID(back.data(), names.data(), 8, &m, &one, &ok);
    for (std::size_t k = 0; k < back.size(); ++k)
      EXPECT_EQ(trim(names.substr(8 * k, 8)), c.v->names[static_cast<std::size_t>(c.v->firstRowKeyed(back[k]) - 1)]);
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Vocab, NumberedNamesBothWays) {
  for (int n = 1; n <= 999; ++n) {
    Int ok = 0;
    const std::string sdv = "SDV" + std::to_string(n);
    EXPECT_EQ(elementKeys({sdv}, 21, 0, &ok)[0], 5000 + n);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(elementNames({5000 + n})[0], sdv);
    if (n <= 998) {
      const std::string hfl = "HFL" + std::to_string(n);
      EXPECT_EQ(elementKeys({hfl}, 15, 0, &ok)[0], 28001 + n) << hfl;
      EXPECT_EQ(elementNames({28001 + n})[0], hfl);
    }
  }
  EXPECT_EQ(elementNames({28001})[0], "HFLM");
  EXPECT_EQ(elementNames({28010})[0], "HFL9");
  Int ok = 1;
  EXPECT_EQ(elementKeys({"UVARM12", "SDV12"}, 29, 0, &ok), (std::vector<Int>{87012, 5012}));
  EXPECT_EQ(elementKeys({"SSPEEQ1"}, 231, 1, &ok)[0], 190001);
  eqc_testing::clearMessages();
  // Suffixes too long, without a blank after them, or not digits are unidentified.
  const auto keys = elementKeys({"SDV1000", "UVARM123", "SDV1A", "FV", "SSPEEQ12", "S"}, 21, 0, &ok);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(keys, (std::vector<Int>{-7, -7, -7, 9, -7, -7}));
  EXPECT_TRUE(eqc_testing::printed("ANY SDVs BEYOND THE FIRST 999 CAN NOT BE OUTPUT. SDV1000 CANNOT BE IDENTIFIED."));
  EXPECT_TRUE(eqc_testing::printed("UNIDENTIFIED OUTPUT REQUEST UVARM123"));
  // SSPEEQ is not offered by table 21: the call ends there, "S" is left as it was.
  EXPECT_TRUE(eqc_testing::printed("OUTPUT REQUEST SSPEEQ12 IS NOT AVAILABLE FOR THIS OPTION"));
}

TEST_F(Vocab, LoadTypesBothWays) {
  const auto& loads = vocabularies().loads;
  for (std::size_t p = 0; p < loads.size(); ++p) {
    const Int key = 3011 + static_cast<Int>(p);
    char name[8];
    Int k = 0, ok = 0;
    const Int toName = 0, toKey = 1;
    Int keyCopy = key;
    ENMLD(name, 8, &keyCopy, &toName, &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(trim(std::string(name, 8)), loads[p]);
    std::string field = pad8("L" + loads[p]);
    ENMLD(field.data(), 8, &k, &toKey, &ok);
    EXPECT_EQ(k, key);
    EXPECT_EQ(elementNames({key})[0], loads[p]);
    EXPECT_EQ(elementKeys({"L" + loads[p]}, 29, 0, &ok)[0], key);
  }
  // Keys outside the list give a blank name; key-to-name reports them.
  char name[8];
  Int ok = 1, key = 3156;
  const Int toName = 0;
  ENMLD(name, 8, &key, &toName, &ok);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(std::string(name, 8), "        ");
  eqc_testing::clearMessages();
  EXPECT_EQ(elementNames({3010})[0], "");
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ENMID1"));
  // A load-type name that fails goes on to the next name.
  const auto keys = elementKeys({"LNOSUCH", "LBX", "TEMP"}, 29, 0, &ok);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(keys[1], 3011);
  EXPECT_EQ(keys[2], 2001);
}

TEST_F(Vocab, RequestEdges) {
  Int ok = 0;
  EXPECT_EQ(elementKeys({"TEMP"}, 29, 0, &ok)[0], 2001);
  EXPECT_EQ(elementKeys({"TEMP"}, 15, 0, &ok)[0], 2001);
  EXPECT_EQ(elementKeys({"TEMP"}, 21, 0, &ok)[0], 2);
  EXPECT_EQ(elementNames({2, 2001, 74}), (std::vector<std::string>{"TEMP", "TEMP", "PRESS"}));
  // Kind 37 has no numbered names: the call ends at SDV12.
  eqc_testing::clearMessages();
  const auto keys = elementKeys({"SDV12", "S"}, 37, 0, &ok);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(keys[1], -7);
  EXPECT_TRUE(eqc_testing::printed("OUTPUT REQUEST SDV12 IS NOT AVAILABLE FOR THIS OPTION"));
  // The explicit program is not told.
  eqc_testing::clearMessages();
  rec::i(CPROG, eqc_records::kProgramKind) = 2;
  elementKeys({"SDV12"}, 37, 0, &ok);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  rec::i(CPROG, eqc_records::kProgramKind) = 0;
  // Key 6000: the SDV message, the system error and a blank name.
  eqc_testing::clearMessages();
  EXPECT_EQ(elementNames({6000})[0], "");
  EXPECT_TRUE(eqc_testing::printed("OUTPUT OF MORE THAN 999 SDVs IS NOTALLOWED."));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ENMID1"));
  // A name that would not fit in 8 characters is a system error, not an overrun.
  eqc_testing::clearMessages();
  EXPECT_EQ(elementNames({190123})[0], "");
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ENMID1"));
  // DG is only for some materials.
  eqc_testing::clearMessages();
  EXPECT_EQ(elementKeys({"DG", "DG12"}, 21, 0, &ok), (std::vector<Int>{30, 30004}));
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 2);
  // Kind 50036 comes back as 36.
  std::string field = pad8("SF2");
  Int key = 0, kind = 50036;
  const Int one = 1, zero = 0;
  ELVRID(&key, field.data(), 8, &one, &kind, &ok, &zero, &zero);
  EXPECT_EQ(kind, 36);
  EXPECT_EQ(key, 20021);
  // Nodal: NT11 is a numbered name, NT5 is rejected.
  std::string nodal = pad8("NT11") + pad8("NT5");
  Int nodalKeys[2] = {0, 0};
  const Int two = 2, k121 = 121;
  NDVRID(nodalKeys, nodal.data(), 8, &two, &k121, &ok, &zero);
  EXPECT_EQ(nodalKeys[0], 201011);
  EXPECT_EQ(nodalKeys[1], 0);
  EXPECT_EQ(ok, 0);
  // Kind 205 with flag 1 takes numbered names; kind 125 has the stem but no numbered names.
  const Int k205 = 205, k125 = 125, flagOne = 1;
  nodalKeys[0] = nodalKeys[1] = -7;
  NDVRID(nodalKeys, nodal.data(), 8, &one, &k205, &ok, &flagOne);
  EXPECT_EQ(nodalKeys[0], 201011);
  EXPECT_EQ(ok, 1);
  eqc_testing::clearMessages();
  NDVRID(nodalKeys, nodal.data(), 8, &one, &k125, &ok, &zero);
  EXPECT_EQ(ok, 0);
  EXPECT_TRUE(eqc_testing::printed("OUTPUT REQUEST NT11 IS NOT AVAILABLE FOR THIS OPTION"));
  // A name that is no row and begins with no stem.
  eqc_testing::clearMessages();
  EXPECT_EQ(elementKeys({"QQQ", "S"}, 21, 0, &ok), (std::vector<Int>{-7, 11}));
  EXPECT_EQ(ok, 0);
  EXPECT_TRUE(eqc_testing::printed("UNIDENTIFIED OUTPUT REQUEST QQQ"));
  // Kinds no table serves do nothing (NDVRID still clears OK).
  nodalKeys[0] = -7;
  const Int unknown = 999;
  ok = 5;
  NDVRID(nodalKeys, nodal.data(), 8, &one, &unknown, &ok, &zero);
  EXPECT_EQ(nodalKeys[0], -7);
  EXPECT_EQ(ok, 0);
  ok = 5;
  NMVRID(nodalKeys, nodal.data(), 8, &one, &unknown, &ok);
  EXPECT_EQ(nodalKeys[0], -7);
  EXPECT_EQ(ok, 5);
  EXPECT_EQ(elementKeys({"S"}, 999, 0, &ok)[0], -7);
  EXPECT_EQ(ok, 5);
}

TEST_F(Vocab, SubstitutionsAndTheDefaultElementKey) {
  const std::pair<Int, Int> pairs[] = {{12, 11},  {74, 11},  {75, 11},  {101, 11}, {102, 86},
                                       {103, 21}, {104, 90}, {105, 89}, {106, 91}, {107, 30},
                                       {108, 25}, {109, 24}, {110, 88}, {111, 22}, {112, 23}};
  for (Int key = 1; key <= 240; ++key) {
    const auto* pair = std::find_if(std::begin(pairs), std::end(pairs), [&](auto p) { return p.first == key; });
    Int k = key, mode = 1, pass = 42;
    const Int print = 0;
    SHR_ERELOP(&k, &mode, &pass, &print);
    EXPECT_EQ(mode, pair != std::end(pairs) ? 1 : 0);
    EXPECT_EQ(k, key);
    mode = 0;
    SHR_ERELOP(&k, &mode, &pass, &print);
    EXPECT_EQ(k, pair != std::end(pairs) ? pair->second : key);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(pass, 42);
  }
  eqc_testing::clearMessages();
  Int k = 75, mode = 0, pass = 0;
  const Int print = 1;
  SHR_ERELOP(&k, &mode, &pass, &print);
  EXPECT_TRUE(eqc_testing::printed("THE REQUEST FOR MISES OUTPUT WILL BE REPLACED BY A REQUEST FOR S OUTPUT"));

  rec::i(CODB, 7) = 0;
  const std::string sf(80, 'F'), e(80, 'E'), temp(80, 'T');
  Int key = 13;
  SHR_ELDEFV(&key, sf.data(), 80);
  key = 21;
  SHR_ELDEFV(&key, e.data(), 80);
  key = 2;
  SHR_ELDEFV(&key, temp.data(), 80);
  key = 99;
  SHR_ELDEFV(&key, temp.data(), 80);
  EXPECT_EQ(rec::i(CODB, 7), 21);
  EXPECT_EQ(rec::chars(CODB, 109, 80), e);
  key = 11;
  SHR_ELDEFVDDB(&key, nullptr);
  EXPECT_EQ(rec::i(CODB, 7), 11);
  EXPECT_EQ(rec::chars(CODB, 109, 80), e);
}

}  // namespace
