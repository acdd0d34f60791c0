// Switching the solver's current part map between a substructure's map and the job's global
// map, and clearing the substructure-output-database-open word at job exit.
#include "runtime/fortran_chars.h"
#include "siblings/eqc/records.h"
#include "siblings/inp/solver_part_map.h"
#include "siblings/utl/utl.h"
#include "zmx/storage.h"

namespace {
inp_SolverPartMap& partMap() { return *thr_ThreadSingleton<inp_SolverPartMap>::Instance(); }
}  // namespace

extern "C" {

void SHR_MAKEPRTMAPCURRENT(const char* name, Int nameLength) {
  const cow_String directory = thr_GlobalSingleton<utl_CommandLine>::Instance()->ConstGetValue("indir");
  const cow_String file = bcu_FtoCString(nameLength, name) + cow_String(".prt");
  partMap().MakeCurrent(utl_FilePath(file, directory).AbsolutePathName());
}

void SHR_MAKEGLOBALPRTMAPCURRENT() { partMap().MakeCurrent(); }

void SHR_CLOSENOSAVEPRTMAPCURRENT() { partMap().CloseNoSave(); }

void SHR_CLOSESUBSTRODB() { rec::i(CNDEXS, eqc_records::kSubstructureOdbOpen) = 0; }

}  // extern "C"
