// A small host program that walks the library's main roads as an analysis program would:
// bring the library up, register the surfaces of a model, read them back, report a check
// failure about one element and file it under its message key, and take the library down.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/address_space.h"
#include "siblings/eqc/eqc_messages.h"
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

}  // namespace

namespace {

// A results file in each form: an analysis writes records on unit 8 (binary) and unit 14 (ASCII),
// and a user program declares both units, makes each current in turn and reads it to its end.
void resultsFileRoundTrip() {
  const std::string folder = std::filesystem::temp_directory_path().string() + "/zmx_host_results";
  std::filesystem::create_directories(folder);
  const std::string name = folder + "/demo";
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

int main() {
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

  std::printf("a check about element 17, filed under message key -2004:\n");
  const Int level = -1, key = -2004, element = 17, node = 0, zero = 0;
  const Real noReal = 0.0;
  const std::string text = "ELEMENT %E HAS AN INVALID LOCAL NODE NUMBER %I";
  const Int localNode = 9;
  KVXNERR1(&level, text.data(), static_cast<Int>(text.size()), &localNode, &noReal, " ", 1, &element, &node);
  const Int fileEntity = 1;
  MSGACCESS(&fileEntity, &element, &key);
  int keys = 0;
  const int* pending = msgaccessC(3, &keys, 0);
  for (int k = 0; k < keys; ++k) {
    int entities = 0;
    const int pendingKey = pending[k];
    const int* filed = msgaccessC(2, &entities, pendingKey);
    std::printf("  key %d holds %d entit%s:", pendingKey, entities, entities == 1 ? "y" : "ies");
    for (int e = 0; e < entities; ++e) std::printf(" %d", filed[e]);
    std::printf("\n");
  }
  (void)zero;

  resultsFileRoundTrip();

  shr_finalize(modules);
  std::printf("library down: %d modules\n", modules);
  return modules == 0 ? 0 : 1;
}
