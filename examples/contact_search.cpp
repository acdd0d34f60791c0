// The host's road of one contact search: a rigid plate of eight triangles, its search tree built
// once, then a slave point searched cold through the tree and again, a little moved, warm from the
// contact the first search handed back.
#include <cstdio>
#include <vector>

#include "zmx/contact.h"

void searchOneSlavePoint() {
  std::printf("the road of one contact search on a rigid plate:\n");
  // Nodes (i, j) of a 3 x 3 grid in z = 0, node 1 + 3 i + j; two triangles a square.
  std::vector<double> coords;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) coords.insert(coords.end(), {1.0 * i, 1.0 * j, 0.0});
  const int ldFacet = 10, ldEdge = 4;
  std::vector<int> facets, edges, edgeFacets, elements;
  std::vector<std::vector<int>> atNode(10);
  std::vector<std::vector<int>> edgeNodes;
  const auto edgeOf = [&](int a, int b, int f) {
    for (std::size_t e = 0; e < edgeNodes.size(); ++e)
      if ((edgeNodes[e][0] == a && edgeNodes[e][1] == b) || (edgeNodes[e][0] == b && edgeNodes[e][1] == a)) {
        edges[ldEdge * e] = 2;
        edgeFacets[2 * e + 1] = f;
        return static_cast<int>(e) + 1;
      }
    edgeNodes.push_back({a, b});
    edges.insert(edges.end(), {1, a, b, 0});
    edgeFacets.insert(edgeFacets.end(), {f, 0});
    return static_cast<int>(edgeNodes.size());
  };
  int f = 0;
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      const int a = 1 + 3 * i + j, b = a + 3, c = b + 1, d = a + 1;
      for (const auto& t : {std::vector<int>{a, b, c}, std::vector<int>{a, c, d}}) {
        ++f;
        std::vector<int> column(ldFacet, 0);
        column[0] = 3, column[1] = 3;
        for (int k = 0; k < 3; ++k) {
          column[3 + k] = edgeOf(t[k], t[(k + 1) % 3], f);
          column[7 + k] = t[k];
          atNode[t[k]].push_back(f);
        }
        facets.insert(facets.end(), column.begin(), column.end());
        elements.push_back(100 + f);
      }
    }
  // Facets at each node, with the node's place in each facet.
  const int ldNodeFacets = 13;
  std::vector<int> nodeFacets(ldNodeFacets * 9, 0), freeVertices = {1, 2, 3, 4, 6, 7, 8, 9};
  for (int n = 1; n <= 9; ++n) {
    int* column = &nodeFacets[ldNodeFacets * (n - 1)];
    const int m = static_cast<int>(atNode[n].size());
    column[0] = m;
    for (int k = 0; k < m; ++k) {
      column[1 + k] = atNode[n][k];
      for (int p = 0; p < 3; ++p)
        if (facets[ldFacet * (atNode[n][k] - 1) + 7 + p] == n) column[1 + m + k] = p + 1;
    }
  }
  const int nf = f, nn = 9, offset = 0, three = 3, nfree = 8, unused = 0, split = 0, quadratic = 0, noDisp = 0;
  const std::vector<double> size(nf, 2.0);
  const double surfaceSize = 2.0, margin = 0.5, extension = 0.1, scale = 0.0;
  std::vector<double> block(2000, 0.0);
  int capacity = 2000;
  SHR_CREATESRCHDBDEFVSRIGID(&nf, facets.data(), &ldFacet, &offset, coords.data(), &three, block.data(),
                             reinterpret_cast<int*>(block.data()), &capacity, &margin);
  std::printf("  search tree of %d facets: %d nodes\n", nf, reinterpret_cast<int*>(block.data())[4]);
  std::vector<double> nodeDistance(nn), bound(nf), real(44), slots(48);
  std::vector<int> candidates(nf);
  int kind = 0, entity = 0, count = 0;
  const double points[2][3] = {{1.4, 0.7, 0.25}, {1.45, 0.72, 0.24}};
  for (const double* p : points) {
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facets.data(), &ldFacet, edges.data(), &ldEdge, edgeFacets.data(),
                           nodeFacets.data(), freeVertices.data(), &nfree, size.data(), &surfaceSize, &nn, &offset,
                           &unused, &ldNodeFacets, p, coords.data(), &three, nodeDistance.data(), bound.data(),
                           candidates.data(), slots.data(), real.data(), &split, &quadratic, "PLATE   ", 8, &kind,
                           &entity, &count, &extension, block.data(), &scale, &scale, &noDisp);
    std::printf("  point (%.2f, %.2f, %.2f): kind %d entity %d, signed distance %.4f, foot (%.4f, %.4f, %.4f), "
                "%d in a row\n",
                p[0], p[1], p[2], kind, entity, real[0], real[7], real[8], real[9], count);
  }
}
