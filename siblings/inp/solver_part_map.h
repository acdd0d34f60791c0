// The solver part map of the inp stand-in: one object that selects the current part map, either
// the job's global map or the map loaded from a part-map file.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/utl/utl_singleton.h"
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
  friend class omi_Singleton<inp_SolverPartMap>;
  friend class omi_SingletonBase<inp_SolverPartMap>;
  inp_SolverPartMap() = default;

  std::string current_;
};

extern template class omi_SingletonBase<inp_SolverPartMap>;
extern template class omi_Singleton<inp_SolverPartMap>;

namespace inp_testing {

// The part-map calls since the last clear: "MakeCurrent <path>", "MakeCurrent", "CloseNoSave".
ZMX_EXPORT std::vector<std::string> partMapCalls();
ZMX_EXPORT void clearPartMapCalls();

}  // namespace inp_testing
