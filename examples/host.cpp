// A small host program that walks the library's main roads as an analysis program would:
// bring the library up, register the surfaces of a model, read them back, report check failures
// and file them under their message keys, drain them into printed lines and sets, print the
// heading notice, write and read a results file, use the data-base units, and take the library
// down. It works in a scratch folder of its own, which it removes at the end, so the files the
// roads make never land in the folder it was started from.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "siblings/eqc/unit_records.h"
#include "siblings/glo/ddb_access.h"
#include "zmx/messages.h"
#include "zmx/storage.h"

namespace {

void registerSurface(const char* name, const Int* firstList, const Int* secondList, Int n) {
  if (SHR_ADDSURFACE(name, static_cast<Int>(std::strlen(name)), &n) != 0) {
    std::printf("  surface %s could not be added\n", name);
    return;
  }
  Int operation = 1, count = 0;
  Int* first = mem32::at<Int>(SHR_ACCESSSURFACE(&operation, &count), static_cast<std::size_t>(n));
  operation = 2;
  Int* second = mem32::at<Int>(SHR_ACCESSSURFACE(&operation, &count), static_cast<std::size_t>(n));
  if (first == nullptr || second == nullptr) return;
  std::memcpy(first, firstList, sizeof(Int) * static_cast<std::size_t>(n));
  std::memcpy(second, secondList, sizeof(Int) * static_cast<std::size_t>(n));
  SHR_CLOSESURFACE();
}

void printSurface(const char* name) {
  Int status = 0;
  SHR_OPENSURFACE(name, static_cast<Int>(std::strlen(name)), &status);
  if (status != 0) {
    std::printf("  surface %s: not found\n", name);
    return;
  }
  Int operation = 0, n = 0;
  SHR_ACCESSSURFACE(&operation, &n);
  operation = 1;
  Int count = 0;
  const Int* first = mem32::at<Int>(SHR_ACCESSSURFACE(&operation, &count), static_cast<std::size_t>(n));
  operation = 2;
  const Int* second = mem32::at<Int>(SHR_ACCESSSURFACE(&operation, &count), static_cast<std::size_t>(n));
  std::printf("  surface %-8s %d entries:", name, n);
  for (Int k = 0; k < n && first != nullptr && second != nullptr; ++k) std::printf(" (%d,%d)", first[k], second[k]);
  std::printf("\n");
  SHR_CLOSESURFACE();
}


// Data-base units: a work space of page pools; a substructure library made, closed and opened
// again, its node records read through the node unit; then node and restart records written
// through their paged units and read back.
void walkDataBaseUnits() {
  const std::filesystem::path folder = std::filesystem::current_path() / "units";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string directory = folder.string() + "/";
  rec::setChars(CJBPAR, eqc_records::kJobNameFirst, eqc_records::kJobStringLength, "host");
  rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, directory);
  rec::setChars(CJBPAR, eqc_records::kSecondDirectoryFirst, eqc_records::kJobStringLength, directory);
  rec::setChars(CJBPAR, eqc_records::kLibraryNamesFirst, 500 * 80, "");

  constexpr Int kPools = 8, kPageWords = 64;
  std::vector<Real> space(kPools * kPageWords);
  const Int spaceWord = mem32::map(space.data(), space.size() * sizeof(Real), mem32::tag("WORK"));
  rec::i(CSP, eqc_records::kWorkSpaceBase) = spaceWord;
  for (Int slot = 1; slot <= kPools; ++slot) rec::i(CDBPP, 20 + slot) = (slot - 1) * kPageWords + 1;
  rec::i(CDBPP, 61) = kPools;
  for (auto* words : {CDSEL.w, CDND.w, CDRR.w}) {
    words[0] = kPageWords;
    words[1] = words == CDSEL.w ? 29 : words == CDND.w ? 30 : 31;
  }
  CDRW.w[1] = kPageWords;
  CDRW.w[2] = 32;
  Int unit = 9, n = 2;
  const Int give = 0, close = 5, read = 0, write = 1;
  DBALOC(&give, &unit, &n);

