// Numerical utilities: array and matrix kernels, tensors, character, bit and number utilities.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Tensor invariants, principal values and transformation ---------------------------------
//
// A tensor S holds NDI direct components (11, 22, 33) then NSHR shear components (12, 13, 23),
// 0 <= NDI, NSHR <= 3. LSTR 1 marks a stress; any other value a strain with engineering shears.

// SINV1 = trace / 3 and SINV2 = the von Mises equivalent value; SSINV also gives the deviator.
ZMX_EXPORT void SHR_SINV(const Real* s, Real* sinv1, Real* sinv2, const Int* ndi, const Int* nshr);
ZMX_EXPORT void SSINV(const Real* s, Real* sdev, Real* sinv1, Real* sinv2, const Int* ndi, const Int* nshr);
// Principal values PS(3) in closed form; in the general case ordered (largest, smallest, middle).
ZMX_EXPORT void SHR_SPRINC(const Real* s, Real* ps, const Int* lstr, const Int* ndi, const Int* nshr);
// The same with the unit principal directions in the rows of AN(3, 3) (orthonormal; not always
// right-handed).
ZMX_EXPORT void SHR_SPRIND(const Real* s, Real* ps, Real* an, const Int* lstr, const Int* ndi, const Int* nshr);
// D := Ts D Ts^T for the direction cosines T(3, 3) (T(i, j) between new axis i and old axis j); D
// of order NDI + NSHR packed (upper triangle by columns) when KSTORE = 0, else full with leading
// dimension LD.
ZMX_EXPORT void ROTD(Real* d, const Real* t, const Int* ndi, const Int* nshr, const Int* kstore, const Int* ld);
// V := its projection on the rigid-body rotation axis found from the three 3 x 3 blocks of
// A(3, 9). ISTAT 0; 1 for a zero V (V := 0); 2 when the axis could not be determined (warning).
ZMX_EXPORT void SHR_ELORBB(const Real* a, Real* v, const Int* ndim, Int* istat);

// ---- Array and matrix kernels ---------------------------------------------------------------

// Counts below 1 change nothing. Packed matrices hold the upper triangle column by column
// (entry (i, j), i <= j, at i + j(j - 1)/2); MXVARB matrices have leading dimension 7 (order 7 at
// most; a larger order is reported and changes nothing).
ZMX_EXPORT void AADD(const Real* a, const Real* b, Real* c, const Int* n);
ZMX_EXPORT void ASUB(const Real* a, const Real* b, Real* c, const Int* n);
ZMX_EXPORT void AADDII(const Int* a, const Int* b, Int* c, const Int* n);
ZMX_EXPORT void AMAXII(const Int* a, Int* b, const Int* n);
// c := a - b, set to 0 when its length is at most 0.01 scale.
ZMX_EXPORT void VECTORMINUS(const Real* a, const Real* b, Real* c, const Int* n, const Real* scale);
ZMX_EXPORT void IDENTITYVEC(Int* a, const Int* n);
// equal := 1 when the 8-byte items are equal in both 4-byte words, else 0.
ZMX_EXPORT void ACOMP(const void* a, const void* b, Int* equal);
// Single to double first to last; ACONFD last to first (s may sit at the start of d).
ZMX_EXPORT void ACOPSD(const float* s, Real* d, const Int* n);
ZMX_EXPORT void ACONFD(const float* s, Real* d, const Int* n);
// Double to single, saturated at +-1e36; s may sit at the start of d.
ZMX_EXPORT void ACOPDS(const Real* d, float* s, const Int* n);
ZMX_EXPORT void ACOP2TO1(const Real* a, const Int* ld, const Int* m, const Int* n, Real* b);
// n integers a to b; the arrays may overlap.
ZMX_EXPORT void SHR_ACOPII1(const Int* a, Int* b, const Int* n);
ZMX_EXPORT void SHR_ACOPII2(const Int* a, const Int* k, Int* b, const Int* n);
// b (m x n) := transpose of a (n x m).
ZMX_EXPORT void ATRA(const Real* a, Real* b, const Int* n, const Int* m);
ZMX_EXPORT void SHR_APRD1(const Real* a, const Real* b, Real* s, const Int* n);
ZMX_EXPORT void ADOT3(const Real* a, const Real* b, Real* s);
ZMX_EXPORT void APRDP1(const Real* A, const Real* x, Real* y, const Int* n);
ZMX_EXPORT void SHR_APRDC(Real* y, const Real* A, const Real* x, const Real* c, const Int* n);
ZMX_EXPORT void SHR_APRDTC(Real* y, const Real* A, const Real* x, const Real* c, const Int* n);
ZMX_EXPORT void AMPVMXVARB(const Real* A, const Real* x, Real* y, const Int* n);
ZMX_EXPORT void AVPMMXVARB(const Real* A, const Real* x, Real* y, const Int* n);
ZMX_EXPORT void APRDMXVARB(const Real* A, const Real* B, Real* G, const Int* n);
// G := G + A B for 3 x 3 A and B; G has leading dimension ldc.
ZMX_EXPORT void SHR_MATRIXMULT(const Real* A, const Real* B, Real* G, const Int* ldc);
ZMX_EXPORT void ADYAD3(const Real* a, const Real* b, Real* G);
ZMX_EXPORT void ADET33(const Real* A, Real* d);
ZMX_EXPORT void ATTOSC(const Real* P, Real* F, const Int* n);
ZMX_EXPORT void ATTOSCMXVARB(Real* A, const Int* n);
// G (p x k) += transpose(B) A;  A (m x k) -= B G;  A (m x n) -= B U;  A -= B transpose(U);
// S (packed n x n, upper part) += transpose(B) A.
ZMX_EXPORT void SHR_PRODRRANK(Real* G, const Real* A, const Real* B, const Int* m, const Int* k, const Int* p);
ZMX_EXPORT void SHR_SUBRRANK(Real* A, const Real* B, const Real* G, const Int* m, const Int* k, const Int* p);
ZMX_EXPORT void SHR_SUBURANK(Real* A, const Real* B, const Real* U, const Int* m, const Int* n);
ZMX_EXPORT void SHR_SUBLRANK(Real* A, const Real* B, const Real* U, const Int* m, const Int* n);
ZMX_EXPORT void SHR_SYMPRODRANK(Real* S, const Real* A, const Real* B, const Int* m, const Int* n);
ZMX_EXPORT void ANORML(Real* v, const Int* n, Real* s, Int* flag);
ZMX_EXPORT void ADNORM(const Real* e, Real* v, const Real* f, const Int* n);
ZMX_EXPORT void S3SET(const Real* s, Real* T, const Int* ndi, const Int* nshr);
ZMX_EXPORT void S3PROD(const Real* s, Real* d, const Int* ndi, const Int* nshr);
// (real, imaginary) pairs become (magnitude, phase in degrees).
ZMX_EXPORT void SHR_MSAMPH(Real* a, Real* b, const Int* n);


