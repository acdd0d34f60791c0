// The facet catalogue against an independent rebuild from the tabular golden file, its
// invariants, the label and number queries and the sub-triangles of a subdivided triangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using namespace zmx::catalogue;
using FacetCatalogue = zmxtest::HostFixture;

int word(int first, int elementClass) { return rec::i(CSURFACEDEF, first + elementClass - 1); }

// "(a b c) (d e)" -> {{a, b, c}, {d, e}}
std::vector<std::vector<int>> parseGroups(const std::string& text) {
  std::vector<std::vector<int>> groups;
  std::string clean = text;
  for (char& c : clean)
    if (c == ')') c = ' ';
  std::istringstream in(clean);
  for (std::string token; in >> token;) {
    if (token == "-") break;
    if (token[0] == '(') {
      groups.emplace_back();
      token = token.substr(1);
      if (token.empty()) continue;
    }
    groups.back().push_back(std::stoi(token));
  }
  return groups;
}

// The 3,424 words rebuilt from the golden tables.
std::vector<int> rebuildFromGolden() {
  struct Shape {
    int corners, linear, shapeCorners, edgeStart;
    std::vector<std::vector<int>> edges;
  };
  std::ifstream in(ZMX_SOURCE_DIR "/tests/golden/facet_catalogue.txt");
  std::vector<int> words(3424, 0);
  std::vector<std::string> shapeOf(kClasses + 1);
  std::map<std::string, Shape> shapes;
  std::map<int, int> cornerException;
  std::vector<int> codes;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto colon = line.find(':');
    std::istringstream head(line.substr(0, colon));
    const std::string tail = colon == std::string::npos ? "" : line.substr(colon + 1);
    std::string kind;
    head >> kind;
    if (kind == "class") {
      int k, start, facets, stride, order, classKind, subkind, type;
      std::string shape;
      head >> k >> start >> facets >> stride >> shape >> order >> classKind >> subkind >> type;
      std::istringstream codeText(tail);
      int n = 0;
      for (std::string code; codeText >> code;)
        if (code != "-") codes.push_back(std::stoi(code)), ++n;
      words[358 + k - 1] = n;
      words[1375 + k - 1] = facets;
      words[1557 + k - 1] = start;
      words[1739 + k - 1] = stride;
      words[2696 + k - 1] = order;
      words[2878 + k - 1] = classKind;
      words[3060 + k - 1] = subkind;
      words[3242 + k - 1] = type;
      shapeOf[k] = shape;
    } else if (kind == "list") {
      int start, stride;
      head >> start >> stride;
      int f = 0;
      for (const auto& facet : parseGroups(tail)) {
        for (std::size_t j = 0; j < facet.size(); ++j) words[540 + start - 1 + f * stride + j] = facet[j];
        ++f;
      }
    } else if (kind == "shape") {
      std::string name;
      Shape s;
      head >> name >> s.corners >> s.linear >> s.shapeCorners >> s.edgeStart;
      s.edges = parseGroups(tail);
      shapes[name] = s;
    } else if (kind == "corners") {
      int k, corners;
      head >> k >> corners;
      cornerException[k] = corners;
    }
  }
  std::copy(codes.begin(), codes.end(), words.begin());
  for (int k = 1; k <= kClasses; ++k) {
    const Shape& s = shapes.at(shapeOf[k]);
    words[1921 + k - 1] = cornerException.count(k) ? cornerException[k] : s.corners;
    words[2103 + k - 1] = s.linear;
    words[2332 + k - 1] = s.shapeCorners;
    words[2514 + k - 1] = s.edgeStart;
  }
  for (const auto& [name, s] : shapes) {
    int position = s.edgeStart;
    for (const auto& edge : s.edges)
      for (int node : edge) words[2285 + position++ - 1] = node;
  }
  return words;
}

