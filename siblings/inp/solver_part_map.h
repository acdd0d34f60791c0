// The solver part map of the inp stand-in: one object that selects the current part map, either
// the job's global map or the map loaded from a part-map file.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/utl/thread_singleton.h"
#include "siblings/utl/utl.h"

class ZMX_EXPORT inp_SolverPartMap {
 public:
  // Loads the map of the file and makes it current.
  void MakeCurrent(const cow_String& path);
  // Makes the job's global map current.
  void MakeCurrent();
  // Closes the current map without writing it; the global map is current afterwards.
  void CloseNoSave();

  // "" while the global map is current, else the path of the current map.
  const std::string& CurrentPath() const { return current_; }

 private:
  friend class thr_ThreadSingleton<inp_SolverPartMap>;
  inp_SolverPartMap() = default;

  std::string current_;
};

template <>
ZMX_EXPORT inp_SolverPartMap* thr_ThreadSingleton<inp_SolverPartMap>::Instance();
template <>
ZMX_EXPORT void thr_ThreadSingleton<inp_SolverPartMap>::Finalize();

namespace inp_testing {

// The part-map calls since the last clear: "MakeCurrent <path>", "MakeCurrent", "CloseNoSave".
ZMX_EXPORT std::vector<std::string> partMapCalls();
ZMX_EXPORT void clearPartMapCalls();

}  // namespace inp_testing
