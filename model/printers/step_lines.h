// Pieces shared by the step-procedure printers: the heading, the description, the incrementation
// groups, the stabilization lines and the texts that several printers repeat.
#pragma once

#include <string_view>

#include "runtime/fortran_types.h"

namespace zmx::steps {

// Line codes of HSTEPU used by the printers.
inline constexpr Int kDescription = 1;
inline constexpr Int kExplicitIntegration = 2;
inline constexpr Int kLargeDisplacement = 3;
inline constexpr Int kAutomaticTime = 4;
inline constexpr Int kAutomaticValues = 5;
inline constexpr Int kFixedTime = 6;
inline constexpr Int kIncrementControl = 11;
inline constexpr Int kCetol = 12;
inline constexpr Int kTemperatureChange = 13;
inline constexpr Int kFixedValues = 14;
inline constexpr Int kEmissivityChange = 15;
inline constexpr Int kConcentrationChange = 17;
inline constexpr Int kUnsymmetric = 19;

inline constexpr std::string_view kAcceptedAtLimit =
    "(/,5X,'THE SOLUTION TO EACH INCREMENT WILL BE ACCEPTED ','WHEN THE ITERATION LIMIT',/,5X,'HAS BEEN "
    "REACHED',' EVEN IF THE EQUILIBRIUM TOLERANCES ARE STILL EXCEEDED.',/,5X,'---WARNING--- INTERPRET ANY "
    "OUT-OF-EQUILIBRIUM RESULTS WITH ','CAUTION')";
inline constexpr std::string_view kAdiabatic = "(/,10X,'ADIABATIC STRESS ANALYSIS WILL BE PERFORMED ',/)";
inline constexpr std::string_view kBulkViscosity =
    "(10X,'LINEAR BULK VISCOSITY PARAMETER IS',7X,1P,G12.3,/,10X,'QUADRATIC BULK VISCOSITY PARAMETER "
    "IS',7X,1P,G12.3)";
inline constexpr std::string_view kFrequencyRangeHeader =
    "(10X,'FREQUENCY RANGE DEFINITIONS (CYCLES/TIME)',/,10X,9X,'LOW',9X,'HIGH',5X,'POINTS',9X,'BIAS',3X,'TYPE OF "
    "SCALING',/,/)";

// "(/,/,24X,'S T E P',3X,I5,5X,title)" (indent 18 for the transport heading), then PAGIN(3).
void heading(std::string_view title, const Int* istep, const Int* iprint, int indent = 24);
// The description of slots 6 to 15: HSTEPU code 1 with ten pieces.
void description(const Real* rec, const Int* iprint);
// One HSTEPU line; values may be null for the codes that print none.
void line(Int code, const Real* values, const Int* iprint, Int nval = 0);
// Automatic incrementation (codes 4 and 5 from values) or fixed (codes 6 and 14).
void automaticIncrements(const Real* values, const Int* iprint);
void fixedIncrements(const Real* values, const Int* iprint);
// The stabilization lines from the dissipation intensity and factor.
void stabilization(Real intensity, Real factor, const Int* iprint);

// REC(k) as a pointer to the slot, as a real and as the integer it holds.
inline const Real* at(const Real* rec, long long k) { return rec + (k - 1); }
Real realAt(const Real* rec, long long k);
Int integerAt(const Real* rec, long long k);
Int printUnit(const Int* iprint);

}  // namespace zmx::steps
