// The facet catalogue CSURFACEDEF, built at compile time from three tables written once as data
// (the element classes, the facet node lists and the facet shapes), and the queries over it:
// facet labels and label numbers, facet type, facet shape code, the shell test and the
// sub-triangles of a subdivided triangle.

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "geometry/support/geometry_report.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "zmx/geometry/facets.h"

namespace {

using namespace zmx::catalogue;

// ---- The tables ---------------------------------------------------------------------------------

enum Shape { P1, L2, L3, T3, Q4, T6, Q8, Q9, C6 };

struct ShapeRow {
  int corners;       // NCORNER
  Logical linear;    // LINEAR
  int shapeCorners;  // NFCORNER
  int edgeList;      // IEDGE
};

constexpr ShapeRow kShapes[] = {
    /* P1 */ {1, kTrue, 0, 0},   /* L2 */ {2, kTrue, 2, 0},   /* L3 */ {2, kFalse, 2, 0},
    /* T3 */ {3, kTrue, 3, 1},   /* Q4 */ {4, kTrue, 4, 7},   /* T6 */ {3, kFalse, 3, 15},
    /* Q8 */ {4, kFalse, 4, 24}, /* Q9 */ {4, kFalse, 4, 24}, /* C6 */ {4, kTrue, 4, 36},
};

// A list of facets (or edges), each given by its local node numbers; shorter facets are filled
// up with 0 to the stride.
struct NodeList {
  static constexpr int kMostFacets = 6;
  static constexpr int kMostNodes = 9;
  int start;
  int stride;
  int facets = 0;
  int nodes[kMostFacets][kMostNodes] = {};

