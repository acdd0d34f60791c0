// The output-database writer of dm2 as this library calls it. Upper-case convention: every
// argument by pointer, a text followed by its length, reals as 4-byte floats, lists as 4-byte
// integers. A class or connector slot is an integer the caller keeps: the call that defines the
// class writes its id there, and every element call of the class hands it back.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Opens a new output database at the path; the result is its handle (1, 2, ...).
ZMX_EXPORT Int DM2_OPENNEWFILE(const char* path, Int pathLength, const Int* directions, const char* title,
                               Int titleLength, const char* solver, Int solverLength, const char* release,
                               Int releaseLength);
ZMX_EXPORT void DM2_DEFINEORIENTATION(const Int* handle, const char* name, Int nameLength, const Int* systemType,
                                      const float* origin, const float* definition, const Int* integer,
                                      const float* real);
ZMX_EXPORT void DM2_DEFINESINGLENODE(const Int* handle, const Int* label, const float* x1, const float* x2,
                                     const float* x3);
// Nodes the database keeps per element of the 8-character type name; 0 for an unknown name.
ZMX_EXPORT void DM2_GETNUMBEROFODBELEMENTNODES(const char* typeName, Int typeNameLength, Int* count);
// Defines an element class: its section points (first and second coordinates, points each),
// category, type name, section reference and names; the class's id goes into classSlot.
ZMX_EXPORT void DM2_POSITIONUTILITY(const Int* points, const Int* layered, const Int* severalLayers,
                                    const Int* profileCode, const Int* twoCoordinates, const float* first,
                                    const float* second, const Int* handle, Int* classSlot, const char* category,
                                    Int categoryLength, const char* typeName, Int typeNameLength,
                                    const char* sectionReference, Int sectionReferenceLength, const Int* classValue,
                                    const Int* one, const Int* orientationKind, const Int* counts,
                                    const Int* nameCount, const char* names, Int nameLength, const Int* namesKind);
ZMX_EXPORT void DM2_DEFINECONNECTORCLASS(const Int* handle, Int* connectorSlot, const char* name1, Int length1,
                                         const char* name2, Int length2, const char* name3, Int length3,
                                         const char* name4, Int length4, const Int* first, const Int* second);
ZMX_EXPORT void DM2_DEFINESINGLECONNECTOR(const Int* handle, const Int* connectorSlot, const Int* label,
                                          const Int* node1, const Int* node2);
// count elements: their labels, then their connectivity rows one after another, each as long as
// the class's node count.
ZMX_EXPORT void DM2_DEFINEALLELEMENTS(const Int* handle, const Int* classSlot, const Int* count, const Int* labels,
                                      const Int* rows);
ZMX_EXPORT void DM2_DEFINESINGLEELEMENT(const Int* handle, const Int* classSlot, const Int* label,
                                        const Int* row);
ZMX_EXPORT void DM2_DEFINESURFACESET(const Int* handle, const char* first, Int firstLength, const char* second,
                                     Int secondLength, const Int* count, const Int* members, const Int* flag);
ZMX_EXPORT void DM2_DEFINENODESET(const Int* handle, const char* first, Int firstLength, const char* second,
                                  Int secondLength, const Int* count, const Int* members, const Int* flag);
ZMX_EXPORT void DM2_DEFINEELEMENTSET(const Int* handle, const char* first, Int firstLength, const char* second,
                                     Int secondLength, const Int* count, const Int* members, const Int* flag);
}
