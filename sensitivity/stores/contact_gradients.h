// Contact-gradient records per surface and identifier, kept in a table that the sensitivity
// state holds. Records live in blocks of 16 that never move, so a record's address stays valid
// while the table lives.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/utl/utl.h"

class ZMX_EXPORT dsa_ContactGrad {
 public:
  static constexpr Int kWidth = 10;
  dsa_ContactGrad() = default;
  dsa_ContactGrad(const cow_String& name, Int id, Int d);
  dsa_ContactGrad(const dsa_ContactGrad& other);
  dsa_ContactGrad& operator=(const dsa_ContactGrad& other);
  ~dsa_ContactGrad();
  Int IsRecord(Int id, const char* name) const;

  cow_String name;
  Int id = 0;
  Int d = 0;
  Real* gradients = nullptr;  // d x width reals
  Int width = 0;
};

class ZMX_EXPORT dsa_ContactDb {
 public:
  static constexpr Int kBlockRecords = 16;
  dsa_ContactDb() = default;
  ~dsa_ContactDb();
  dsa_ContactDb(const dsa_ContactDb&) = delete;
  dsa_ContactDb& operator=(const dsa_ContactDb&) = delete;

  // Find or add.
  dsa_ContactGrad& GradRec(const char* name, Int id, Int d);
  // Find; a miss is reported and gives the default record of the slot after the last.
  dsa_ContactGrad& GradRec(const char* name, Int id);
  Int GetIndex(const char* name, Int id) const;
  Int isDesignPresent(Int id) const;
  Int Count() const { return n_; }
  // Address word of record i (made when needed).
  Int Word(Int i);

 private:
  struct Block {
    std::array<dsa_ContactGrad, kBlockRecords> records;
    Int word = 0;
  };
  dsa_ContactGrad& record(Int i);
  Int n_ = 0;
  std::vector<std::unique_ptr<Block>> blocks_;
};