  constexpr NodeList(int first, int width, std::initializer_list<std::initializer_list<int>> lists)
      : start(first), stride(width) {
    for (const auto& facet : lists) {
      if (facets == kMostFacets || static_cast<int>(facet.size()) > stride) badList();
      int k = 0;
      for (int node : facet) nodes[facets][k++] = node;
      ++facets;
    }
  }
  constexpr int end() const { return start + facets * stride; }
  static void badList() {}  // not constexpr: a list that does not fit stops the compilation
};

// Edges of the facet shapes, each from its end corner through its midside node (0: none) back
// to its start corner.
constexpr NodeList kEdgeLists[] = {
    {1, 2, {{2, 1}, {3, 2}, {1, 3}}},                         // T3
    {7, 2, {{2, 1}, {3, 2}, {4, 3}, {1, 4}}},                 // Q4
    {15, 3, {{2, 4, 1}, {3, 5, 2}, {1, 6, 3}}},               // T6
    {24, 3, {{2, 5, 1}, {3, 6, 2}, {4, 7, 3}, {1, 8, 4}}},    // Q8, Q9
    {36, 3, {{2, 1, 0}, {3, 5, 2}, {4, 3, 0}, {1, 6, 4}}},    // C6
};

// Facet node lists, facets in facet order. The lists of classes 175 to 182 go on past their one
// facet with its edges (end points of a line facet): edge k from corner k through the midside
// node of that side to corner k + 1.
constexpr NodeList kNodeLists[] = {
    {1, 2, {{2, 1}, {3, 2}, {1, 3}}},
    {7, 2, {{2, 1}, {3, 2}, {4, 3}, {1, 4}}},
    {15, 3, {{2, 4, 1}, {3, 5, 2}, {1, 6, 3}}},
    {24, 3, {{2, 5, 1}, {3, 6, 2}, {4, 7, 3}, {1, 8, 4}}},
    {36, 3, {{3, 2, 1}, {2, 4, 1}, {3, 4, 2}, {1, 4, 3}}},
    {48, 4, {{4, 3, 2, 1}, {6, 7, 8, 5}, {2, 6, 5, 1}, {3, 7, 6, 2}, {4, 8, 7, 3}, {1, 5, 8, 4}}},
    {72, 4, {{3, 2, 1}, {5, 6, 4}, {2, 5, 4, 1}, {3, 6, 5, 2}, {1, 4, 6, 3}}},
    {92, 3, {{1, 2, 3}, {3, 2, 1}, {1, 2}, {2, 3}, {3, 1}}},
    {107, 4, {{1, 2, 3, 4}, {4, 3, 2, 1}, {2, 1}, {3, 2}, {4, 3}, {1, 4}}},
    {131, 9, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {4, 3, 2, 1, 7, 6, 5, 8, 9}, {2, 5, 1}, {3, 6, 2}, {4, 7, 3}, {1, 8, 4}}},
    {185, 1, {{1}}},
    {186, 2, {{1, 2}, {2, 1}}},
    {190, 6, {{3, 2, 1, 6, 5, 7}, {2, 4, 1, 9, 8, 5}, {3, 4, 2, 10, 9, 6}, {1, 4, 3, 8, 10, 7}}},
    {214, 8, {{3, 2, 1, 8, 7, 9}, {5, 6, 4, 11, 12, 10}, {2, 5, 4, 1, 14, 10, 13, 7}, {3, 6, 5, 2, 15, 11, 14, 8}, {1, 4, 6, 3, 13, 12, 15, 9}}},
    {254, 8, {{4, 3, 2, 1, 11, 10, 9, 12}, {6, 7, 8, 5, 14, 15, 16, 13}, {2, 6, 5, 1, 18, 13, 17, 9}, {3, 7, 6, 2, 19, 14, 18, 10}, {4, 8, 7, 3, 20, 15, 19, 11}, {1, 5, 8, 4, 17, 16, 20, 12}}},
    {302, 8, {{1, 2, 3, 4, 5, 6, 7, 8}, {4, 3, 2, 1, 7, 6, 5, 8}, {2, 5, 1}, {3, 6, 2}, {4, 7, 3}, {1, 8, 4}}},
    {350, 3, {{1, 2, 3}, {3, 2, 1}}},
    {356, 6, {{1, 2, 3, 4, 5, 6}, {3, 2, 1, 5, 4, 6}, {2, 4, 1}, {3, 5, 2}, {1, 6, 3}}},
    {386, 9, {{4, 3, 2, 1, 11, 10, 9, 12, 22}, {6, 7, 8, 5, 14, 15, 16, 13, 23}, {2, 6, 5, 1, 18, 13, 17, 9, 24}, {3, 7, 6, 2, 19, 14, 18, 10, 25}, {4, 8, 7, 3, 20, 15, 19, 11, 26}, {1, 5, 8, 4, 17, 16, 20, 12, 27}}},
    {440, 9, {{3, 2, 1, 8, 7, 9}, {5, 6, 4, 11, 12, 10}, {2, 5, 4, 1, 14, 10, 13, 7, 16}, {3, 6, 5, 2, 15, 11, 14, 8, 17}, {1, 4, 6, 3, 13, 12, 15, 9, 18}}},
    {485, 2, {{3, 4}, {2, 1}}},
    {489, 3, {{4, 5, 6}, {3, 2, 1}}},
    {495, 4, {{5, 6, 7, 8}, {4, 3, 2, 1}}},
    {503, 9, {{10, 11, 12, 13, 14, 15, 16, 17, 18}, {4, 3, 2, 1, 7, 6, 5, 8, 9}}},
    {521, 6, {{7, 8, 9, 10, 11, 12}, {3, 2, 1, 5, 4, 6}}},
    {533, 6, {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5, 10, 9}, {2, 3, 7, 6, 11, 10}, {3, 4, 8, 7, 12, 11}, {4, 1, 5, 8, 9, 12}}},
    {569, 9, {{1, 4, 3, 2, 16, 15, 14, 13}, {5, 6, 7, 8, 17, 18, 19, 20}, {1, 2, 6, 5, 13, 10, 17, 9, 21}, {2, 3, 7, 6, 14, 11, 18, 10, 22}, {3, 4, 8, 7, 15, 12, 19, 11, 23}, {4, 1, 5, 8, 16, 9, 20, 12, 24}}},
    {623, 6, {{1, 2, 3, 4, 5, 6}, {2, 1, 4, 3, 6, 5}}},
    {635, 6, {{1, 3, 2}, {4, 5, 6}, {1, 2, 5, 4, 8, 7}, {2, 3, 6, 5, 9, 8}, {3, 1, 4, 6, 7, 9}}},
    {665, 9, {{1, 3, 2, 12, 11, 10}, {4, 5, 6, 13, 14, 15}, {1, 2, 5, 4, 10, 8, 13, 7, 16}, {2, 3, 6, 5, 11, 9, 14, 8, 17}, {3, 1, 4, 6, 12, 7, 15, 9, 18}}},
    {710, 2, {{2, 1}, {1}, {2}}},
    {716, 3, {{2, 3, 1}, {1}, {2}}},
    {725, 3, {{3, 2, 1}, {1, 2}, {2, 3}, {3, 1}}},
    {737, 4, {{4, 3, 2, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 1}}},
    {757, 6, {{3, 2, 1, 5, 4, 6}, {1, 4, 2}, {2, 5, 3}, {3, 6, 1}}},
    {781, 8, {{4, 3, 2, 1, 7, 6, 5, 8}, {1, 5, 2}, {2, 6, 3}, {3, 7, 4}, {4, 8, 1}}},
    {821, 2, {{2, 1}, {1}, {2}}},
    {827, 3, {{2, 3, 1}, {1}, {2}}},
};

