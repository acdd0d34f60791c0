// Slide lines, slide planes, analytical rigid surfaces and reference nodes of one part, written
// as pseudo-elements with a surface set each.
#include <cstring>
#include <string>
#include <vector>

#include "odb/surface_walks.h"
#include "runtime/fortran_chars.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "zmx/odb/surfaces.h"
#include "zmx/storage/records.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

// CSLEF words bounding the ranges walked here.
constexpr int kSlideLinesFirst = 17, kSlideLinesEnd = 24;
constexpr int kSlidePlanesFirst = 25, kSlidePlanesEnd = 32;
constexpr int kPairingFirst = 29, kPairingEnd = 31;
constexpr int kReferencesFirst = 24, kReferencesEnd = 25;
constexpr int kMoreReferencesFirst = 31, kMoreReferencesEnd = 13;
constexpr int kSetNameLength = 120;

const char* slotBytes(const void* record, long long k) { return static_cast<const char*>(record) + 8 * (k - 1); }
bool sameName(const void* a, const void* b) {
  return BCU_ACOMP(static_cast<const char*>(a), 8, static_cast<const char*>(b), 8) == 0;
}

// A set name: the prefix, the 80-character name, blanks to 120 characters.
void setName(char out[kSetNameLength], const char* prefix, const char name[80]) {
  std::memset(out, ' ', kSetNameLength);
  const std::size_t n = std::strlen(prefix);
  std::memcpy(out, prefix, n);
  std::memcpy(out + n, name, 80);
}

class SlideWriter {
 public:
  explicit SlideWriter(const SlideCall& c)
      : c_(c), w_(c.surface.classes, c.surface.labelCounter, c.surface.labels, c.surface.labelRoom) {}

  void run() {
    slideLines();
    slidePlanes();
    if (rec::i(CPROC, procedure::kAnalysisTimeRigidSurfaces) == 0)
      rigidSurfaces();
    else
      analysisTimeRigidSurfaces();
    referenceNodes(kReferencesFirst, kReferencesEnd, "SYSTEM ERROR 4 IN ODBSLIDE");
    referenceNodes(kMoreReferencesFirst, kMoreReferencesEnd, "SYSTEM ERROR 5 IN ODBSLIDE");
  }

 private:
  void* record() const { return c_.surface.classes.record; }
  long long slots() const { return c_.surface.recordSlots; }
  // User label of internal node n, which every caller has found inside the model.
  Int label(Int n) const { return c_.nodeLabels[n - 1]; }
  bool inThisPart(Int n) const { return inPart(c_.nodeMap, n, c_.part); }
  Int reference(Int entry, int slot) const {
    return rec::slotI(c_.references, static_cast<long long>(entry - 1) * kReferenceSlots + slot);
  }
  void setReference(Int entry, int slot, Int value) {
    rec::setSlotI(c_.references, static_cast<long long>(entry - 1) * kReferenceSlots + slot, value);
  }

  void slideLines() {
    walkRecords(rec::i(CSLEF, kSlideLinesFirst), rec::i(CSLEF, kSlideLinesEnd), record(), slots(),
                "SYSTEM ERROR 1 IN ODBSLIDE", "ODBSLIDE", [&](Int, Int length) {
                  const Int kind = length >= 2 ? rec::slotI(record(), 2) : 0;
                  if (kind == 0 || kind == 9999 || length < 5) return true;
                  char name[80];
                  decodeName(slotBytes(record(), 5), name, 1);
                  if (name[0] == ' ') return true;
                  decodeName(slotBytes(record(), 5), name, 11);
                  w_.clearList();
                  FacetKey key;
                  key.nodes = 2;
                  key.column = 2;
                  for (Int k = 13; k < length; ++k) {
                    const Int a = rec::slotI(record(), k), b = rec::slotI(record(), k + 1);
                    if (!inThisPart(a) || !inThisPart(b)) continue;
                    const Int nodes[2] = {label(a), label(b)};
                    w_.write(key, nodes, 2);
                  }
                  char set[kSetNameLength];
                  setName(set, "Slideline ", name);
                  w_.defineSet(set, kSetNameLength);
                  return true;
                });
  }

