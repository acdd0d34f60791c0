#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "zmx/storage.h"

namespace {

// A red-black tree in parallel 1-based arrays, filled by top-down insertion: colour flips and
// rotations on the way down through NTRSPL, as a caller of the two routines does it. Node 1 is
// the head, whose right child is the root.
class ArrayTree {
 public:
  explicit ArrayTree(int capacity)
      : keys_(static_cast<std::size_t>(capacity) + 1), left_(keys_.size()), right_(keys_.size()), colour_(keys_.size()) {
    keys_[0] = INT_MIN;
    used_ = 1;
  }

  void insert(Int key) {
    const Int head = 1;
    Int x = head, parent = head, grand = head, great = head;
    while (x != 0) {
      great = grand;
      grand = parent;
      parent = x;
      x = key < keyOf(x) ? left(x) : right(x);
      if (x != 0 && isRed(left(x)) && isRed(right(x)))
        NTRSPL(&key, &great, &grand, &parent, &x, keys_.data(), left_.data(), right_.data(), colour_.data(), &head);
    }
    x = ++used_;
    keys_[static_cast<std::size_t>(x) - 1] = key;
    (key < keyOf(parent) ? left(parent) : right(parent)) = x;
    NTRSPL(&key, &great, &grand, &parent, &x, keys_.data(), left_.data(), right_.data(), colour_.data(), &head);
  }

  // Checks order, colours and black heights; gives the keys in order.
  std::vector<Int> walk(bool& valid) const {
    std::vector<Int> inOrder;
    valid = !isRed(root());
    blackHeight(root(), INT_MIN, INT_MAX, inOrder, valid);
    return inOrder;
  }

 private:
  Int root() const { return right_[0]; }
  Int keyOf(Int node) const { return keys_[static_cast<std::size_t>(node) - 1]; }
  Int& left(Int node) { return left_[static_cast<std::size_t>(node) - 1]; }
  Int& right(Int node) { return right_[static_cast<std::size_t>(node) - 1]; }
  Int leftOf(Int node) const { return left_[static_cast<std::size_t>(node) - 1]; }
  Int rightOf(Int node) const { return right_[static_cast<std::size_t>(node) - 1]; }
  bool isRed(Int node) const { return node != 0 && colour_[static_cast<std::size_t>(node) - 1] == 1; }

  int blackHeight(Int node, long low, long high, std::vector<Int>& inOrder, bool& valid) const {
    if (node == 0) return 1;
    const Int key = keyOf(node);
    if (key < low || key > high) valid = false;
    if (isRed(node) && (isRed(leftOf(node)) || isRed(rightOf(node)))) valid = false;
    const int leftHeight = blackHeight(leftOf(node), low, static_cast<long>(key) - 1, inOrder, valid);
    inOrder.push_back(key);
    const int rightHeight = blackHeight(rightOf(node), key, high, inOrder, valid);
    if (leftHeight != rightHeight) valid = false;
    return leftHeight + (isRed(node) ? 0 : 1);
  }

  std::vector<Int> keys_, left_, right_, colour_;
  Int used_ = 0;
};

TEST(RedBlackTree, RandomInsertionsKeepAValidTree) {
  for (unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 random(seed);
    std::vector<Int> keys(1500);
    for (std::size_t k = 0; k < keys.size(); ++k) keys[k] = static_cast<Int>(3 * k) - 1000;
    if (seed != 3) std::shuffle(keys.begin(), keys.end(), random);  // seed 3: ascending, the worst case
    ArrayTree tree(2000);
    std::multiset<Int> model;
    for (Int key : keys) {
      tree.insert(key);
      model.insert(key);
    }
    bool valid = false;
    const std::vector<Int> inOrder = tree.walk(valid);
    EXPECT_TRUE(valid) << seed;
    EXPECT_EQ(inOrder, std::vector<Int>(model.begin(), model.end()));
  }
}

TEST(RedBlackTree, RotationLiftsTheGrandchildOnTheKeysSide) {
  // y=1 (key 0) -> right c=2 (key 10) -> left g=3 (key 5) with children 4 (key 3), 5 (key 7).
  std::vector<Int> keys = {0, 10, 5, 3, 7};
  std::vector<Int> left = {0, 3, 4, 0, 0};
  std::vector<Int> right = {2, 0, 5, 0, 0};
  std::vector<Int> colour(5, 0);
  const Int key = 6;
  const Int y = 1;
  EXPECT_EQ(NTRROT(&key, &y, keys.data(), left.data(), right.data(), colour.data()), 3);
  EXPECT_EQ(right[0], 3);  // g took c's place under y
  EXPECT_EQ(right[2], 2);  // c is g's right child
  EXPECT_EQ(left[1], 5);   // g's former right child moved under c
}

TEST(RemoveDuplicatePairs, AdjacentEqualPairsAreDroppedAndCounted) {
  std::mt19937 random(4);
  std::uniform_int_distribution<Int> pick(0, 3);
  for (int n : {0, 1, 2, 50}) {
    std::vector<std::pair<Int, Int>> pairs(static_cast<std::size_t>(n));
    for (auto& p : pairs) p = {pick(random), pick(random)};
    std::sort(pairs.begin(), pairs.end());
    std::vector<Int> a, b;
    for (auto& p : pairs) {
      a.push_back(p.first);
      b.push_back(p.second);
    }
    const auto expected = std::vector<std::pair<Int, Int>>(pairs.begin(), std::unique(pairs.begin(), pairs.end()));
    Int count = -1;
    REMOVEDUPLICATEINT2(a.data(), b.data(), &n, &count);
    EXPECT_EQ(count, n - static_cast<Int>(expected.size()));
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(std::make_pair(a[k], b[k]), expected[k]);
  }
}

}  // namespace