// The element type codes of a class (0 is an empty place in the class's group).
struct Codes {
  static constexpr int kMost = 18;
  int count = 0;
  int codes[kMost] = {};
  constexpr Codes(std::initializer_list<int> list) {
    if (list.size() > kMost) NodeList::badList();
    for (int code : list) codes[count++] = code;
  }
};

struct ClassRow {
  int listStart;  // IFACET
  int facets;     // NFACET
  int stride;     // NNFACET
  Shape shape;
  int order;      // IORDER
  int kind;       // KIND
  int subkind;    // SUBKIND
  int facetType;  // FACETTYPE
  Codes codes;    // ELTYPE entries of the class
};

constexpr ClassRow kClassRows[kClasses] = {
    /*   1 */ {1, 3, 2, L2, 1, 2, 0, 0, {4, 7, 307, 7004, 7007, 17, 317}},
    /*   2 */ {7, 4, 2, L2, 1, 2, 0, 0, {3, 303, 171, 176, 53, 353, 2, 170, 52, 7002, 7003, 13, 313, 173, 178, 63, 363}},
    /*   3 */ {1, 3, 2, L2, 1, 4, 0, 0, {8, 308, 7008}},
    /*   4 */ {7, 4, 2, L2, 1, 4, 0, 0, {5, 305, 172, 177, 55, 355, 7005}},
    /*   5 */ {7, 4, 2, L2, 1, 2, 2, 0, {403, 453, 402, 404, 478, 463, 464}},
    /*   6 */ {7, 4, 2, L2, 1, 4, 2, 0, {405, 455, 462}},
    /*   7 */ {15, 3, 3, L3, 1, 2, 0, 0, {10, 310, 9, 20, 320, 7010, 7009}},
    /*   8 */ {15, 3, 3, L3, 1, 4, 0, 0, {11, 311, 7011}},
    /*   9 */ {24, 4, 3, L3, 1, 2, 0, 0, {23, 323, 29, 329, 22, 28, 14, 314, 15, 315, 7023, 7029, 7022, 7028, 0, 0, 0, 0}},
    /*  10 */ {24, 4, 3, L3, 1, 2, 2, 0, {423, 473, 429, 479, 422, 428, 424, 475, 476}},
    /*  11 */ {24, 4, 3, L3, 1, 4, 0, 0, {34, 334, 36, 336, 0, 0, 0, 0, 7034, 7036}},
    /*  12 */ {24, 4, 3, L3, 1, 4, 2, 0, {434, 484, 436, 486}},
    /*  13 */ {36, 4, 3, T3, 2, 3, 0, 0, {41, 341, 7041}},
    /*  14 */ {48, 6, 4, Q4, 2, 3, 0, 0, {6, 306, 174, 179, 56, 356, 2031, 7006}},
    /*  15 */ {48, 6, 4, Q4, 2, 3, 2, 0, {406, 456, 461}},
    /*  16 */ {190, 4, 6, T6, 3, 3, 0, 0, {42, 342, 7042}},
    /*  17 */ {214, 5, 8, Q8, 3, 3, 0, 0, {44, 344, 7044}},
    /*  18 */ {254, 6, 8, Q8, 3, 3, 0, 0, {38, 338, 39, 339, 7038, 7039}},
    /*  19 */ {254, 6, 8, Q8, 3, 3, 2, 0, {438, 488, 439, 489}},
    /*  20 */ {254, 6, 8, Q8, 3, 3, 4, 0, {138, 738, 139, 739}},
    /*  21 */ {72, 5, 4, Q4, 2, 3, 0, 0, {43, 343, 2031, 7043}},
    /*  22 */ {92, 5, 3, T3, 2, 3, 0, 1, {2001, 2021, 0}},
    /*  23 */ {107, 6, 4, Q4, 2, 3, 0, 1, {2002, 2021, 2005, 2022}},
    /*  24 */ {356, 5, 6, T6, 3, 3, 0, 1, {2003}},
    /*  25 */ {302, 6, 8, Q8, 3, 3, 0, 1, {2004, 2006}},
    /*  26 */ {302, 6, 8, Q8, 3, 3, 2, 1, {2504}},
    /*  27 */ {131, 6, 9, Q9, 3, 3, 0, 1, {2007}},
    /*  28 */ {185, 1, 1, P1, 0, 1, 0, 0, {}},
    /*  29 */ {186, 2, 2, L2, 1, 2, 0, 5, {3451}},
    /*  30 */ {92, 5, 3, T3, 2, 3, 0, 5, {3453}},
    /*  31 */ {107, 6, 4, Q4, 2, 3, 0, 5, {3454}},
    /*  32 */ {1, 3, 2, L2, 1, 2, 1, 0, {4104}},
    /*  33 */ {7, 4, 2, L2, 1, 2, 1, 0, {4002, 4321, 4322}},
    /*  34 */ {15, 3, 3, L3, 1, 2, 1, 0, {4109}},
    /*  35 */ {24, 4, 3, L3, 1, 2, 1, 0, {4022}},
    /*  36 */ {36, 4, 3, T3, 2, 3, 1, 0, {4141}},
    /*  37 */ {72, 5, 4, Q4, 2, 3, 1, 0, {4143}},
    /*  38 */ {48, 6, 4, Q4, 2, 3, 1, 0, {4004, 4341, 4342}},
    /*  39 */ {190, 4, 6, T6, 3, 3, 1, 0, {4142}},
    /*  40 */ {214, 5, 8, Q8, 3, 3, 1, 0, {4144}},
    /*  41 */ {254, 6, 8, Q8, 3, 3, 1, 0, {4030}},
    /*  42 */ {1, 3, 2, L2, 1, 4, 1, 0, {4108}},
    /*  43 */ {7, 4, 2, L2, 1, 4, 1, 0, {4003, 4331, 4332}},
    /*  44 */ {15, 3, 3, L3, 1, 4, 1, 0, {4111}},
    /*  45 */ {24, 4, 3, L3, 1, 4, 1, 0, {4026}},
    /*  46 */ {107, 2, 4, Q4, 2, 3, 1, 1, {5001}},
    /*  47 */ {302, 2, 8, Q8, 3, 3, 1, 1, {5002}},
    /*  48 */ {186, 2, 2, L2, 1, 4, 1, 1, {5101, 4311, 4312}},
    /*  49 */ {350, 2, 3, L3, 1, 4, 1, 1, {5102}},
    /*  50 */ {186, 2, 2, L2, 1, 2, 0, 4, {1001, 1011, 1003, 1013, 1021, 1031}},
    /*  51 */ {350, 2, 3, L3, 1, 2, 0, 4, {1002, 1012, 1022, 1032}},
    /*  52 */ {186, 2, 2, L2, 1, 3, 0, 4, {1101, 1111, 1103, 1113, 0, 1201, 1211, 1121, 1131, 2301, 2201, 2211}},
    /*  53 */ {350, 2, 3, L3, 1, 3, 0, 4, {1102, 1112, 1202, 1212, 1122, 1132, 2302}},
    /*  54 */ {186, 2, 2, L2, 1, 2, 0, 3, {32, 332, 7032}},
    /*  55 */ {350, 2, 3, L3, 1, 2, 0, 3, {33, 333, 7033}},
    /*  56 */ {186, 2, 2, L2, 1, 3, 0, 3, {1, 301, 7001}},
    /*  57 */ {350, 2, 3, L3, 1, 3, 0, 3, {21, 321, 7021}},
    /*  58 */ {186, 2, 2, L2, 1, 2, 2, 3, {432}},
    /*  59 */ {350, 2, 3, L3, 1, 2, 2, 3, {433}},
    /*  60 */ {186, 2, 2, L2, 1, 3, 2, 3, {401}},
    /*  61 */ {350, 2, 3, L3, 1, 3, 2, 3, {421}},
    /*  62 */ {186, 2, 2, L2, 1, 4, 0, 5, {3452}},
    /*  63 */ {386, 6, 9, Q9, 3, 3, 0, 0, {}},
    /*  64 */ {186, 2, 2, L2, 1, 4, 0, 1, {2101}},
    /*  65 */ {350, 2, 3, L3, 1, 4, 0, 1, {2102}},
    /*  66 */ {350, 2, 3, L3, 1, 4, 2, 1, {2511}},
    /*  67 */ {186, 2, 2, L2, 1, 2, 0, 5, {3455}},
    /*  68 */ {186, 2, 2, L2, 1, 3, 0, 5, {3456}},
    /*  69 */ {440, 5, 9, Q9, 3, 3, 0, 0, {}},
    /*  70 */ {92, 5, 3, T3, 2, 3, 0, 2, {151, 3555}},
    /*  71 */ {107, 6, 4, Q4, 2, 3, 0, 2, {152, 161, 3556, 3557}},
    /*  72 */ {356, 5, 6, T6, 3, 3, 0, 2, {153, 3558}},
    /*  73 */ {302, 6, 8, Q8, 3, 3, 0, 2, {154, 162, 3559, 3560}},
    /*  74 */ {131, 6, 9, Q9, 3, 3, 0, 2, {155, 163}},
    /*  75 */ {1, 3, 2, L2, 1, 2, 3, 0, {}},
    /*  76 */ {7, 4, 2, L2, 1, 2, 3, 0, {}},
    /*  77 */ {15, 3, 3, L3, 1, 2, 3, 0, {}},
    /*  78 */ {24, 4, 3, L3, 1, 2, 3, 0, {}},
    /*  79 */ {36, 4, 3, T3, 2, 3, 3, 0, {}},
    /*  80 */ {72, 5, 4, Q4, 2, 3, 3, 0, {}},
    /*  81 */ {48, 6, 4, Q4, 2, 3, 3, 0, {}},
    /*  82 */ {190, 4, 6, T6, 3, 3, 3, 0, {}},
    /*  83 */ {214, 5, 8, Q8, 3, 3, 3, 0, {}},
    /*  84 */ {254, 6, 8, Q8, 3, 3, 3, 0, {}},
    /*  85 */ {1, 3, 2, L2, 1, 4, 3, 0, {}},
    /*  86 */ {7, 4, 2, L2, 1, 4, 3, 0, {}},
    /*  87 */ {15, 3, 3, L3, 1, 4, 3, 0, {}},
    /*  88 */ {24, 4, 3, L3, 1, 4, 3, 0, {}},
    /*  89 */ {107, 2, 4, Q4, 2, 3, 3, 1, {}},
    /*  90 */ {302, 2, 8, Q8, 3, 3, 3, 1, {}},
    /*  91 */ {186, 2, 2, L2, 1, 4, 3, 1, {}},
    /*  92 */ {350, 2, 3, L3, 1, 4, 3, 1, {}},
    /*  93 */ {92, 2, 3, T3, 2, 3, 1, 1, {5011}},
    /*  94 */ {92, 2, 3, T3, 2, 3, 3, 1, {}},
    /*  95 */ {356, 2, 6, T6, 3, 3, 1, 1, {5012}},
    /*  96 */ {356, 2, 6, T6, 3, 3, 3, 1, {}},
    /*  97 */ {15, 3, 3, L3, 1, 2, 0, 9, {370, 371, 373}},
    /*  98 */ {15, 3, 3, L3, 1, 4, 0, 9, {372}},
    /*  99 */ {190, 4, 6, T6, 3, 3, 0, 9, {374}},
    /* 100 */ {1, 3, 2, L2, 1, 4, 0, 10, {}},
    /* 101 */ {7, 4, 2, L2, 1, 4, 0, 10, {}},
    /* 102 */ {15, 3, 3, L3, 1, 4, 0, 10, {}},
    /* 103 */ {24, 4, 3, L3, 1, 4, 0, 10, {}},
    /* 104 */ {186, 2, 2, L2, 1, 4, 0, 2, {164, 3551}},
    /* 105 */ {186, 2, 2, L2, 1, 4, 0, 11, {166, 3553}},
    /* 106 */ {350, 2, 3, L3, 1, 4, 0, 2, {165, 3552}},
    /* 107 */ {350, 2, 3, L3, 1, 4, 0, 11, {167, 3554}},
    /* 108 */ {485, 2, 2, L2, 1, 2, 0, 6, {3801, 3802}},
    /* 109 */ {489, 2, 3, L3, 1, 2, 0, 6, {3804, 3805}},
    /* 110 */ {495, 2, 4, Q4, 2, 3, 0, 6, {3809}},
    /* 111 */ {503, 2, 9, Q9, 3, 3, 0, 6, {3810}},
    /* 112 */ {489, 2, 3, T3, 2, 3, 0, 6, {3811}},
    /* 113 */ {521, 2, 6, T6, 3, 3, 0, 8, {3812}},
    /* 114 */ {485, 2, 2, L2, 1, 3, 0, 7, {3814}},
    /* 115 */ {489, 2, 3, L3, 1, 3, 0, 7, {3815}},
    /* 116 */ {485, 2, 2, L2, 1, 4, 0, 6, {3803}},
    /* 117 */ {489, 2, 3, L3, 1, 4, 0, 6, {3806}},
    /* 118 */ {485, 2, 2, L2, 1, 2, 0, 6, {3851}},
    /* 119 */ {489, 2, 3, L3, 1, 2, 0, 6, {3853}},
    /* 120 */ {495, 2, 4, Q4, 2, 3, 0, 6, {3857}},
    /* 121 */ {503, 2, 9, Q9, 3, 3, 0, 6, {3858}},
    /* 122 */ {489, 2, 3, T3, 2, 3, 0, 6, {3859}},
    /* 123 */ {521, 2, 6, T6, 3, 3, 0, 8, {3860}},
    /* 124 */ {485, 2, 2, L2, 1, 3, 0, 7, {3862}},
    /* 125 */ {489, 2, 3, L3, 1, 3, 0, 7, {3863}},
    /* 126 */ {485, 2, 2, L2, 1, 4, 0, 6, {3852}},
    /* 127 */ {489, 2, 3, L3, 1, 4, 0, 6, {3854}},
    /* 128 */ {48, 6, 4, Q4, 2, 3, 4, 0, {106, 706, 111, 711}},
    /* 129 */ {7, 4, 2, L2, 1, 4, 4, 0, {105, 705, 112, 712}},
    /* 130 */ {24, 4, 3, L3, 1, 4, 4, 0, {134, 136, 734, 736}},
    /* 131 */ {7, 4, 2, L2, 1, 2, 4, 0, {122, 722, 110, 710}},
    /* 132 */ {24, 4, 3, L3, 1, 2, 4, 0, {123, 129, 723, 729}},
    /* 133 */ {1, 3, 2, L2, 1, 4, 2, 10, {408, 458}},
    /* 134 */ {7, 4, 2, L2, 1, 4, 2, 10, {}},
    /* 135 */ {15, 3, 3, L3, 1, 4, 2, 10, {}},
    /* 136 */ {24, 4, 3, L3, 1, 4, 2, 10, {}},
    /* 137 */ {7, 4, 2, L2, 1, 2, 2, 0, {409, 410, 460}},
    /* 138 */ {15, 3, 3, L3, 1, 2, 2, 9, {440, 441, 445}},
    /* 139 */ {7, 4, 2, L2, 1, 4, 2, 0, {412}},
    /* 140 */ {15, 3, 3, L3, 1, 4, 2, 9, {442}},
    /* 141 */ {1, 3, 2, L2, 1, 2, 2, 0, {413, 414, 407, 477}},
    /* 142 */ {1, 3, 2, L2, 1, 4, 2, 0, {417}},
    /* 143 */ {48, 6, 4, Q4, 2, 3, 2, 0, {411}},
    /* 144 */ {190, 4, 6, T6, 3, 3, 2, 9, {444}},
    /* 145 */ {36, 4, 3, T3, 2, 3, 2, 0, {415}},
    /* 146 */ {72, 5, 4, Q4, 2, 3, 2, 0, {416}},
    /* 147 */ {1, 3, 2, L2, 2, 2, 5, 0, {6040}},
    /* 148 */ {7, 4, 2, L2, 2, 2, 5, 0, {6002}},
    /* 149 */ {7, 4, 2, L2, 2, 2, 5, 0, {6012}},
    /* 150 */ {15, 3, 3, L3, 3, 2, 5, 0, {6041}},
    /* 151 */ {24, 4, 3, L3, 3, 2, 5, 0, {6022}},
    /* 152 */ {1, 3, 2, L2, 2, 4, 5, 0, {6042}},
    /* 153 */ {7, 4, 2, L2, 2, 4, 5, 0, {6003}},
    /* 154 */ {7, 4, 2, L2, 2, 4, 5, 0, {6013}},
    /* 155 */ {15, 3, 3, L3, 3, 4, 5, 0, {6043}},
    /* 156 */ {24, 4, 3, L3, 3, 4, 5, 0, {6026}},
    /* 157 */ {36, 4, 3, T3, 2, 3, 5, 0, {6044}},
    /* 158 */ {72, 5, 4, Q4, 2, 3, 5, 0, {6045}},
    /* 159 */ {48, 6, 4, Q4, 2, 3, 5, 0, {6004}},
    /* 160 */ {48, 6, 4, Q4, 2, 3, 5, 0, {6014}},
    /* 161 */ {190, 4, 6, T6, 3, 3, 5, 0, {6046}},
    /* 162 */ {214, 5, 8, Q8, 3, 3, 5, 0, {6047}},
    /* 163 */ {254, 6, 8, Q8, 3, 3, 5, 0, {6030}},
    /* 164 */ {15, 3, 3, L3, 1, 4, 0, 12, {375}},
    /* 165 */ {15, 3, 3, L3, 1, 4, 2, 12, {}},
    /* 166 */ {190, 4, 6, T6, 3, 3, 4, 9, {114}},
    /* 167 */ {15, 3, 3, L3, 1, 4, 4, 9, {115}},
    /* 168 */ {15, 3, 3, L3, 1, 2, 4, 9, {116}},
    /* 169 */ {533, 6, 6, C6, 3, 3, 0, 13, {1501, 1502}},
    /* 170 */ {569, 6, 9, Q9, 3, 3, 0, 13, {1551, 1552, 1553, 1554}},
    /* 171 */ {623, 2, 6, C6, 3, 3, 0, 14, {156, 3565}},
    /* 172 */ {131, 2, 9, Q9, 3, 3, 0, 14, {157, 3566}},
    /* 173 */ {635, 5, 6, C6, 3, 3, 0, 13, {1576, 1577}},
    /* 174 */ {665, 5, 9, Q9, 3, 3, 0, 13, {1578, 1579}},
    /* 175 */ {710, 1, 2, L2, 1, 2, 5, 0, {6202}},
    /* 176 */ {716, 1, 3, L3, 1, 2, 5, 0, {6203}},
    /* 177 */ {725, 1, 3, T3, 2, 3, 5, 0, {6303}},
    /* 178 */ {737, 1, 4, Q4, 2, 3, 5, 0, {6304}},
    /* 179 */ {757, 1, 6, T6, 3, 3, 5, 0, {6306}},
    /* 180 */ {781, 1, 8, Q8, 3, 3, 5, 0, {6308}},
    /* 181 */ {821, 1, 2, L2, 1, 4, 5, 0, {6402}},
    /* 182 */ {827, 1, 3, L3, 1, 4, 5, 0, {6403}},
};

