// Output-database writer: surfaces, slide lines, slide planes and analytical rigid surfaces,
// written as pseudo-elements of pseudo-element classes with a surface set each.
//
// The class table holds 28 integers per class; firstClass is the first class that may be a
// pseudo-element class (element classes + 1) and classCount the classes so far, raised by one
// for every class appended. The label counter gives each new pseudo-element label by counting
// down. The record buffer and label list hold as many slots as the largest of CGM words 40 to 54.
#pragma once

#include "zmx/types.h"

extern "C" {

// Finds or appends the class of a facet of n nodes in column s (1 axisymmetric, 2 planar, 3
// three-dimensional) and defines a new class once; lastIndex and classSlot are the caller's cache
// (start 0 and -1). Bit 0 of each flag is tested; rigidKind 0 for facets, 1 to 4 for the element
// of an analytical rigid surface.
ZMX_EXPORT void ODBCLSURF(void* record, Int* classTable, const Int* n, const Int* firstClass, Int* classCount,
                          Int* lastIndex, Int* classSlot, const Int* column, const Int* gate, const Int* cylindrical,
                          const Int* secondOrder, const Int* rigidKind, const Int* handle);
// Every element-based surface of the slave-surface records.
ZMX_EXPORT void ODBSURFACE(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                           Int* labelCounter, const Int* handle);
// Every surface of the analysis-time surface records that no slave surface names.
ZMX_EXPORT void ODBSURFACEEXP(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                              Int* labelCounter, const Int* handle, const Int* nodeDatabase);

// Slide lines, slide planes, analytical rigid surfaces and reference nodes of one part. nodeMap
// holds two integers per internal node (word 1 the part that wrote it); references five slots per
// entry (node, rigid-surface record, axisymmetric flag, class index and label written here).
ZMX_EXPORT void ODBSLIDE(void* record, Int* labels, Int* classTable, const Int* nodeLabels, const Int* nodeMap,
                         void* references, const Int* part, const Int* referenceCount, const Int* firstClass,
                         Int* classCount, Int* labelCounter, const Int* handle);
// One analytical rigid surface on its reference node (user label): its own pseudo-element, the
// reference node's pseudo-element and their two sets. name is an 8-byte coded name (0: none).
ZMX_EXPORT void ODBRSURFS(void* record, Int* classTable, const void* name, Int* classIndex, Int* label,
                          const Int* node, const Int* firstClass, const Int* axisymmetric, Int* classCount,
                          Int* labelCounter, const Int* handle);
ZMX_EXPORT void ODBRSURFC(void* record, Int* classTable, const void* name, Int* classIndex, Int* label,
                          const Int* node, const Int* firstClass, Int* classCount, Int* labelCounter,
                          const Int* handle);
ZMX_EXPORT void ODBRSURFA(void* record, Int* classTable, const void* name, Int* classIndex, Int* label,
                          const Int* node, const Int* firstClass, Int* classCount, Int* labelCounter,
                          const Int* handle);
// A user rigid surface: the reference node's pseudo-element and set alone.
ZMX_EXPORT void ODBRSURFUSER(void* record, Int* classTable, const void* name, const Int* node,
                             const Int* firstClass, Int* classCount, Int* labelCounter, const Int* handle);
}
