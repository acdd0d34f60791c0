// Builds a consistent model for the output-database writer in one place: the analysis-database
// nodes and elements of the dm2 stand-in, the slide-line records (sections, orientations, the
// set directories and their lists, node records) with the CSLEF, CSLV and CSLNF words that bound
// their ranges, and the record words the writer reads (CGN, CGM and its stored copy, CEOSZ,
// CELFLG, CPROC, CHEAD, CJBPAR, CLINES, CMATYP).
#pragma once

#include <array>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "runtime/fortran_types.h"

namespace zmxtest {

// A slot of a slide-line record: an integer, a real, an 8-character coded name, or the address
// of another record of the builder (known once the model is built).
struct Slot {
  enum class Kind { Integer, Real, Name, Address };
  Kind kind = Kind::Integer;
  Int integer = 0;
  Real real = 0.0;
  std::string name;
  int record = 0;
};
Slot I(Int value);
Slot R(Real value);
Slot N(const std::string& name);
Slot A(int record);
// The 8-character coded name in one slot, blank-padded.
double nameSlot(const std::string& name);

class OdbModelBuilder {
 public:
  // Resets the stand-ins and the records the writer reads.
  OdbModelBuilder();

  int directions = 3;
  Int connectorNames = 0;      // CGM word 66: connector names per element (0: no names)
  Int connectorFlag = 0;       // CMATYP word 32
  Int twoDimensionalFlag = 0;  // CELFLG word 14
  Int analysisTimeRigid = 0;   // CPROC word 26
  bool storeCounts = false;    // keep a copy of CGM as the substructure's stored CGM
  Int steps = 1;               // CPROC word 2: the steps of the analysis
  Int bcDegrees = 0;           // CGN word 7: boundary-condition slots beyond 32
  Int pseudoLabelStart = 0;    // CGN word 30: pseudo-element labels count down from minus this
  std::string title;           // CHEAD, 80 characters
  std::string release = "6.4-1";
  std::string directory;       // CJBPAR string 7

  // A node; flags is its flag word (bit 3 set: three coordinates); records are builder record
  // numbers of its slide-line node records. Returns its internal number.
  Int node(Int label, std::array<Real, 3> x, Int flags = 4, std::vector<int> records = {});
  // An element type of the 8-character name; odbNodes is what the writer keeps per element.
  Int elementType(const std::string& name, Int typeCode, Int family, Int odbNodes,
                  std::vector<std::pair<int, Int>> words = {});
  // An element; section and records are builder record numbers (0: none). Returns its internal number.
  Int element(Int label, Int type, std::vector<Int> nodes, int section = 0, std::vector<int> records = {},
              Int classValue = 0);
  // A slide-line record in the segment that starts at CSLEF word (see the chain in the source).
  // key: its key in the section list (0: absent from it). Returns the record number.
  int record(int word, std::vector<Slot> slotsAfterLength, Int key = 0);
  // Records of the other ranges the writer walks: slave surfaces (CSLV words 7 to 8),
  // analysis-time surface records (CSLV words 15 to 16) and node records (CSLNF words 4 to 5 and
  // 11 to 12). Each returns a record number for address() and for node().
  int surfaceRecord(std::vector<Slot> slotsAfterLength);
  int analysisRecord(std::vector<Slot> slotsAfterLength);
  int nodeRecord(int range, std::vector<Slot> slotsAfterLength);  // range 4 or 11
  // A boundary-condition record (CSLNS words 2 to 3) and the records a node carries (its
  // ADB_NODEACCESS operation 2 list).
  int bcRecord(std::vector<Slot> slotsAfterLength);
  void boundaryConditions(Int node, std::vector<int> records);

  // An orientation record (slot 2 the system type, slot 3 the name, 4-9 reals, 10 integer, 11 real).
  void orientation(Int systemType, const std::string& name, std::array<Real, 6> definition, Int integer = 0,
                   Real real = 0.0);
  // A part: an element set of the name with these internal elements and, unless withoutNodes, a
  // node set of the same name with these internal nodes. A set whose name is not a part name is
  // added as given.
  void elementSet(const std::string& name, std::vector<Int> elements);
  void nodeSet(const std::string& name, std::vector<Int> nodes);
  void part(const std::string& name, std::vector<Int> elements, std::vector<Int> nodes);

  // Lays out the slide-line database, the elements and the records; returns the analysis database.
  Int build();
  // Address of a record once built.
  Int address(int record) const;
  Int nodeCount() const { return static_cast<Int>(nodes_.size()); }
  Int elementCount() const { return static_cast<Int>(elements_.size()); }

 private:
  struct Record {
    int word;
    std::vector<Slot> slots;
    Int key;
    Int address = 0;
  };
  struct NodePlan {
    Int label;
    std::array<Real, 3> x;
    std::vector<int> records;
  };
  struct ElementPlan {
    Int label, type;
    std::vector<Int> nodes;
    int section;
    std::vector<int> records;
    Int classValue;
  };
  std::vector<Record> records_;
  std::vector<ElementPlan> elements_;
  std::vector<Int> nodes_;  // flag words
  std::vector<NodePlan> nodePlans_;
  std::map<Int, std::vector<int>> nodeConditions_;
  std::vector<std::vector<Slot>> orientations_;
  std::vector<std::pair<std::string, std::vector<Int>>> elementSets_, nodeSets_;
  bool built_ = false;
};

}  // namespace zmxtest
