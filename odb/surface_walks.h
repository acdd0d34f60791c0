// The surface, slide-line and set writers as the writer driver calls them, with the room of each
// array the driver hands over.
#pragma once

#include "odb/pseudo_elements.h"

namespace zmx::odb {

struct SurfaceCall {
  PseudoClasses classes;  // classes.record is the record buffer
  long long recordSlots;
  Int* labels;            // label list of labelRoom integers
  long long labelRoom;
  Int* labelCounter;
};

// The exported routines' room: the record buffer of the CGM buffer words, labels twice that.
SurfaceCall surfaceCall(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                        Int* labelCounter, const Int* handle);

void writeSurfaces(const SurfaceCall& call);
void writeAnalysisSurfaces(const SurfaceCall& call, Int nodeDatabase);

struct SlideCall {
  SurfaceCall surface;
  const Int* nodeLabels;
  const Int* nodeMap;
  void* references;       // five slots per entry
  Int referenceCount;
  Int part;
};
void writeSlideLines(const SlideCall& call);

}  // namespace zmx::odb
