// Layouts the output-database writer shares between its gathering, its driver and the class,
// surface, slide-line and set writers: the element class record, the element table, the node
// references, the node map and the boundary-condition layout, with helpers over the host's
// work array of 8-byte slots.
#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "runtime/fortran_types.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/odb/writer.h"

namespace zmx::odb {

// ---- element class record: 28 integers (14 slots) per class -------------------------------------
inline constexpr int kClassWords = 28;
inline constexpr int kClassSlots = kClassWords / 2;
inline constexpr int kClassTypeName = 1;        // word 2 of the type record
inline constexpr int kClassSection = 3;         // section record address (0 none)
inline constexpr int kClassUsed = 5;            // used in the current part
inline constexpr int kClassSlot = 7;            // type code while built, then the writer's class slot
inline constexpr int kClassConnectorSlot = 9;   // the writer's connector slot
inline constexpr int kClassLabels = 11;         // signed class number while built, then first label
inline constexpr int kClassRows = 13;           // word 3 of the type record while built, then first row
inline constexpr int kClassOrientation = 15;    // orientation kind (0 or 2)
inline constexpr int kClassValue = 17;
inline constexpr int kClassElements = 19;
inline constexpr int kClassNames = 21;          // connector names per element
inline constexpr int kClassRepresentative = 23;
inline constexpr int kClassPlaced = 25;         // elements placed so far in the current part
inline constexpr int kClassNodes = 27;          // nodes per element in the output database
// Cleared room the work-array layout keeps behind the gathered classes for the pseudo-element
// classes the surface and slide-line writers add: 126 slots, nine classes. A class beyond it is
// refused, so a host that sizes its class table by this layout is never written past.
inline constexpr int kSpareClassSlots = 126;
inline constexpr int kSpareClasses = kSpareClassSlots / kClassSlots;
static_assert(kSpareClasses * kClassSlots == kSpareClassSlots);

// Word w of class c (both from 1) of a class table.
inline Int& classWord(Int* table, Int c, int w) { return table[static_cast<long long>(c - 1) * kClassWords + w - 1]; }
inline Int classWord(const Int* table, Int c, int w) {
  return table[static_cast<long long>(c - 1) * kClassWords + w - 1];
}

// ---- element table: four integers per internal element ------------------------------------------
inline constexpr int kElementWords = 4;
inline constexpr int kElementClass = 1;  // > 0 written class, < 0 not written, 0 none
inline constexpr int kElementPart = 2;
inline constexpr int kElementLabel = 3;
inline constexpr int kElementType = 4;   // the spare integer: the type code the gathering read
inline Int& elementWord(Int* table, Int e, int w) {
  return table[static_cast<long long>(e - 1) * kElementWords + w - 1];
}

// ---- connector table: three integers per internal element ---------------------------------------
inline constexpr int kConnectorWords = 3;
inline constexpr int kConnectorRepresentative = 1;
inline constexpr int kConnectorCount = 2;
inline constexpr int kConnectorDone = 3;

// ---- node references: five slots per entry -----------------------------------------------------
inline constexpr int kReferenceSlots = 5;
inline constexpr int kReferenceNode = 1;
inline constexpr int kReferenceNumber = 2;
inline constexpr int kReferenceFlag = 3;

// ---- part record: 28 integers (14 slots) per part ----------------------------------------------
inline constexpr int kPartWords = 28;
inline constexpr int kPartSlots = kPartWords / 2;
inline constexpr int kPartElements = 1;   // address of its element list
inline constexpr int kPartNodes = 3;      // address of its node list (0 none)
inline constexpr int kPartName = 5;       // words 5 to 24: the 80-character name
inline constexpr int kPartNameLength = 80;

// ---- node map: two integers (one slot) per internal node ---------------------------------------
inline constexpr int kNodeMapWords = 2;
inline constexpr int kNodeMapPart = 1;
inline constexpr int kNodeMapRecord = 2;

// ---- CBCODB ------------------------------------------------------------------------------------
inline constexpr int kBcMotion = 1;
inline constexpr int kBcDriven = 2;
inline constexpr int kBcPore = 3;
inline constexpr int kBcTemperature = 4;
inline constexpr int kBcRowSlots = 5;

// ---- record words the writer reads -------------------------------------------------------------
// CGN
inline constexpr int kNodeCount = 2;
inline constexpr int kElementCount = 3;
inline constexpr int kBcDegrees = 7;
inline constexpr int kPartDimension = 9;
inline constexpr int kNodeSetCount = 11;
inline constexpr int kPseudoLabelStart = 30;
// CGM
inline constexpr int kCgmCount = 1;
inline constexpr int kCgmHeader = 37;
inline constexpr int kCgmBuffersFirst = 40;
inline constexpr int kCgmBuffersLast = 54;
inline constexpr int kCgmPartTableOffset = 41;
inline constexpr int kCgmConnectorBuffer = 44;
inline constexpr int kCgmElementSetBuffer = 47;
inline constexpr int kCgmNodeSetBuffer = 48;
inline constexpr int kCgmListBuffer = 50;
inline constexpr int kCgmConnectorNames = 66;
inline constexpr int kCgmPositionOffset = 80;
// CEOSZ
inline constexpr int kDirections = 12;
// CSLV
inline constexpr int kOrientationsFirst = 3;
inline constexpr int kOrientationsEnd = 4;
inline constexpr int kSlaveSurfacesFirst = 7;
inline constexpr int kSlaveSurfacesEnd = 8;
inline constexpr int kElementSetDirectory = 8;
inline constexpr int kNodeSetDirectory = 9;
inline constexpr int kRigidFirst = 15;
inline constexpr int kRigidEnd = 16;
// CSLEF
inline constexpr int kSectionList = 49;
inline constexpr int kConnectorNamesFirst = 15;
inline constexpr int kConnectorNamesEnd = 16;
// CSLNF
inline constexpr int kNodeRecordsFirst = 4;
inline constexpr int kNodeRecordsEnd = 5;
inline constexpr int kNodeRefsFirst = 11;
inline constexpr int kNodeRefsEnd = 12;

// Walks over a range of slide-line records end after this many records.
inline constexpr long long kWalkLimit = 10000000;

// Largest of 0 and CGM words 40 to 54: the record buffer at the start of the work array.
inline Int recordBufferSlots() {
  Int m = 0;
  for (int w = kCgmBuffersFirst; w <= kCgmBuffersLast; ++w) m = std::max(m, rec::i(CGM, w));
  return m;
}

// Slots the writer driver needs at the front of its work array: the record buffer the class and
// set writers read into, then the count array (CGM word 80 slots) in front of the positions.
inline long long driverWorkSlots() {
  return static_cast<long long>(recordBufferSlots()) + std::max<Int>(rec::i(CGM, kCgmPositionOffset), 0);
}

// Slots of the buffer that receives the element-set directory (CGM word 47).
inline long long elementSetBufferSlots() { return std::max<Int>(rec::i(CGM, kCgmElementSetBuffer), 0); }

// Slots that n integers take when laid two to a slot behind each other: n div 2 + 1.
inline long long slotsForIntegers(long long n) { return std::max(0LL, n) / 2 + 1; }

// Family codes of elements that may carry connector names.
inline bool namedConnectorFamily(Int family) {
  switch (family) {
    case 201: case 202: case 203: case 204: case 207: case 210: case 213: case 214: case 215: case 216:
    case 419: case 420: case 421:
      return true;
    default:
      return false;
  }
}

// A CSLEF range [a, b): from the value of word a, inclusive, to the value of word b, exclusive.
inline bool inRange(Int address, int a, int b) {
  return address >= rec::i(CSLEF, a) && address < rec::i(CSLEF, b);
}

// Reads the slide-line record at address into the buffer of capacity slots, its length read
// first; slot 1 of the buffer is cleared before. Gives the record's length, or 0 when the
// length is below 1 or the record does not fit (nothing is then read).
Int readRecord(Int address, void* buffer, long long capacity);

// The slide-line address of a list that a set directory at address directory places offset slots
// from its own start: directory + offset - 1. An offset that puts it outside the addresses is
// reported as a system error of the routine and gives 0, an address no record has.
Int listAddress(Int directory, Int offset, const char* routine);

// Walks the slide-line records from address first while the address is below end, reading each
// into the buffer and calling visit(address, length); visit returns false to stop early. A
// record that cannot be read (length below 1 or longer than the buffer) ends the walk with the
// walk's message at level -3: limitText when it has one, else "SYSTEM ERROR IN" and the routine.
// After kWalkLimit records the walk ends, with limitText when it has one.
template <class Visit>
void walkRecords(Int first, Int end, void* buffer, long long capacity, const char* limitText, const char* routine,
                 Visit&& visit);

// Units that may be written from p on, perSlot of them to an 8-byte slot: to the end of its block
// when the array lies in the address space, else `given`, what the caller says it holds (such an
// array cannot grow).
long long writableRoom(const void* p, long long given, int perSlot = 1);
// Raises the core count to `needed` through DBCORE, which books the memory and reports when it
// cannot. A need beyond what may be written is refused before DBCORE is asked ("MEMORY FAILURE."
// at level -3, nothing booked); false then.
bool raiseCore(long long needed, Int* coreCount, long long writable);

// Reports a system error at level -3: "SYSTEM ERROR IN " and the routine.
void systemError(const char* routine);
// Reports a text at a level through KVXERR, with up to two integers and one string.
void report(Int level, const char* text, Int first = 0, Int second = 0, const char* string = nullptr,
            Int stringLength = 0);

// Runs the body of an exported routine; memory that runs out is reported ("MEMORY FAILURE." at
// level -3) and false given, so that no exception leaves the library.
template <class Body>
bool guarded(Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  report(-3, "MEMORY FAILURE.");
  return false;
}

// The 8 characters of the type name coded in words 2 and 3 of the type record; "RNODE3D " for
// type codes 10000 and above; the connector names for two-node connectors of family 417.
void classTypeName(const Int* typeRecord, char name[8]);

template <class Visit>
void walkRecords(Int first, Int end, void* buffer, long long capacity, const char* limitText, const char* routine,
                 Visit&& visit) {
  long long address = first;
  for (long long n = 0; address < end; ++n) {
    if (n >= kWalkLimit) {
      if (limitText != nullptr) report(-3, limitText);
      return;
    }
    const Int length = readRecord(static_cast<Int>(address), buffer, capacity);
    if (length < 1) {
      if (limitText != nullptr)
        report(-3, limitText);
      else
        systemError(routine);
      return;
    }
    if (!visit(static_cast<Int>(address), length)) return;
    address += length;
  }
}

// A class definition with the room of each array the caller gives (ODBCLASS without limits).
struct ClassDefinition {
  void* buffer;            // section record buffer
  long long bufferSlots;
  Int* classRecord;
  const Int* typeRecord;
  float* positions;        // first coordinates, then second coordinates
  long long positionRoom;  // 4-byte reals
  Int* counts;
  long long countRoom;
  const Int* handle;
  const void* connectorNames;
  Int maxNames;
  Int connectorFlag;
};
void defineClass(const ClassDefinition& d);

// Places one element's label and connectivity row (ODBELEMENT with the element's handle, label
// and type code already read).
void placeElement(Int handle, Int label, Int typeCode, const Int* nodeLabels, Int* classTable, Int classNumber,
                  Int* labelSlot, Int* row, Int nodesPerElement, const Int* odbHandle);

// Section points of a section record, as GETPOSITION hands them out.
struct SectionPoints {
  Int points = 0, layered = 0, severalLayers = 0, profileCode = 0, twoCoordinates = 0;
  std::vector<float> first, second;
  std::vector<Int> counts;
};
// Room for them: 4-byte reals of the position array (first, then second coordinates) and
// integers of the count array. Nothing is sized by a count of the record before it is checked
// against the room; a record whose counts do not fit gives nothing ("MEMORY FAILURE." at level -3).
struct SectionRoom {
  long long positions;
  long long counts;
};
std::optional<SectionPoints> sectionPoints(const void* section, Int length, Int address, Int typeCode,
                                           const SectionRoom& room);
// The room of the writer's layout, which the exported class routines assume: the count array's
// CGM word 80 slots (two integers each), and positions for as many points as it can count.
SectionRoom layoutSectionRoom();

// Decodes an 8-byte coded name into a blank 80-character field and, when op is not negative,
// passes it through DBLABEL with that operation.
void decodeName(const void* code, char field[80], Int op);

}  // namespace zmx::odb
