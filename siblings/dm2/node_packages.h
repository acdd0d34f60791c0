// Node packages of the analysis database as the output-database writer reads them: the node
// database of an analysis database and node packages opened and closed around the node reads.
// (The nodes' flag words: element_numbers.h.) Upper-case convention: every argument by pointer.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

extern "C" {
// The node database of the analysis database (the stand-in keeps one model).
ZMX_EXPORT Int ADB_GETNDB(const Int* analysisDatabase);
// Opens a node package over the node database for the request (62 integers); the result is the
// handle that the node-variable reads (ADB_GETVARNDR) take, here the node database itself.
ZMX_EXPORT Int ADB_OPENNDPKG(const Int* nodeDatabase, const Int* request);
ZMX_EXPORT void ADB_CLOSENDPKG(const Int* nodeDatabase, const Int* request);
}

namespace dm2_testing {
// The third integer of each package request, in call order (2 open, 1 close).
ZMX_EXPORT std::vector<Int> nodePackageRequests();
// Number of packages opened and not yet closed.
ZMX_EXPORT int openNodePackages();
// Forgets the requests and the nodes' flag words.
ZMX_EXPORT void resetNodePackages();
}  // namespace dm2_testing