// Class 142 has line facets but three corner nodes.
constexpr int kThreeCornerClass = 142;

// ---- Building the record --------------------------------------------------------------------------

constexpr bool listsTile(const NodeList* lists, int n, int first, int entries) {
  int next = first;
  for (int k = 0; k < n; ++k) {
    if (lists[k].start != next) return false;
    next = lists[k].end();
  }
  return next == first + entries;
}
static_assert(listsTile(kNodeLists, std::size(kNodeLists), 1, kFaceNodeEntries));
static_assert(listsTile(kEdgeLists, std::size(kEdgeLists), 1, kEdgeNodeEntries));

constexpr int codeCount() {
  int total = 0;
  for (const ClassRow& row : kClassRows) total += row.codes.count;
  return total;
}
static_assert(codeCount() == kEltypeEntries);

// The arrays stand one after another without a gap.
static_assert(kNeltyp == kEltype + kEltypeEntries && kFaceNodes == kNeltyp + kClasses &&
              kNfacet == kFaceNodes + kFaceNodeEntries && kIfacet == kNfacet + kClasses &&
              kNnfacet == kIfacet + kClasses && kNcorner == kNnfacet + kClasses && kLinear == kNcorner + kClasses &&
              kEdgeNodes == kLinear + kClasses && kNfcorner == kEdgeNodes + kEdgeNodeEntries &&
              kIedge == kNfcorner + kClasses && kIorder == kIedge + kClasses && kKind == kIorder + kClasses &&
              kSubkind == kKind + kClasses && kFacetType == kSubkind + kClasses &&
              kFacetType + kClasses - 1 == 3424);