  // A library with one substructure of three node records, as a generating job leaves it.
  const std::string library = directory + "SUBLIB";
  rec::setChars(CDSELF, 1, 80, library);
  rec::i(CDSEL, eqc_records::kSelOpenLibrary) = 1;
  SUPOPN();
  Int index = rec::i(CDSEL, eqc_records::kSelWordsInUse) + 1, status = 0;
  std::fill(CDSINX.w, CDSINX.w + 140, 0);
  rec::i(CDSINX, eqc_records::kSubstructureId) = 1;
  rec::i(CDSINX, eqc_records::kNodeRecordLength) = 3;
  rec::i(CDSINX, eqc_records::kNodeRecordsStart) = index + 140;
  const Int indexKind = 1, nodeKind = 9, none = 0, three = 3;
  DBSUP(&write, &indexKind, &index, CDSINX.w, &none, &status);
  for (Int node = 1; node <= 3; ++node) {
    Real record[3] = {node * 1.0, node * 10.0, node * 100.0};
    DBSUP(&write, &nodeKind, &node, record, &three, &status);
  }
  rec::i(CDSMNX, eqc_records::kSubstructures) = 1;
  SUPCLS();
  for (const char* kind : {".stt", ".mdl"}) std::ofstream(directory + "Z1_b" + kind) << "substructure Z1\n";

  // Open it again and read its node records through the node unit.
  Int request = 1, prtFlag = 0, row = 0, state = -1, odb = -1, limit = 0;
  Int operation = 2;
  std::string second(160, ' '), third(160, ' '), fourth(160, ' ');
  fourth.replace(0, 2, "Z1");
  std::string name(80, ' ');
  name.replace(0, 6, "SUBLIB");
  DBSUPERLIB(&operation, &request, &status, &prtFlag, &row, &state, &odb, &limit, nullptr, name.data(), 80,
             second.data(), 160, third.data(), 160, fourth.data(), 160);
  std::printf("substructure library SUBLIB open (library %d), substructure %d:\n",
              rec::i(CDSEL, eqc_records::kSelOpenLibrary), rec::i(CDSINX, eqc_records::kSubstructureId));
  for (Int node = 1; node <= 3; ++node) {
    Real record[3] = {};
    DBND(&read, record, &node);
    std::printf("  node %d: %g %g %g\n", node, record[0], record[1], record[2]);
  }
  request = 0;
  DBSUPERLIB(&operation, &request, &status, &prtFlag, &row, &state, &odb, &limit, nullptr, name.data(), 80,
             second.data(), 160, third.data(), 160, fourth.data(), 160);

  // Node records of the analysis through the paged unit 18, with fewer pages than records need.
  unit = 18;
  n = 2;
  DBALOC(&give, &unit, &n);
  rec::i(CDND, 24) = 4;
  for (Int node = 1; node <= 200; ++node) {
    Real record[4] = {node * 1.0, node + 0.25, node + 0.5, node + 0.75};
    DBND(&write, record, &node);
  }
  Int same = 0;
  for (Int node = 1; node <= 200; ++node) {
    Real record[4] = {};
    DBND(&read, record, &node);
    same += record[0] == node && record[3] == node + 0.75 ? 1 : 0;
  }
  std::printf("node records through unit 18: %d of 200 read back equal\n", same);

  // Restart records written through unit 23 and read back at their addresses.
  unit = 23;
  n = 1;
  DBALOC(&give, &unit, &n);
  Int address = 1;
  for (Int k = 1; k <= 3; ++k) {
    std::vector<Real> record(static_cast<std::size_t>(2 + k), k * 1.5);
    rec::setSlotI(record.data(), 1, 2 + k);
    DBRE(&write, record.data(), &address, &status);
  }
  std::printf("restart records:");
  for (Int k = 1, at = 1; k <= 3; ++k) {
    Real record[8] = {};
    DBRE(&read, record, &at, &status);
    std::printf(" [%d words, %g]", rec::slotI(record, 1), record[1]);
  }
  std::printf("; highest address %d\n", rec::i(CDRW, 10));