TEST_F(FacetCatalogue, EqualsTheGoldenTablesWordForWord) {
  const std::vector<int> expected = rebuildFromGolden();
  for (int w = 1; w <= 3424; ++w) ASSERT_EQ(rec::i(CSURFACEDEF, w), expected[w - 1]) << "word " << w;
  EXPECT_EQ(sizeof(CSURFACEDEF), 3424u * 4u);
}

TEST_F(FacetCatalogue, ArraysHoldTheirInvariants) {
  int codes = 0;
  for (int k = 1; k <= kClasses; ++k) codes += word(kNeltyp, k);
  EXPECT_EQ(codes, kEltypeEntries);

  // The node lists, by start: each class's facets lie inside its list, and the lists tile the
  // array (each list's span is a whole number of facets, each facet with nodes first, zeros after).
  std::map<int, int> strideOf;
  for (int k = 1; k <= kClasses; ++k) {
    const auto [it, fresh] = strideOf.emplace(word(kIfacet, k), word(kNnfacet, k));
    EXPECT_EQ(it->second, word(kNnfacet, k)) << "class " << k;
  }
  std::vector<int> starts;
  for (const auto& [start, stride] : strideOf) starts.push_back(start);
  starts.push_back(kFaceNodeEntries + 1);
  EXPECT_EQ(starts.front(), 1);
  for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
    const int start = starts[i], stride = strideOf[start], span = starts[i + 1] - start;
    ASSERT_EQ(span % stride, 0) << "list " << start;
    for (int f = 0; f < span / stride; ++f) {
      const int first = rec::i(CSURFACEDEF, kFaceNodes + start - 1 + f * stride);
      EXPECT_GT(first, 0) << "list " << start << " facet " << f + 1;
      bool zeros = false;
      for (int j = 0; j < stride; ++j) {
        const int node = rec::i(CSURFACEDEF, kFaceNodes + start - 1 + f * stride + j);
        if (node == 0) zeros = true;
        EXPECT_FALSE(zeros && node != 0) << "list " << start << " facet " << f + 1;
      }
    }
  }
  for (int k = 1; k <= kClasses; ++k) {
    const int start = word(kIfacet, k);
    const int next = *std::upper_bound(starts.begin(), starts.end(), start);
    EXPECT_LE(start + word(kNfacet, k) * word(kNnfacet, k), next) << "class " << k;
    EXPECT_GE(word(kNfacet, k), 1);
  }

  // Classes 175 to 182 list, after their one facet, its edges (end points of lines): edge k from
  // corner k through the midside node of that side to corner k + 1.
  for (int k = 175; k <= 182; ++k) {
    const int stride = word(kNnfacet, k), corners = word(kNcorner, k);
    const bool quadratic = word(kLinear, k) == 0;
    const int entries = corners == 2 ? 2 : corners;
    for (int e = 1; e <= entries; ++e) {
      std::vector<int> expected(stride, 0);
      if (corners == 2) {
        expected[0] = e;
      } else {
        expected[0] = e;
        expected[quadratic ? 2 : 1] = e % corners + 1;
        if (quadratic) expected[1] = corners + e;
      }
      for (int j = 0; j < stride; ++j)
        EXPECT_EQ(rec::i(CSURFACEDEF, kFaceNodes + word(kIfacet, k) - 1 + e * stride + j), expected[j])
            << "class " << k << " entry " << e;
    }
  }
  const std::vector<int> class177 = {3, 2, 1, 1, 2, 0, 2, 3, 0, 3, 1, 0};
  for (std::size_t j = 0; j < class177.size(); ++j)
    EXPECT_EQ(rec::i(CSURFACEDEF, kFaceNodes + 725 - 1 + static_cast<int>(j)), class177[j]);
}

std::string label(int elementClass, int facet, int length = 8) {
  std::string text(static_cast<std::size_t>(length), '#');
  GETSURFACEFACETLABEL(&elementClass, &facet, text.data(), length);
  return text;
}