  void slidePlanes() {
    walkRecords(rec::i(CSLEF, kSlidePlanesFirst), rec::i(CSLEF, kSlidePlanesEnd), record(), slots(),
                "SYSTEM ERROR 2 IN ODBSLIDE", "ODBSLIDE", [&](Int, Int length) {
                  if (length < 5) return true;
                  char name[80];
                  decodeName(slotBytes(record(), 3), name, 11);
                  const Int facets = rec::slotI(record(), 4), np = rec::slotI(record(), 5);
                  const long long nodesFirst = 5 + static_cast<long long>(facets) * np;
                  if (facets < 0 || np < 0 || nodesFirst > length) {
                    systemError("ODBSLIDE. FACETS OUTSIDE THE RECORD");
                    return true;
                  }
                  w_.clearList();
                  FacetKey key;
                  key.column = 3;
                  for (Int f = 0; f < facets; ++f) {
                    std::vector<Int> kept;
                    for (Int k = 0; k < np; ++k) {
                      const Int entry = rec::slotI(record(), 6 + static_cast<long long>(f) * np + k);
                      if (entry == 0) continue;
                      if (entry < 0 || nodesFirst + entry > length) {
                        systemError("ODBSLIDE. FACET NODE OUTSIDE THE RECORD");
                        continue;
                      }
                      const Int n = rec::slotI(record(), nodesFirst + entry);
                      if (inThisPart(n)) kept.push_back(label(n));
                    }
                    if (kept.empty()) continue;
                    key.nodes = static_cast<Int>(kept.size());
                    w_.write(key, kept.data(), key.nodes);
                  }
                  char set[kSetNameLength];
                  setName(set, "Slideplane ", name);
                  w_.defineSet(set, kSetNameLength);
                  return true;
                });
  }

  // Calls the rigid-surface routine of its kind; stores the class index and label in the entry.
  void writeRigid(Int entry, Int kind, const char* name, Int node, Int flag) {
    Int classIndex = 0, written = 0;
    const PseudoClasses& t = c_.surface.classes;
    Int first = t.firstClass;
    switch (kind) {
      case 1: ODBRSURFS(record(), t.classTable, name, &classIndex, &written, &node, &first, &flag, t.classCount,
                        c_.surface.labelCounter, t.handle); break;
      case 2: ODBRSURFC(record(), t.classTable, name, &classIndex, &written, &node, &first, t.classCount,
                        c_.surface.labelCounter, t.handle); break;
      case 3: ODBRSURFA(record(), t.classTable, name, &classIndex, &written, &node, &first, t.classCount,
                        c_.surface.labelCounter, t.handle); break;
      default: return;
    }
    setReference(entry, 4, classIndex);
    setReference(entry, 5, written);
  }

  // The coded name of the slave surface that belongs to the rigid-surface record (zero when none).
  void surfaceName(Int rigidAddress, char name[8]) {
    std::memset(name, 0, 8);
    std::vector<double> scratch(static_cast<std::size_t>(std::max<long long>(slots(), 1)));
    walkRecords(rec::i(CSLV, kSlaveSurfacesFirst), rec::i(CSLV, kSlaveSurfacesEnd), scratch.data(), slots(), nullptr,
                "ODBSLIDE", [&](Int, Int length) {
                  if (length >= 9 && rec::slotI(scratch.data(), 2) == 30 && rec::slotI(scratch.data(), 5) == 2 &&
                      rec::slotI(scratch.data(), 9) == rigidAddress) {
                    std::memcpy(name, slotBytes(scratch.data(), 3), 8);
                    return false;
                  }
                  return true;
                });
  }

  // 1 when the first pairing of the name pairs it with a surface of dimension kind 4.
  Int pairedAxisymmetric(const char name[8]) {
    std::vector<double> pairing(static_cast<std::size_t>(std::max<long long>(slots(), 1)));
    std::vector<double> surface(pairing.size());
    Int flag = 0;
    walkRecords(rec::i(CSLEF, kPairingFirst), rec::i(CSLEF, kPairingEnd), pairing.data(), slots(), nullptr, "ODBSLIDE",
                [&](Int, Int length) {
                  if (length < 4 || !sameName(slotBytes(pairing.data(), 4), name)) return true;
                  bool found = false;
                  auto partner = [&](Int, Int n) {
                    if (n >= 4 && rec::slotI(surface.data(), 2) == 30 &&
                        sameName(slotBytes(surface.data(), 3), slotBytes(pairing.data(), 3))) {
                      found = true;
                      flag = rec::slotI(surface.data(), 4) == 4 ? 1 : 0;
                      return false;
                    }
                    return true;
                  };
                  walkRecords(rec::i(CSLV, kSlaveSurfacesFirst), rec::i(CSLV, kSlaveSurfacesEnd), surface.data(),
                              slots(), nullptr, "ODBSLIDE", partner);
                  return !found;
                });
    return flag;
  }