constexpr void putLists(CSURFACEDEF_t& r, int first, const NodeList* lists, int n) {
  for (int k = 0; k < n; ++k) {
    const NodeList& list = lists[k];
    for (int f = 0; f < list.facets; ++f)
      for (int j = 0; j < list.stride; ++j) r.w[first - 1 + list.start - 1 + f * list.stride + j] = list.nodes[f][j];
  }
}

constexpr CSURFACEDEF_t buildCatalogue() {
  CSURFACEDEF_t r{};
  int code = kEltype;
  for (int k = 0; k < kClasses; ++k) {
    const ClassRow& row = kClassRows[k];
    const ShapeRow& shape = kShapes[row.shape];
    for (int j = 0; j < row.codes.count; ++j) r.w[code++ - 1] = row.codes.codes[j];
    r.w[kNeltyp - 1 + k] = row.codes.count;
    r.w[kNfacet - 1 + k] = row.facets;
    r.w[kIfacet - 1 + k] = row.listStart;
    r.w[kNnfacet - 1 + k] = row.stride;
    r.w[kNcorner - 1 + k] = k + 1 == kThreeCornerClass ? 3 : shape.corners;
    r.w[kLinear - 1 + k] = shape.linear;
    r.w[kNfcorner - 1 + k] = shape.shapeCorners;
    r.w[kIedge - 1 + k] = shape.edgeList;
    r.w[kIorder - 1 + k] = row.order;
    r.w[kKind - 1 + k] = row.kind;
    r.w[kSubkind - 1 + k] = row.subkind;
    r.w[kFacetType - 1 + k] = row.facetType;
  }
  putLists(r, kFaceNodes, kNodeLists, std::size(kNodeLists));
  putLists(r, kEdgeNodes, kEdgeLists, std::size(kEdgeLists));
  return r;
}

}  // namespace

