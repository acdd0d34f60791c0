// Derived responses, response checks and the names and labels of sensitivity output variables.
#pragma once

#include "zmx/types.h"

class ElementLayout;
enum VarBlockTypeKey : int;

// For a derived response id: the block kind of its base variables and a new array of their ids
// (the caller owns it, delete[]); where two ids are listed the first holds for flag > 0. Any
// other id leaves the outputs as they are.
ZMX_EXPORT void dsa_DerivedRespTable(Int id, VarBlockTypeKey& kind, Int*& ids, Int& count, Int flag);
// Perturbation sizes of n derived values from element variables 4 and 78 of the layout.
ZMX_EXPORT void dsa_GetDerivedRespPert(ElementLayout* layout, Int n, Real* pert);
// Room that dsa_OutputName needs: any integer fits.
inline constexpr int kDsaOutputNameRoom = 84;
// "d_ " name (65 characters, padded or cut) " kd " and kd in six columns, terminated; out holds
// kDsaOutputNameRoom characters.
ZMX_EXPORT void dsa_OutputName(const char* name, char* out, Int kd);

extern "C" {
ZMX_EXPORT void DSAELEMCHK(const Int* type, Int* answer);
ZMX_EXPORT void DSAELOUTVAR(const Int* id, Int* answer, Int* invalid);
ZMX_EXPORT void DSA_ERESPCHK(const Int* id, const Int* mode, Int* found, Int* answer);
ZMX_EXPORT void DSA_NRESPCHK(const Int* id, const Int* mode, Int* found, Int* answer);
ZMX_EXPORT void DSA_OUTPUTNAMEF(const char* name, Int nameLength, char* out, Int outLength, const Int* kd);
ZMX_EXPORT void DSA_FORMLABEL(const Int* kd, const char* suffix, Int suffixLength, const char* name, Int nameLength,
                              const char* variable, Int variableLength, const char* description,
                              Int descriptionLength, char* outname, Int outnameLength, char* shortlabel,
                              Int shortlabelLength, char* longlabel, Int longlabelLength);
}
