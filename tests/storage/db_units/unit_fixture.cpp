#include "tests/storage/db_units/unit_fixture.h"

#include <functional>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/unit_records.h"
#include "zmx/storage.h"

namespace zmxtest {

namespace {
template <class R>
void setUnit(R& record, int pageLengthWord, Int pageLength, Int fileUnit) {
  rec::i(record, pageLengthWord) = pageLength;
  rec::i(record, pageLengthWord + 1) = fileUnit;
}
}  // namespace

void UnitFixture::SetUp() {
  HostFixture::SetUp();
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  // Short: library file names with their directory must fit 80 characters.
  const std::size_t id = std::hash<std::string>{}(std::string(info->test_suite_name()) + "." + info->name());
  jobDirectory_ = scratchFolder("u" + std::to_string(id % 100000000)) + "/";
  rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, jobDirectory_);
  rec::setChars(CJBPAR, eqc_records::kJobNameFirst, eqc_records::kJobStringLength, "job");
}

void UnitFixture::TearDown() {
  clearUnits();
  HostFixture::TearDown();
}

void UnitFixture::clearUnits() {
  eqc_units::closeAll();
  if (spaceWord_ != 0) mem32::unmap(spaceWord_);
  spaceWord_ = 0;
  rec::clear(CDBPP);
  rec::clear(CSP);
  rec::clear(CDSUS);
  rec::clear(CDSEL);
  rec::clear(CDHY);
  rec::clear(CDML);
  rec::clear(CDND);
  rec::clear(CDSL);
  rec::clear(CDRR);
  rec::clear(CDRW);
  rec::clear(CDM);
  rec::clear(CDME);
  rec::clear(CDIC);
  rec::clear(CSIZE);
  rec::clear(CDSELF);
  rec::clear(CDSMNX);
  rec::clear(CDSINX);
}

void UnitFixture::newSession() {
  clearUnits();
  shr_finalize(counter_);
  shr_initialize(counter_);
  rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, jobDirectory_);
}

void UnitFixture::makePools(Int slots, Int pageLength) {
  pageLength_ = pageLength;
  space_.assign(static_cast<std::size_t>(slots) * static_cast<std::size_t>(pageLength), 0.0);
  spaceWord_ = mem32::map(space_.data(), space_.size() * sizeof(Real), mem32::tag("WORK"));
  rec::i(CSP, eqc_records::kWorkSpaceBase) = spaceWord_;
  for (Int slot = 1; slot <= slots; ++slot) rec::i(CDBPP, 20 + slot) = (slot - 1) * pageLength + 1;
  rec::i(CDBPP, 61) = slots;
  setUnit(CDSUS, 1, pageLength, 33);
  setUnit(CDSEL, 1, pageLength, 39);
  setUnit(CDHY, 1, pageLength, 36);
  setUnit(CDML, 1, pageLength, 37);
  setUnit(CDND, 1, pageLength, 38);
  setUnit(CDSL, 1, pageLength, 40);
  setUnit(CDRR, 1, pageLength, 42);
  setUnit(CDRW, 2, pageLength, 43);
}

Real* UnitFixture::pool(Int slot) { return space_.data() + static_cast<std::size_t>(slot - 1) * pageLength_; }

Int UnitFixture::op(Int operation, Int unit, Int n) {
  DBALOC(&operation, &unit, &n);
  return operation == 3 || operation == 4 ? unit : n;
}

Int& UnitFixture::owner(Int slot) { return rec::i(CDBPP, slot); }
Int& UnitFixture::inUse(Int slot) { return rec::i(CDBPP, 40 + slot); }

}  // namespace zmxtest
