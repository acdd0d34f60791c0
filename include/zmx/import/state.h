// Import of an earlier explicit analysis: moving stored element tensors into the caller's order.
// Arrays are component-major (n points down each column), 4-byte single precision.
#pragma once

#include "zmx/types.h"

extern "C" {
// Point-major copy, m + k words per point: the m direct columns, then k shear columns starting
// after the j0 stored direct ones; with k = 3 the second and third shears change places.
ZMX_EXPORT void ACC_GDB_COPYR(const Int* n, const Int* m, const Int* k, const Int* j0, const Int* storedShears,
                              const float* source, float* destination);
// result = table(a(2)) for material code 601, else 0.
ZMX_EXPORT void ACC_GDB_GETSVDNUMBER(const Int* a, const Int* materialCode, const Int* table, Int* result);
// R S R^T of symmetric tensors (11, 22, 12), (11, 22, 33, 12) by rotation pairs (sin, cos of the
// half angle), and (11, 22, 33, 12, 23, 13) by quaternions (vector part, then scalar part); the
// inverse flag non-zero turns by the inverse rotation. Source and result may be one array.
ZMX_EXPORT void ACC_GDB_SYMROTS21S21(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
ZMX_EXPORT void ACC_GDB_SYMROTS31S31(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
ZMX_EXPORT void ACC_GDB_SYMROTS33S33(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
}

// ---- Shell state extraction -------------------------------------------------------------------
// Stored arrays of one segment hold n rows (elements), column-major; the answer has one row per
// element of (direct + shear) values. Rotation pairs R and drill pairs D are (sin, cos) of the
// half angle; P the transfer coefficients (cosine, sine, then a, b, d); type 13316 or 25090; the
// small-stretch flag 1 when set.
extern "C" {
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLSECTFORCE(const Int* n, const Int* type, const Int* small, const Int* direct,
                                              const Int* shear, const float* forces, const float* transverse,
                                              const float* rotation, float* answer, const Int* rotate,
                                              const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTSECTMOMENT(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                          const Int* small, const float* rotation, const float* moments, float* answer,
                                          const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTCURVATURE(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                         const Int* small, const float* rotation, const float* curvatures,
                                         float* answer, const Int* rotate, const float* transfer);
// W is the caller's (n, 4) stretch work array.
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLSECTSTRAIN(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                               const Int* small, const float* gradient, const float* drill,
                                               const float* transverse, const float* rotation, float* stretch,
                                               float* answer, const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTRANSF(const Int* n, const Int* type, const Int* small, const Int* direct,
                                      const Int* shear, const float* forces, const float* rotation, float* answer,
                                      const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTRANSTRN(const Int* n, const Int* type, const Int* small, const Int* direct,
                                        const Int* shear, const float* strains, const float* rotation, float* answer,
                                        const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTHININGSTRAIN(const Int* n, const Int* type, const float* gradient, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLMEMJACOBIAN(const Int* n, const Int* direct, const Int* shear,
                                                const Int* fullDirect, const Int* type, const Int* small,
                                                const float* gradient, const float* drill, float* stretch,
                                                float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLINPLANEROT(const Int* n, const Int* direct, const Int* shear,
                                               const float* rotation, float* answer, const Int* rotate);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLELEMDIR(const Int* n, const Int* direct, const Int* shear,
                                            const float* quaternions, const float* drill, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLLOCALDIR(const Int* n, const Int* direct, const Int* shear,
                                             const float* quaternions, const float* drill, const float* rotation,
                                             float* answer, const Int* rotate);
// Unit normals at the four mid-side points of each element from corners X (n, 4, 3).
ZMX_EXPORT void ACC_SDB_EXTRACTMIDSIDENORMAL(const Int* n, float* answer, const float* corners);
}

// ---- Material keys, strain copies, beam extraction and rebar angles -----------------------------
// The material routines: P the position table, F the flag table, the material block, the state
// key, the destination, the status, n points and the wanted direct m, stored direct j0, wanted
// shear k and stored shear s0 counts; the families with a strain take the total strain and give
// the strain result, (j0 + s0) n words each.
extern "C" {
#define ZMX_IMPORT_STRAIN_MATERIAL(NAME)                                                                        \
  ZMX_EXPORT void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination,       \
                       Int* status, const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0,      \
                       const float* total, float* result)
#define ZMX_IMPORT_ELASTIC_MATERIAL(NAME)                                                                       \
  ZMX_EXPORT void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination,       \
                       Int* status, const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0)
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTIC);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYDUCTILEFAIL);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYEOSPLASTIC);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTICFOAM);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYCAP);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYGURSON);
ZMX_IMPORT_STRAIN_MATERIAL(ACC_SDB_ELEMKEYCRUSHFOAM);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYBRIT);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYORTHO);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYANISO);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERPOLY);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPEROGDEN);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERFOAM);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYVISELASTIC);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERAB);
ZMX_IMPORT_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERVDW);
#undef ZMX_IMPORT_STRAIN_MATERIAL
#undef ZMX_IMPORT_ELASTIC_MATERIAL
// User materials: 6500 the tensor at P(1), 3000 the value at P(2).
ZMX_EXPORT void ACC_SDB_ELEMKEYVUMAT(const Int* P, const float* block, const Int* key, float* destination, Int* status,
                                     const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0);