extern "C" constinit const CSURFACEDEF_t CSURFACEDEF = buildCatalogue();

namespace {

// ---- Queries ----------------------------------------------------------------------------------------

int word(int first, Int elementClass) { return rec::i(CSURFACEDEF, first + elementClass - 1); }

// True for a class of the catalogue; any other is reported in the routine's name.
bool knownClass(const Int* elementClass, std::string_view routine) {
  if (*elementClass >= 1 && *elementClass <= kClasses) return true;
  char text[96];
  const std::string_view head = "SYSTEM ERROR IN ";
  const std::string_view tail = " - ELEMENT CLASS %I IS NOT IN THE FACET CATALOGUE.";
  std::size_t n = 0;
  for (std::string_view part : {head, routine, tail})
    for (char c : part) text[n++] = c;
  zmx::geometry::report(zmx::geometry::kSystemError, {text, n}, {*elementClass});
  return false;
}

// Facet types whose facet number is its label number.
bool directGroup(Int elementClass) {
  switch (word(kFacetType, elementClass)) {
    case 0: case 9: case 10: case 12: case 13: return true;
    default: return false;
  }
}

constexpr int kLabelledSolidClass = 68;

bool solidLike(Int elementClass) {
  const int type = word(kFacetType, elementClass);
  return elementClass == kLabelledSolidClass ||
         (word(kKind, elementClass) == 3 && (type == 3 || type == 4 || type == 7));
}

bool shellLike(Int elementClass) {
  const int subkind = word(kSubkind, elementClass);
  return word(kKind, elementClass) == 3 && (subkind == 0 || subkind == 2) && word(kFacetType, elementClass) == 1;
}

constexpr std::string_view kLabels[] = {"S1", "S2", "S3", "S4", "S5", "S6", "SPOS",
                                        "SNEG", "E1", "E2", "E3", "E4", "TWOSIDED"};
constexpr int kLabelCount = 13;
constexpr Int kLabelLength = 8;
constexpr int kSpos = 7;
constexpr int kFirstEdgeLabel = 9;

// The label number of facet number n >= 0 (0 for a blank label).
int labelNumber(Int elementClass, long long n) {
  if (n < 1) return 0;
  if (directGroup(elementClass)) return n <= kLabelCount ? static_cast<int>(n) : 0;
  if (shellLike(elementClass) && n >= 3 && n <= 6) return static_cast<int>(n) - 3 + kFirstEdgeLabel;
  if (solidLike(elementClass)) return n <= 8 ? static_cast<int>(n) : 0;
  if (n <= 2) return static_cast<int>(n) - 1 + kSpos;
  return n <= 8 ? static_cast<int>(n) : 0;
}

}  // namespace

