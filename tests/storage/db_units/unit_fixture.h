// A host with a work space of page pools: the work space is a block of 8-byte words laid into
// the address space with its byte address in CSP word 3; CDBPP names the pools; every paged
// unit gets its page length and file unit; the unit files go to a scratch job directory.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage/results.h"

namespace zmxtest {

class UnitFixture : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Lays out `slots` pools of `pageLength` words each (slot i at base word (i - 1) pageLength + 1).
  void makePools(Int slots, Int pageLength);
  // What the end of a host session and a new process leave: the files only. The library is
  // finalised and brought up again with every unit record cleared.
  void newSession();
  void clearUnits();
  // Words of the pool of a slot.
  Real* pool(Int slot);

  Int op(Int operation, Int unit, Int n = 1);  // DBALOC; returns n (or unit for packing)
  Int& owner(Int slot);
  Int& inUse(Int slot);

  std::string jobDirectory_;
  Int pageLength_ = 0;
  std::vector<Real> space_;
  Int spaceWord_ = 0;
};

// A sequential unit's blocks written and read through DBSEQ with a buffer and block state of
// its own.
struct OwnStream {
  Int unit;
  std::vector<Real> buffer = std::vector<Real>(512);
  Int position = 513, blockLength = 512, blocks = 0, state = 0, status = 0;

  void call(Int operation, std::vector<Real>* data = nullptr) {
    const Int count = data != nullptr ? static_cast<Int>(data->size()) : 0;
    DBSEQ(&operation, buffer.data(), data != nullptr ? data->data() : nullptr, &count, &position, &unit, &blockLength,
          &blocks, &state, &status);
  }
};

}  // namespace zmxtest
