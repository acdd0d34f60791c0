// The degree-of-freedom list of small-sliding contact elements, one hand-written list per kind
// of element and list layout, with the edge cases: truncated master counts, offsets rounded half
// away from zero, negative offsets skipping the tail code, no master data.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "siblings/dm2/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact/small_sliding.h"

namespace {

using Words = std::vector<std::pair<int, Int>>;

class SmallSlidingSetup : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetModel();
  }
  struct Result {
    std::vector<Int> dofs;
    Int ndofs = -7, nmst = -7;
  };
  // An element of type code with the record words, master data V (variable 99) and flag F
  // (variable 54); dofs padded with -1 to the given size.
  Result run(Int code, Int d7, const Words& words, const std::vector<Real>& v, Int flag, std::vector<Int> dofs,
             std::size_t size) {
    dm2_testing::ElementType type{code, 0, d7, 0, words};
    dm2_testing::Element element;
    element.type = dm2_testing::addElementType(type);
    dm2_testing::Layout second;
    second.variables.push_back({99, false, v, {}, static_cast<Int>(v.size()), 1});
    dm2_testing::Layout first;
    first.variables.push_back({54, true, {}, {flag}, 0, 0});
    first.sublayouts.push_back(second);
    element.layout.sublayouts.push_back(first);
    const Int lay = dm2_testing::addElement(element);
    Result r;
    dofs.resize(size, -1);
    r.dofs = dofs;
    SHR_SETSMSLIDCONTACT(&lay, r.dofs.data(), &r.ndofs, &r.nmst);
    return r;
  }
};

TEST_F(SmallSlidingSetup, TailCodeTypesOpenTheTail) {
  // 294 with word 31: room d10 per master before the tail, extra code at t, own codes, tail codes.
  const Words w294{{8, 2}, {10, 2}, {25, 6}, {31, 1}, {35, 4}};
  const std::vector<Real> v{0, 2, 9, 9, 9, 9, 9, 9, 9, 9.2, 0.0, 2.5};  // L = 12 would give m = 2 too
  Result r = run(294, 2, w294, {0, 2, 9, 9, 9, 9, 9, 9, 0.0, 2.5}, 1, {1, 2, 101, 102, 201, 202}, 12);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 201, 202, 301, 302, 101, 14, 201, 211, 314, 202}));
  EXPECT_EQ(r.ndofs, 12);
  EXPECT_EQ(r.nmst, 2);
  // L - b = 10 is no multiple of 4: two master nodes, the extra code from V(b + 8).
  r = run(294, 2, w294, v, 1, {1, 2, 101, 102, 201, 202}, 12);
  EXPECT_EQ(r.nmst, 2);
  EXPECT_EQ(r.dofs[7], 9 + 11);
  // 296 with word 29: room d10 per master after the own block, extra code at r, tail code 8.
  r = run(296, 3, {{8, 2}, {10, 3}, {25, 7}, {29, 1}}, {0, 2, 9, 9, 9, 9, 4}, 1, {1, 2, 3, 101, 102, 103, 9}, 11);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 201, 202, 203, 101, 12, 103, 208, 9}));
  EXPECT_EQ(r.ndofs, 11);
  EXPECT_EQ(r.nmst, 1);
}

TEST_F(SmallSlidingSetup, PairTypesListBothWays) {
  // 4294 with word 52 <= 0: extra code at position 1, w33 codes per master from offset -2.5 -> -3.
  Result r = run(4294, 2, {{25, 4}, {33, 2}}, {0, 2, 9, 9, 9, 9, 9, 9, -2.5, 1.0}, 1, {1, 2, 3, 4}, 8);
  EXPECT_EQ(r.dofs, (std::vector<Int>{12, 208, 209, 312, 313, 2, -1, -1}));
  EXPECT_EQ(r.ndofs, 8);
  EXPECT_EQ(r.nmst, 2);
  // 4294 with word 52 > 0: the tail opened by m, code 9 per master, a negative offset skips its
  // tail code.
  r = run(4294, 2, {{8, 2}, {25, 6}, {35, 3}, {52, 1}, {53, 1}}, {0, 2, 9, 9, 9, 9, 9, 9, -1, 0}, 1,
          {1, 2, 3, 4, 5, 6}, 10);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 209, 309, 4, 11, 4, 311, 6, -1, 6}));
  EXPECT_EQ(r.ndofs, 10);
  EXPECT_EQ(r.nmst, 2);
}

TEST_F(SmallSlidingSetup, PlainListAndMissingMasterData) {
  // 294 without switches: own block copied past the masters, d7 codes and code 5 per master.
  Result r = run(294, 2, {{10, 3}, {25, 6}}, {0, 2, 9, 9, 9, 9}, 1, {1, 2, 5, 101, 102, 105}, 12);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 5, 301, 302, 305, 401, 402, 405, 101, 102, 105}));
  EXPECT_EQ(r.ndofs, 12);
  EXPECT_EQ(r.nmst, 2);
  // 296 without switches: groups of 3 reals, (8 - 2 + 1) / 3 = 2 masters; dofs 4-6 copied past
  // the masters' d7 codes each, the list d10 m + N long.
  r = run(296, 3, {{10, 3}, {25, 6}}, {0, 2, 9, 9, 9, 9, 9, 9}, 1, {1, 2, 3, 101, 102, 103}, 12);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 301, 302, 303, 401, 402, 403, 101, 102, 103}));
  EXPECT_EQ(r.ndofs, 12);
  EXPECT_EQ(r.nmst, 2);
  // F = 0 with word 31: no master nodes; the last entry moves to w35 + 2.
  const Words w31{{8, 2}, {10, 2}, {25, 6}, {31, 1}, {35, 3}};
  const std::vector<Int> own{1, 2, 3, 4, 5, 6};
  r = run(294, 2, w31, {0, 2, 9, 9, 9, 9}, 0, own, 6);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 4, 6, 6}));
  EXPECT_EQ(r.ndofs, 5);
  EXPECT_EQ(r.nmst, 0);
  // An index b past the end of variable 99 counts as no master data.
  r = run(294, 2, w31, {0, 50, 9, 9, 9, 9}, 1, own, 6);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 4, 6, 6}));
  EXPECT_EQ(r.nmst, 0);
  // Word 29 with no master data: the same with position 2; a list of that length stays, and so
  // does the caller's length, which no path sets here.
  r = run(296, 3, {{25, 2}, {29, 1}}, {0, 2}, 0, {7, 8}, 2);
  EXPECT_EQ(r.dofs, (std::vector<Int>{7, 8}));
  EXPECT_EQ(r.ndofs, -7);
  r = run(294, 2, {{8, 2}, {10, 2}, {25, 5}, {31, 1}, {35, 3}}, {0, 2}, 0, {1, 2, 3, 4, 5}, 5);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(r.ndofs, -7);
  // A pair type with word 52 and no master nodes: list 2 appends nothing and sets no length.
  r = run(4294, 2, {{8, 2}, {25, 4}, {35, 3}, {52, 1}}, {0, 2}, 0, {1, 2, 3, 4}, 4);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3, 4}));
  EXPECT_EQ(r.ndofs, -7);
  EXPECT_EQ(r.nmst, 0);
  // Other element types make no room and keep the length.
  r = run(123, 2, {{25, 3}}, {0, 2, 9, 9}, 1, {1, 2, 3}, 3);
  EXPECT_EQ(r.dofs, (std::vector<Int>{1, 2, 3}));
  EXPECT_EQ(r.ndofs, 3);
  EXPECT_EQ(r.nmst, 0);
  SLIDEPLANE_GEOM();
}

}  // namespace