extern "C" {

void GETSURFACEFACETLABEL(const Int* elementClass, const Int* facet, char* label, Int labelLength) {
  int number = 0;
  if (knownClass(elementClass, "GETSURFACEFACETLABEL")) number = labelNumber(*elementClass, std::llabs(*facet));
  // A label is always 8 characters: a longer field keeps what stands after them, a shorter one
  // takes as many as it holds.
  fchar::assign(label, std::min<Int>(labelLength, kLabelLength), number == 0 ? std::string_view{} : kLabels[number - 1]);
}

void GETSURFACEFACETNUM(const Int* elementClass, const Int* face, Int* number) {
  *number = 0;
  const Int f = *face;
  if (!knownClass(elementClass, "GETSURFACEFACETNUM") || f == 0) return;
  if (directGroup(*elementClass))
    *number = f <= 6 ? f : 0;
  else if (solidLike(*elementClass))
    *number = f <= 2 ? f : 0;
  else
    *number = f <= 2 ? f + 6 : 0;
}

void GETSURFACEFACETTYPE(const Int* elementClass, Int* facetType) {
  *facetType = knownClass(elementClass, "GETSURFACEFACETTYPE") ? word(kFacetType, *elementClass) : 0;
}

void SHR_GET3DFACETSHAPE(const Int* elementClass, const Int* nodes, Int* shape) {
  *shape = 0;
  if (!knownClass(elementClass, "SHR_GET3DFACETSHAPE")) return;
  const Int k = *elementClass, m = *nodes;
  const int edges = word(kIedge, k), type = word(kFacetType, k);
  if (edges == 1 && m == 3)
    *shape = 1;
  else if (edges == 7 && m == 4)
    *shape = 2;
  else if (type == 13 || type == 14)
    *shape = m == 6 ? 7 : 8;
  else if (type == 9 && edges == 15 && m == 6)
    *shape = 3;
  else if (edges == 15 && m == 6)
    *shape = 4;
  else if (edges == 24 && m == 8)
    *shape = 5;
  else if (m == 9)
    *shape = 6;
}

void SHR_ISSHELL3DELEM(const Int* elementClass, const Int* facet, Logical* shell, Logical* edge) {
  *shell = *edge = kFalse;
  if (!knownClass(elementClass, "SHR_ISSHELL3DELEM")) return;
  const bool isShell = shellLike(*elementClass);
  const long long n = std::llabs(*facet);
  *shell = toLogical(isShell);
  *edge = toLogical(isShell && n >= 3 && n <= 6);
}

void FILICN(const Int* largest, Int* n, Int* table) {
  if (*n > *largest) *n = *largest;
  Int record = 0;
  Int* out = table;
  for (Int i = 1; i <= *n; ++i) {
    const Int a = 1 + i * (i - 1) / 2, b = a + i;
    for (Int j = 0; j < i; ++j) {
      for (Int value : {++record, a + j, b + j, b + j + 1}) *out++ = value;
      if (j < i - 1)
        for (Int value : {++record, a + j, b + j + 1, a + j + 1}) *out++ = value;
    }
  }
}

}  // extern "C"