// Stored strain point-major with doubled shears, turned first by the rotation unless a flag
// keeps it (or the type keeps its own axes).
ZMX_EXPORT void ACC_SDB_MODIFYSTRAIN(const Int* n, const Int* keep1, const Int* keep2, const Int* m, const Int* j0,
                                     const Int* k, const Int* s0, const Int* type, const Int* keep3,
                                     const float* rotation, float* destination, const float* stored, float* work);
ZMX_EXPORT void ACC_SDB_MODIFYSTRAINSOLID(const Int* n, const Int* keep1, const Int* m, const Int* j0, const Int* k,
                                          const Int* s0, const Int* type, const Int* keep2, const float* rotation,
                                          const void* unused, float* destination, const float* stored, float* work);

// Beams (types 12802, 12803 spatial; 8706, 8707 planar): answers point-major, direct + shear per point.
ZMX_EXPORT void ACC_SDB_EXTRACTBEAMLOCALDIR(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                            const float* rotation, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTBEAMSECTSTRAIN(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                              const float* axial, const float* bending, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTBEAMSECTFORCE(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                             const float* axial, const float* shearStrains, const float* section,
                                             const float* lengths, const float* stored, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTBEAMPSECTSTRAIN(const Int* P, const Int* F, const float* block, float* answer,
                                               const Int* type, const Int* n, const Int* stride, Int* status);
ZMX_EXPORT void ACC_SDB_EXTRACTBEAMTHERSTRAIN(const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0,
                                              const Int* P, const float* block, const Int* F, float* destination,
                                              Int* status);
ZMX_EXPORT void ACC_SDB_EXTRACTCURVATUREBEAM(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                             const float* curvatures, const float* lengths, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTMOMENTBEAM(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                          const float* moments, float* answer);

// Rebar angles, (reference, current) per element. Shells: reference directions (n, 2: cosine,
// sine), initial directions (n, 2), curvatures (n, 3), the switch (1: reference from the
// directions, else the stored angles), the layer's coordinate through the thickness, effective
// thicknesses (n), gradients (n, 5) and rotation pairs (n, 2).
ZMX_EXPORT void ACC_SDB_REBARANGLESHELL(const Int* n, const float* referenceDirection, const float* initialDirection,
                                        const float* curvatures, float* answer, const Int* referenceSwitch,
                                        const float* coordinate, const float* thickness, const float* gradient,
                                        const float* pairs, const float* storedAngles);
// Membranes: element quaternions (n, 4), the layer's direction weights (n, 2), corners (n, 12:
// x1..x4, y1..y4, z1..z4), reference directions (n, 2), stored reference angles (n), the switch.
ZMX_EXPORT void ACC_SDB_REBARANGLEMEMBRANE(const Int* n, const float* quaternions, const float* weights,
                                           const float* corners, const float* referenceDirection,
                                           const float* referenceAngles, const Int* referenceSwitch, float* answer);
}

// ---- Element state of a stored increment ------------------------------------------------------
extern "C" {
// One state key of one class at one point ordinal (0: an element-level quantity), for every
// element of the class: counts of direct and shear components, the index of the answer in the
// temporary package (index offset added) and the status (0 served, 1 not available, 2 step or
// increment, or a beam's point, out of range). The step is a row of the stored step table.
ZMX_EXPORT void ACC_SDB_ELEMKEY(const Int* step, const Int* increment, const Int* stateKey, const Int* elementClass,
                                const Int* point, Int* direct, Int* shear, Int* index, Int* status);
// The same with the state of the class's domain open: the model tables with their lengths and the
// reference-angle switch; index without the offset.
// The segment worker of shell classes: one state key for the n elements of a segment, from the
// segment's arrays (each the address of its first word); the status becomes 1 when not served.
ZMX_EXPORT void ACC_SDB_ELEMKEYSHELLSEG(
    const Int* key, const Int* n, const Int* referenceSwitch, const Int* direct, const Int* storedDirect,
    const Int* shear, const Int* storedShear, const Int* fullDirect, const Int* fullShear, const Int* point,
    const Int* type, Int* status, const Int* thicknessSwitch, const Int* groupKind, const float* drill,
    const float* quaternions, const float* gradient, const float* area, const float* transverseStrain,
    const float* transverseForce, const float* forces, const float* curvatures, const float* moments,
    const float* drillMoments, const float* nodalVectors, const Int* inPlaneFlag, const float* inPlanePairs,
    const float* transfer, const float* hourglass1, const float* hourglass2, const Int* nodes, const Int* K1,
    const Int* K2, const Int* K2second, const float* coordinates, const Int* nodeLists, const float* section,
    const float* pointShared, const float* pointState, const Int* groupVariables, const Int* material, float* answer,
    const Int* table, const Int* small, const float* groupDomain, const Int* segmentIntegers, float* scratch2,
    const float* secondState, float* scratch1, const float* summed, const float* firstRead, const Int* thicknessFlag,
    const Int* orientation, float* scratch3, float* scratch4, const Int* ownTable, const Int* ownTableAgain,
    const float* elementFlags);
// Segment workers of continuum and beam classes: one key for the n elements of a segment from the
// segment's arrays (each the address of its first word), the strain operators' results given.
ZMX_EXPORT void ACC_SDB_ELEMKEYSOLIDSEG(
    const Int* key, const Int* n, const Int* point, const Int* direct, const Int* shear, const Int* storedDirect,
    const Int* storedShear, const Int* type, const Int* reduced, Int* status, const Int* referenceSwitch,
    const Int* groupKind, const Int* thicknessFlag, const Int* orientation, const Int* nodes, const Int* K1,
    const Int* K2, const float* section, const float* rotation, const float* elementArray, const float* hourglass,
    const float* drill, const float* factor, const float* area, const float* values9302, const float* value33000,
    const float* pointState, const float* pointShared, const float* groupDomain, const Int* groupVariables,
    const Int* material, const Int* table, const Int* ownTable, const Int* segmentIntegers, const Int* nodeLists,
    const float* summed, const float* firstRead, float* strain, float* gradient, float* computedRotation,
    float* corners, float* total, float* result, float* work, float* answer);
ZMX_EXPORT void ACC_SDB_ELEMKEYBEAMSEG(const Int* key, const Int* n, const Int* point, const Int* direct,
                                       const Int* shear, const Int* type, const Int* sectionFlag, Int* status,
                                       const float* curvatures, const float* moments, const float* rotation,
                                       const float* axialStrain, const float* axialForce, const float* factor1,
                                       const float* factor2, const float* factor3, const float* lengths,
                                       const float* sectionArray, const float* shearStrains, const float* sectionReal,
                                       const float* pointState, const float* pointShared, const Int* groupVariables,
                                       const Int* material, const Int* table, const Int* ownTable, float* work,
                                       float* answer);
// The worker of ACC_SDB_ELEMKEY over the tables it holds: the global-table entry (its third word
// the thickness switch), the four domain tables of the class's domain (node entry, node layout,
// block numbers, group offsets), the class table, the integer and real model tables and the
// restart-side model block (its word 51 the reference-angle switch).
ZMX_EXPORT void ACC_SDB_ELEMKEY1(const Int* stateKey, const Int* elementClass, const Int* point, Int* direct,
                                 Int* shear, const Int* globalEntry, Int* index, const Int* nodeEntry,
                                 const Int* nodeLayout, const Int* blockNumbers, const Int* groupOffsets, Int* status,
                                 const Int* classTable, const Int* table, const float* reals,
                                 const Int* restartBlock);
// The routines of the three kinds (continuum, shell, beam), with the arguments ACC_SDB_ELEMKEY1
// forms: "at" arguments are addresses of a word of the integer model table (or of the real model
// table, or of a block) from which the routine reads on. A class of another kind: status 1.
ZMX_EXPORT void ACC_SDB_ELEMKEYSOLID(const Int* record15, const Int* stateKey, const Int* point, Int* direct,
                                     Int* shear, Int* index, Int* status, const Int* restart51,
                                     const Int* groupList, const Int* groupListAgain, const Int* groupRecords,
                                     const Int* typeRecord, const float* classReals, const Int* blockNumbers,
                                     const Int* blockWords, const Int* groupLayouts, const Int* classVariables,
                                     const float* summed, const float* firstRead, const Int* K1, const Int* K2,
                                     const Int* table, const Int* segmentProduct, const Int* record8,
                                     const Int* global3);
ZMX_EXPORT void ACC_SDB_ELEMKEYSHELL(const Int* stateKey, const Int* point, Int* direct, Int* shear,
                                     const Int* global3, Int* index, Int* status, const Int* restart51,
                                     const Int* groupList, const Int* groupListAgain, const Int* groupRecords,
                                     const Int* typeRecord, const float* classReals, const Int* blockNumbers,
                                     const Int* blockWords, const Int* groupLayouts, const Int* classVariables,
                                     const float* summed, const float* firstRead, const float* secondState,
                                     const Int* K1, const Int* K2, const Int* K2second, const Int* table,
                                     const Int* segmentProduct, const Int* record8);
ZMX_EXPORT void ACC_SDB_ELEMKEYBEAM(const Int* stateKey, const Int* point, Int* direct, Int* shear, Int* index,
                                    Int* status, const Int* groupList, const Int* groupRecords, const Int* typeRecord,
                                    const float* classReals, const Int* blockNumbers, const Int* blockWords,
                                    const Int* groupLayouts, const Int* classVariables, const Int* table,
                                    const Int* segmentProduct, const Int* record8);
}