  void rigidSurfaces() {
    for (Int entry = 1; entry <= c_.referenceCount; ++entry) {
      const Int n = reference(entry, kReferenceNode);
      if (n <= 0 || !inThisPart(n)) continue;
      const Int node = label(n);
      const Int address = reference(entry, kReferenceNumber);
      Int flag = reference(entry, kReferenceFlag);
      char name[8];
      surfaceName(address, name);
      if (flag == 0 && !noName(name)) flag = pairedAxisymmetric(name);
      if (readRecord(address, record(), slots()) < 2) {
        systemError("ODBSLIDE");
        continue;
      }
      const Int kind = rec::slotI(record(), 2);
      if (kind >= 1 && kind <= 3) {
        writeRigid(entry, kind, name, node, flag);
      } else {
        Int first = c_.surface.classes.firstClass;
        ODBRSURFUSER(record(), c_.surface.classes.classTable, name, &node, &first, c_.surface.classes.classCount,
                     c_.surface.labelCounter, c_.surface.classes.handle);
        setReference(entry, kReferenceNode, 0);
      }
    }
  }

  // 1 when a kind-131 pairing joins the record to an axisymmetric kind-130 record.
  Int analysisAxisymmetric(Int address) {
    std::vector<double> pairing(static_cast<std::size_t>(std::max<long long>(slots(), 1)));
    std::vector<double> other(pairing.size());
    Int flag = 0;
    walkRecords(rec::i(CSLV, kRigidFirst), rec::i(CSLV, kRigidEnd), pairing.data(), slots(), nullptr, "ODBSLIDE",
                [&](Int, Int length) {
                  if (length < 10 || rec::slotI(pairing.data(), 2) != 131) return true;
                  const Int a = rec::slotI(pairing.data(), 9), b = rec::slotI(pairing.data(), 10);
                  if (a != address && b != address) return true;
                  const Int partner = a == address ? b : a;
                  if (readRecord(partner, other.data(), slots()) >= 9 && rec::slotI(other.data(), 2) == 130 &&
                      (rec::slotI(other.data(), 9) & 8) != 0) {
                    flag = 1;
                    return false;
                  }
                  return true;
                });
    return flag;
  }

  void analysisTimeRigidSurfaces() {
    std::vector<Int> addresses;
    walkRecords(rec::i(CSLV, kRigidFirst), rec::i(CSLV, kRigidEnd), record(), slots(), nullptr, "ODBSLIDE",
                [&](Int address, Int length) {
                  if (length >= 6 && rec::slotI(record(), 2) == 138) addresses.push_back(address);
                  return true;
                });
    for (const Int address : addresses) {
      const Int length = readRecord(address, record(), slots());
      const long long p = length >= 6 ? rec::slotI(record(), 6) : 0;
      if (p < 1 || p + 1 > length) {
        systemError("ODBSLIDE");
        continue;
      }
      char name[8];
      std::memcpy(name, slotBytes(record(), 3), 8);
      const Int kind = rec::slotI(record(), p + 1);
      Int entry = 0;
      for (Int e = 1; e <= c_.referenceCount && entry == 0; ++e)
        if (reference(e, kReferenceNumber) == address) entry = e;
      if (entry == 0) {
        report(-3, "SYSTEM ERROR 3 IN ODBSLIDE");
        continue;
      }
      const Int n = reference(entry, kReferenceNode);
      if (n <= 0 || !inThisPart(n)) continue;
      const Int flag = !noName(name) && kind == 1 ? analysisAxisymmetric(address) : 0;
      readRecord(address, record(), slots());
      writeRigid(entry, kind, name, label(n), flag);
    }
  }

  void referenceNodes(int first, int end, const char* limitText) {
    FacetKey key;
    key.nodes = 1;
    key.column = 2;
    walkRecords(rec::i(CSLEF, first), rec::i(CSLEF, end), record(), slots(), limitText, "ODBSLIDE",
                [&](Int, Int length) {
                  if (length < 3) return true;
                  const Int n = rec::slotI(record(), 3);
                  if (n < 1 || n > rec::i(CGN, kNodeCount)) {
                    report(-3, "SYSTEM ERROR IN ODBSLIDE. NODE %I OUTSIDE THE MODEL", n);
                    return true;
                  }
                  const Int node = label(n);
                  w_.write(key, &node, 1, nullptr, false);
                  return true;
                });
  }

  const SlideCall& c_;
  PseudoWriter w_;
};

}  // namespace

void writeSlideLines(const SlideCall& call) { SlideWriter(call).run(); }

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBSLIDE(void* record, Int* labels, Int* classTable, const Int* nodeLabels, const Int* nodeMap, void* references,
              const Int* part, const Int* referenceCount, const Int* firstClass, Int* classCount, Int* labelCounter,
              const Int* handle) {
  guarded([&] {
    writeSlideLines({surfaceCall(record, labels, classTable, firstClass, classCount, labelCounter, handle),
                     nodeLabels, nodeMap, references, *referenceCount, *part});
  });
}

}  // extern "C"
