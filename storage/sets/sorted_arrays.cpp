// Sorted structures kept in caller arrays: the rotation and split steps of a top-down red-black
// tree insertion over parallel 1-based arrays, and the removal of adjacent duplicate pairs.
#include "zmx/storage.h"

namespace {

constexpr Int kRed = 1;
constexpr Int kBlack = 0;

// Arrays are 1-based: node k is element k - 1.
struct Tree {
  const Int* keys;
  Int* left;
  Int* right;
  Int* colour;

  Int key(Int node) const { return keys[node - 1]; }
  Int& leftOf(Int node) const { return left[node - 1]; }
  Int& rightOf(Int node) const { return right[node - 1]; }
  void paint(Int node, Int value) const {
    if (node > 0) colour[node - 1] = value;
  }
  bool isRed(Int node) const { return node > 0 && colour[node - 1] == kRed; }
};

Int rotate(const Tree& tree, Int key, Int y) {
  if (y < 1) return 0;
  const bool onLeft = tree.key(y) > key;
  const Int c = onLeft ? tree.leftOf(y) : tree.rightOf(y);
  if (c < 1) return 0;
  Int g = 0;
  if (key >= tree.key(c)) {
    g = tree.rightOf(c);
    if (g < 1) return 0;
    tree.rightOf(c) = tree.leftOf(g);
    tree.leftOf(g) = c;
  } else {
    g = tree.leftOf(c);
    if (g < 1) return 0;
    tree.leftOf(c) = tree.rightOf(g);
    tree.rightOf(g) = c;
  }
  (onLeft ? tree.leftOf(y) : tree.rightOf(y)) = g;
  return g;
}

bool strictlyBetween(Int key, Int a, Int b) { return (key < a && b < key) || (a < key && key < b); }

}  // namespace

extern "C" {

Int NTRROT(const Int* key, const Int* y, const Int* keys, Int* left, Int* right, Int* colour) {
  return rotate(Tree{keys, left, right, colour}, *key, *y);
}

Int NTRSPL(const Int* key, const Int* greatGrandparent, const Int* grandparent, Int* parent, Int* node,
           const Int* keys, Int* left, Int* right, Int* colour, const Int* head) {
  const Tree tree{keys, left, right, colour};
  Int x = *node;
  if (x < 1) return 0;
  tree.paint(x, kRed);
  tree.paint(tree.leftOf(x), kBlack);
  tree.paint(tree.rightOf(x), kBlack);
  if (tree.isRed(*parent)) {
    tree.paint(*grandparent, kRed);
    if (*grandparent > 0 && strictlyBetween(*key, tree.key(*grandparent), tree.key(*parent)))
      *parent = rotate(tree, *key, *grandparent);
    x = rotate(tree, *key, *greatGrandparent);
    tree.paint(x, kBlack);
  }
  if (*head > 0) tree.paint(tree.rightOf(*head), kBlack);
  *node = x;
  return x;
}

void REMOVEDUPLICATEINT2(Int* a, Int* b, const Int* n, Int* count) {
  *count = 0;
  if (*n < 2) return;
  Int kept = 1;
  for (Int i = 1; i < *n; ++i) {
    if (a[i] == a[kept - 1] && b[i] == b[kept - 1]) continue;
    a[kept] = a[i];
    b[kept] = b[i];
    ++kept;
  }
  *count = *n - kept;
}

}  // extern "C"
