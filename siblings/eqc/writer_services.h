// Services of the eqc stand-in that the output-database writer calls: a bitwise and, the
// job-monitor report, the substructure's stored CGM, and the records of node and material data the
// writer reads and sets. (Name codes and record lengths: slide_line_codes.h.)
// Upper-case convention: every argument by pointer, a text followed by its length.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "runtime/record.h"

// Node-data state: word 6 the first slot of the boundary-condition table of the output-database
// writer in its work array.
ZMX_RECORD_TYPE(CNODE, 100);
// Material and connector types of the model: word 32 the connector-names flag.
ZMX_RECORD_TYPE(CMATYP, 100);

extern "C" {
ZMX_EXPORT extern CNODE_t CNODE;
ZMX_EXPORT extern CMATYP_t CMATYP;

// Bitwise and of the two integers.
ZMX_EXPORT Int LFC_XUT_AND(const Int* a, const Int* b);
// Report to the job monitor: a kind, a format with "%s" for the text, two integers and a text;
// status 0.
ZMX_EXPORT void IPM_MESSAGE(const char* kind, Int kindLength, const char* format, Int formatLength,
                            const Int* first, const Int* second, const char* text, Int textLength, Int* status);
}

namespace eqc_detail {
// DBSUP kind 21: the substructure's stored CGM as 4-byte integers (its count first) into array,
// at most capacity integers; status 1 when none is stored or it does not fit.
void readStoredModelCounts(void* array, Int capacity, Int* status);
}  // namespace eqc_detail

namespace eqc_testing {
struct JobMonitorMessage {
  std::string kind, format, text;  // without trailing blanks
  Int first = 0, second = 0;
};
ZMX_EXPORT std::vector<JobMonitorMessage> jobMonitorMessages();
ZMX_EXPORT void clearJobMonitorMessages();
// The substructure's stored CGM that DBSUP kind 21 reads (first value its count); an empty list
// stores none.
ZMX_EXPORT void setStoredModelCounts(const std::vector<Int>& words);
}  // namespace eqc_testing