  for (Int u : {9, 18, 23}) {
    unit = u;
    DBALOC(&close, &unit, &n);
  }
  eqc_units::closeAll();
  mem32::unmap(spaceWord);
  rec::i(CSP, eqc_records::kWorkSpaceBase) = 0;
  std::filesystem::remove_all(folder);
}


// The road of one message: checks report entities and file them under message keys; at the end
// of the phase the host drains the keys into one line each and a set of the entities each.
void fileUnderKey(Int key, Int element, Int node, const std::string& text) {
  const Int level = -2, fileEntity = 1, none = 0;
  const Real noReal = 0.0;
  KVXNERR1(&level, text.data(), static_cast<Int>(text.size()), &none, &noReal, " ", 1, &element, &node);
  MSGACCESS(&fileEntity, element != 0 ? &element : &node, &key);
}

void printSet(bool elements, const char* name) {
  std::string field(name);
  field.resize(80, ' ');
  const Int lookUp = 5;
  Int count = 0, status = 0;
  const Int word = elements ? DBESET(&lookUp, field.data(), 80, &count, nullptr, &status)
                            : DBNSET(&lookUp, field.data(), 80, &count, nullptr, &status);
  std::printf("  %s set %s:", elements ? "element" : "node", name);
  const Int* members = status == 0 && count > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(count)) : nullptr;
  for (Int k = 0; members != nullptr && k < count; ++k) std::printf(" %d", members[k]);
  std::printf("\n");
}

void walkMessageRoad() {
  rec::i(CLINES, eqc_records::kPrintUnit) = 6;
  rec::i(CLINES, eqc_records::kMessageUnit) = 6;
  int count = 0, status = 0;
  dbesetC(0, nullptr, count, nullptr, status);
  dbnsetC(0, nullptr, count, nullptr, status);

  std::printf("pre-processor checks: elements 17 and 23 under -2130, node 5 under -1001; the drain:\n");
  std::fflush(stdout);
  fileUnderKey(-2130, 17, 0, "ELEMENT %E HAS AN INVALID LOCAL NODE NUMBER");
  fileUnderKey(-2130, 23, 0, "ELEMENT %E HAS AN INVALID LOCAL NODE NUMBER");
  fileUnderKey(-1001, 0, 5, "NODE %N HAS NO COORDINATES");
  const Int print = 0, preProcessor = 0, analysis = 1, none = 0;
  Int step = 1, increment = 1;
  SHR_MSGPRINT(&print, &preProcessor, &step, &increment, &none, &none);
  std::fflush(stdout);
  printSet(true, "ErrElemLocalNodeNumber");
  printSet(false, "ErrNodeMissingCoords");

  std::printf("analysis, step 2 increment 14: a zero pivot at node 40 (key -3060) and key 4242 that no "
              "catalogue holds; the drain:\n");
  std::fflush(stdout);
  fileUnderKey(-3060, 0, 40, "ZERO PIVOT AT NODE %N");
  fileUnderKey(4242, 0, 41, "NODE %N FAILED A CHECK OF ITS OWN");
  step = 2;
  increment = 14;
  SHR_MSGPRINT(&print, &analysis, &step, &increment, &none, &none);
  std::fflush(stdout);
  for (const auto& set : glo_testing::nodeElemSets()) {
    std::printf("  %s set %s in the running analysis:", set.kind == 1 ? "element" : "node", set.name.c_str());
    for (const int member : set.members) std::printf(" %d", member);
    std::printf("\n");
  }

  std::printf("heading notice:\n");
  std::fflush(stdout);
  IFC_GETVERSIONNUMBER(&rec::i(CLINES, 1));
  ::setenv("VELTRO_SEQ", "example-host-build", 0);
  const Logical notNuclear = kTrue;
  PHNOTE(&none, &notNuclear);
  fio::flush(6);
}
}  // namespace