int faceNumber(int elementClass, int face) {
  int number = -99;
  GETSURFACEFACETNUM(&elementClass, &face, &number);
  return number;
}

TEST_F(FacetCatalogue, LabelsNumbersShapesAndShellTests) {
  // Shell-like class 22, solid class 14, class 68 (labelled as a solid), two-sided line class 50.
  EXPECT_EQ(label(22, 1), "SPOS    ");
  EXPECT_EQ(label(22, 2), "SNEG    ");
  EXPECT_EQ(label(22, 3), "E1      ");
  EXPECT_EQ(label(22, 5), "E3      ");
  EXPECT_EQ(label(14, 6), "S6      ");
  EXPECT_EQ(label(14, 13), "TWOSIDED");
  EXPECT_EQ(label(14, 14), "        ");
  EXPECT_EQ(label(68, 1), "S1      ");
  EXPECT_EQ(label(68, 2), "S2      ");
  EXPECT_EQ(label(50, 1), "SPOS    ");
  EXPECT_EQ(label(50, 3), "S3      ");
  EXPECT_EQ(label(50, 8), "SNEG    ");
  EXPECT_EQ(label(50, 9), "        ");
  EXPECT_EQ(label(22, -3), label(22, 3));
  EXPECT_EQ(label(14, 0), "        ");
  // Always 8 characters: cut to a shorter field, and a longer one keeps what stands after them.
  EXPECT_EQ(label(14, 13, 3), "TWO");
  EXPECT_EQ(label(14, 13, 10), "TWOSIDED##");
  EXPECT_EQ(label(50, 1, 12), "SPOS    ####");

  EXPECT_EQ(faceNumber(14, 4), 4);
  EXPECT_EQ(faceNumber(14, 7), 0);
  EXPECT_EQ(faceNumber(68, 2), 2);
  EXPECT_EQ(faceNumber(50, 1), 7);
  EXPECT_EQ(faceNumber(50, 3), 0);
  EXPECT_EQ(faceNumber(50, -1), 5);  // the face number is taken with its sign
  for (int k : {14, 68, 50, 22}) EXPECT_EQ(faceNumber(k, 0), 0);

  const auto shape = [](int k, int m) {
    int code = -1;
    SHR_GET3DFACETSHAPE(&k, &m, &code);
    return code;
  };
  EXPECT_EQ(shape(169, 6), 7);
  EXPECT_EQ(shape(170, 9), 8);
  EXPECT_EQ(shape(144, 6), 3);
  EXPECT_EQ(shape(16, 6), 4);
  EXPECT_EQ(shape(27, 9), 6);
  EXPECT_EQ(shape(14, 8), 0);
  EXPECT_EQ(shape(13, 3), 1);
  EXPECT_EQ(shape(14, 4), 2);
  EXPECT_EQ(shape(18, 8), 5);
  EXPECT_EQ(shape(169, 4), 8);  // end faces of the cylindrical solids, kept as the text has them

  const auto shell = [](int k, int f) {
    Logical isShell = 7, isEdge = 7;
    SHR_ISSHELL3DELEM(&k, &f, &isShell, &isEdge);
    return std::pair{isShell, isEdge};
  };
  EXPECT_EQ(shell(22, 4), std::pair(kTrue, kTrue));
  EXPECT_EQ(shell(22, 2), std::pair(kTrue, kFalse));
  EXPECT_EQ(shell(22, -6), std::pair(kTrue, kTrue));
  EXPECT_EQ(shell(14, 4), std::pair(kFalse, kFalse));

  int type = -1, k = 171;
  GETSURFACEFACETTYPE(&k, &type);
  EXPECT_EQ(type, 14);
}

