// A program outside the tree, built against the installed library: it brings the library up,
// calls one routine of each subsystem through the installed headers and takes it down again.
#include <cstdio>
#include <cstring>

#include "zmx/contact.h"
#include "zmx/elements.h"
#include "zmx/geometry.h"
#include "zmx/import.h"
#include "zmx/messages.h"
#include "zmx/model.h"
#include "zmx/numerics.h"
#include "zmx/odb.h"
#include "zmx/sensitivity.h"
#include "zmx/storage.h"

int main() {
  int modules = 0;
  shr_initialize(modules);
  if (modules <= 0) return 1;

  // Storage: a handle-based map keeps what it is given.
  const Int handle = SHR_MAPINT2INTCREATE();
  const Int key = 7, value = 42;
  Int found = 0;
  SHR_MAPINT2INTINSERT(handle, &key, &value);
  found = SHR_MAPINT2INTGET(handle, &key);
  SHR_MAPINT2INTDELETE(handle);

  // Numerics: three reals come back in ascending order.
  Real three[3] = {3.0, 1.0, 2.0};
  ASORTA(three);

  // Surface geometry: the facet catalogue names the cylindrical facets of class 171.
  const Int elementClass = 171;
  Int facetType = 0;
  GETSURFACEFACETTYPE(&elementClass, &facetType);

  // Model data: the counts of four degree-of-freedom kinds with their running sums.
  Int ncum[8] = {};
  const Int n1 = 3, n2 = 0, n3 = 2, n4 = 1;
  DOFCOUNT(ncum, &n1, &n2, &n3, &n4);

  // Contact search: a rigid surface of no facets gives the empty tree header.
  double block[8] = {};
  Int capacity = 8, none = 0, d = 3;
  const Real margin = 0.0;
  SHR_CREATESRCHDBDEFVSRIGID(&none, nullptr, &capacity, &none, nullptr, &d, block, reinterpret_cast<Int*>(block),
                             &capacity, &margin);
  Int header[2];
  std::memcpy(header, block, sizeof header);

  // Element library: the 2 x 2 extrapolation to four nodes carries a constant field unchanged.
  Real w[16] = {};
  const Int fourNodes = 4, fullRule = 1;
  LX22(w, &fourNodes, &fullRule);
  Real rowSum = 0;
  for (int k = 0; k < 4; ++k) rowSum += w[4 * k];

  // Messages: a formatted message line goes to the message unit.
  const char format[] = "CONSUMER MESSAGE %I";
  const Int integer = 1;
  const Real real = 0;
  KVXMES(format, static_cast<Int>(sizeof format - 1), &real, &integer, " ", 1);

  // Output database: the descriptor list is emptied for a new database.
  const Int empty = 0;
  ODBDYN(&empty);

  // Design sensitivity: the name of a sensitivity output variable.
  char outName[kDsaOutputNameRoom];
  dsa_OutputName("U", outName, 7);

  // Import and design sensitivity: their modules come up with the library.
  int again = 0;
  edi_initialize(again);
  edi_finalize(again);
  dsa_initialize(again);
  dsa_finalize(again);

  shr_finalize(modules);
  const bool ok = found == 42 && three[0] == 1.0 && three[2] == 3.0 && modules == 0 && facetType == 14 &&
                  ncum[4] == 6 && ncum[7] == 5 && header[0] == 4 &&
                  rowSum > 1 - 1e-12 && rowSum < 1 + 1e-12 && std::strncmp(outName, "d_ U", 4) == 0;
  std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