namespace {

// A results file in each form: an analysis writes records on unit 8 (binary) and unit 14 (ASCII),
// and a user program declares both units, makes each current in turn and reads it to its end.
void resultsFileRoundTrip() {
  std::filesystem::create_directories("results");
  const std::string name = "results/demo";
  const Int units[] = {8, 2, 14, 1};
  const Int count = 2, binaryOutput = 2;

  std::printf("results file \"%s\" written in both forms and read back:\n", name.c_str());
  SHR_INITPF(name.data(), static_cast<Int>(name.size()), &count, units, &binaryOutput);
  for (const Int unit : {Int{8}, Int{14}}) {
    SHR_DBRNU(&unit);
    const Int write = 1, end = 10;
    Int status = 0;
    Real heading[] = {6, 1922, 0, 0, 0, 0};
    std::memcpy(&heading[2], "DEMO JOB STEP 1 ", 16);
    std::memcpy(&heading[4], "INCR 1  LOAD    ", 16);
    SHR_DBFILE(&write, heading, &status);
    Real displacements[] = {6, 101, 12, 0.125, -2.5e-3, 1.0e5};
    SHR_DBFILE(&write, displacements, &status);
    SHR_DBFILE(&end, displacements, &status);
  }

  // The user program: both units declared again, then each read to its end record.
  SHR_INITPF(name.data(), static_cast<Int>(name.size()), &count, units, &binaryOutput);
  for (const Int unit : {Int{8}, Int{14}}) {
    SHR_DBRNU(&unit);
    std::printf("  unit %d (%s):\n", unit, unit == 8 ? "binary" : "ASCII");
    for (int guard = 0; guard < 10; ++guard) {
      Real record[514] = {};
      const Int read = 0;
      Int status = 0;
      SHR_DBFILE(&read, record, &status);
      if (status == 1) break;
      const int length = static_cast<int>(record[0]), key = static_cast<int>(record[1]);
      std::printf("    key %4d, %3d words:", key, length);
      if (key == 1922) {
        std::printf(" \"%.32s\"", reinterpret_cast<const char*>(&record[2]));
      } else {
        for (int k = 2; k < length && k < 6; ++k) std::printf(" %g", record[k]);
        if (length > 6) std::printf(" ...");
      }
      std::printf("\n");
      if (key == 2001) break;
    }
  }
}

}  // namespace

// The import road (import_road.cpp).
void walkImportRoad();
void projectOntoFacets();
void searchOneSlavePoint();
// The output-database road (odb_road.cpp).
void walkOdbRoad();

int main() {
  const std::filesystem::path started = std::filesystem::current_path();
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("zmx_host." + std::to_string(::getpid()));
  std::error_code failed;
  std::filesystem::remove_all(scratch, failed);
  std::filesystem::create_directories(scratch, failed);
  if (!failed) std::filesystem::current_path(scratch, failed);
  if (failed) {
    std::fprintf(stderr, "cannot work in %s: %s\n", scratch.c_str(), failed.message().c_str());
    return 1;
  }

  int modules = 0;
  shr_initialize(modules);
  std::printf("library up: %d modules\n", modules);

  std::printf("surfaces of model \"global\":\n");
  const Int slots = 8, poolWords = 200;
  SHR_CREATEMODELSURFACEDB(&slots, &poolWords);
  const Int topElements[] = {101, 102, 103}, topFaces[] = {1, 1, 2};
  const Int baseElements[] = {201, 202}, baseFaces[] = {3, 4};
  registerSurface("TOP", topElements, topFaces, 3);
  registerSurface("BASE", baseElements, baseFaces, 2);
  printSurface("TOP");
  printSurface("BASE");
  printSurface("SIDE");

  walkMessageRoad();

  resultsFileRoundTrip();
  walkDataBaseUnits();
  walkImportRoad();
  projectOntoFacets();
  searchOneSlavePoint();
  walkOdbRoad();

  shr_finalize(modules);
  std::printf("library down: %d modules\n", modules);
  std::filesystem::current_path(started, failed);
  std::filesystem::remove_all(scratch, failed);
  return modules == 0 ? 0 : 1;
}