TEST_F(FacetCatalogue, ClassesOutsideTheCatalogueAreReportedAndReadNothing) {
  eqc_testing::clearMessages();
  EXPECT_EQ(label(0, 1), "        ");
  EXPECT_EQ(faceNumber(183, 1), 0);
  int type = -1, shape = -1, k = -5, m = 6, f = 3;
  Logical isShell = 7, isEdge = 7;
  GETSURFACEFACETTYPE(&k, &type);
  SHR_GET3DFACETSHAPE(&k, &m, &shape);
  SHR_ISSHELL3DELEM(&k, &f, &isShell, &isEdge);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(shape, 0);
  EXPECT_EQ(isShell, kFalse);
  EXPECT_EQ(isEdge, kFalse);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN GETSURFACEFACETLABEL - ELEMENT CLASS 0 IS NOT IN THE FACET CATALOGUE.");
  EXPECT_EQ(messages[1].text, "SYSTEM ERROR IN GETSURFACEFACETNUM - ELEMENT CLASS 183 IS NOT IN THE FACET CATALOGUE.");
  EXPECT_EQ(messages[2].text, "SYSTEM ERROR IN GETSURFACEFACETTYPE - ELEMENT CLASS -5 IS NOT IN THE FACET CATALOGUE.");
  EXPECT_EQ(messages[3].text, "SYSTEM ERROR IN SHR_GET3DFACETSHAPE - ELEMENT CLASS -5 IS NOT IN THE FACET CATALOGUE.");
  EXPECT_EQ(messages[4].text, "SYSTEM ERROR IN SHR_ISSHELL3DELEM - ELEMENT CLASS -5 IS NOT IN THE FACET CATALOGUE.");
  for (const auto& message : messages) EXPECT_EQ(message.level, -3);
}

// Signed area (times 2) of a sub-triangle of the subdivided unit triangle, points placed row by
// row from the apex.
TEST_F(FacetCatalogue, SubTrianglesTileTheTriangleWithOneOrientation) {
  for (int n : {1, 2, 3, 7}) {
    int levels = n;
    const int largest = 10;
    std::vector<int> table(4 * n * n + 4, -1);
    FILICN(&largest, &levels, table.data());
    ASSERT_EQ(levels, n);
    std::vector<std::pair<double, double>> point(1);  // 1-based
    for (int row = 0; row <= n; ++row)
      for (int j = 0; j <= row; ++j) point.emplace_back(j - 0.5 * row, -row);
    double area = 0.0;
    std::map<std::pair<int, int>, int> directed;
    for (int t = 0; t < n * n; ++t) {
      const int* r = &table[4 * t];
      EXPECT_EQ(r[0], t + 1);
      const auto& [ax, ay] = point.at(r[1]);
      const auto& [bx, by] = point.at(r[2]);
      const auto& [cx, cy] = point.at(r[3]);
      const double twice = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
      EXPECT_NEAR(twice, 1.0, 1e-12) << "n " << n << " record " << t + 1;  // one orientation, one size
      area += twice;
      for (int e = 0; e < 3; ++e) ++directed[{r[1 + e], r[1 + (e + 1) % 3]}];
    }
    EXPECT_NEAR(area, static_cast<double>(n) * n, 1e-9);
    EXPECT_EQ(table[4 * n * n], -1);  // nothing past the n^2 records
    // Inner edges are met once in each direction, boundary edges once: 3n of them.
    int boundary = 0;
    for (const auto& [edge, count] : directed) {
      EXPECT_EQ(count, 1);
      if (!directed.count({edge.second, edge.first})) ++boundary;
    }
    EXPECT_EQ(boundary, 3 * n);
  }
  int levels = 9, largest = 2;
  std::vector<int> table(16, -1);
  FILICN(&largest, &levels, table.data());
  EXPECT_EQ(levels, 2);
  EXPECT_EQ(table, (std::vector<int>{1, 1, 2, 3, 2, 2, 4, 5, 3, 2, 5, 3, 4, 3, 5, 6}));
  levels = 0;
  FILICN(&largest, &levels, table.data());
  EXPECT_EQ(table[0], 1);
}

}  // namespace