// ---- Character, bit and number utilities ----------------------------------------------------

// seed := (125 seed) mod 2796203 in 32-bit arithmetic; x := seed / 2796204.
ZMX_EXPORT void ARAND(Real* x, Int* seed);
// Bit array of 31 bits per word (bit k in word (k - 1)/31 + 1). Operation 0 clears 2 size words,
// 1 sets bit k, 2 clears it, 3 gives result 1 when it is clear; result is 0 otherwise. A bit
// number below 1 changes nothing.
ZMX_EXPORT void PGRBIT(const Int* operation, Int* bits, const Int* size, const Int* k, Int* result);
// 1 when bit n (1 to 31, worth 2^(n - 1)) of k is set, computed in signed arithmetic (negative k
// gives 0).
ZMX_EXPORT Int LTACDF(const Int* n, const Int* k);
// Letters a to z among the first n characters become upper case.
ZMX_EXPORT void VUPCAS(char* text, Int textLength, const Int* n);
// equal := 1 when the texts without trailing blanks agree regardless of case, else 0.
ZMX_EXPORT void SHR_ACOMPCASEPRESERV(const char* a, Int aLength, const char* b, Int bLength, Int* equal);
// length := position of the last non-blank among the first n characters, 1 when all are blank.
ZMX_EXPORT void SHR_STRLENEXCPTRAILBLANKS(const char* text, Int textLength, const Int* n, Int* length);
// The first n characters (at most 132) as (n - 1)/8 + 1 blank-padded 8-character items.
ZMX_EXPORT void ACODEE(const char* text, Int textLength, void* items, const Int* n);

extern "C++" {
// Ten-digit decimal integer that compares as a number: digits right-aligned and zero-filled,
// then the number of significant digits (at least 1; the value 0 has 1).
class ZMX_EXPORT shr_LargeInt {
 public:
  // From a terminated string of decimal digits; leading zeros are skipped and at most ten
  // significant digits are kept.
  explicit shr_LargeInt(const char* text);
  bool operator==(shr_LargeInt other) const;
  bool operator<(shr_LargeInt other) const;
  bool operator<=(shr_LargeInt other) const;
  bool operator>(shr_LargeInt other) const;
  bool operator>=(shr_LargeInt other) const;

 private:
  int compare(const shr_LargeInt& other) const;
  char digits_[11];
  int significant_;
};

// field := string, blank-padded; 0 when the string fills the field, else the string's length.
ZMX_EXPORT int apsc2f(char* field, const char* string, int fieldLength);
// Removes every white-space character of the terminated string in place.
ZMX_EXPORT void apcomp(char* string);
// Removes leading and trailing white space of the terminated string in place.
ZMX_EXPORT void apstrip(char* string);
}

}  // extern "C"
