// Numerical utilities: the exported routines of subsystem 2.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {

// ---- Sorting and ordered search -------------------------------------------------------------
//
// Arrays are 1-based in the arithmetic; a strided array holds entry j at (j - 1) * ld. A count
// of 1 or less leaves every sort's arrays unchanged.

// Quicksorts of real keys ascending (status 0); companions move with their keys: ib strided by
// ld (ASORT4), the reals b (ASORT10), columns of m reals of v and the integers ib, ic (ASORT13,
// ASORT14).
ZMX_EXPORT void ASORT4(Real* keys, Int* ib, const Int* ld, const Int* n, Int* status);
ZMX_EXPORT void ASORT10(Real* keys, Real* b, const Int* n, Int* status);
ZMX_EXPORT void ASORT13(Real* keys, Real* v, Int* ib, const Int* m, const Int* n, Int* status);
ZMX_EXPORT void ASORT14(Real* keys, Real* v, Int* ib, Int* ic, const Int* m, const Int* n, Int* status);
// Heapsorts of integer keys ascending: a with b and c (the fifth argument is not read); the
// strided ia alone (status 0).
ZMX_EXPORT void ASORT6(Int* a, Int* b, Int* c, const Int* n, const Int* unused);
ZMX_EXPORT void ASORT9(Int* ia, const Int* ld, const Int* n, Int* status);
// Sort ascending, then keep one entry of each run of equal values and drop zeros; n receives the
// count kept. status 1 (nothing done) for n < 0, else 0.
ZMX_EXPORT void ASORT1(Int* a, Int* n, Int* status);
ZMX_EXPORT void ASORT11(Int* ia, const Int* ld, Int* n, Int* status);
// Integer keys a ascending with b moved along: ASORT2 orders equal keys by b. status -1 for
// n < 0, else 0.
ZMX_EXPORT void ASORT2(Int* a, Int* b, const Int* n, Int* status);
ZMX_EXPORT void ASORT5(Int* a, Int* b, const Int* n, Int* status);
// Three reals ascending.
ZMX_EXPORT void ASORTA(Real* a);
// d(1..3) descending with the columns of v(3, 3); kind 7 orders all three, any other kind only
// d(1) and d(2).
ZMX_EXPORT void ASORTD(Real* d, Real* v, const Int* kind);
// Keys ascending by magnitude (equal magnitudes: negative first) with columns of m reals of v.
ZMX_EXPORT void ABSORT(Real* a, Real* v, const Int* n, const Int* m);

// Hunt in an ordered (ascending or descending) table from the guess in position: position
// receives the index of an equal entry (flag 0), else of the last entry before x in the table's
// order (flag 1), 0 before the first or beyond the last entry. HUNTIFO and HUNTI1 (strided)
// give the first of equal entries.
ZMX_EXPORT void HUNTI(const Int* table, const Int* n, const Int* x, Int* position, Int* flag);
ZMX_EXPORT void HUNTIFO(const Int* table, const Int* n, const Int* x, Int* position, Int* flag);
ZMX_EXPORT void HUNTI1(const Int* table, const Int* ld, const Int* n, const Int* x, Int* position, Int* flag);
// The same on a strided real table with the tolerance 2.22e-13 times its span: found 1 when x
// lies within it of the entry at position; position n + 1 beyond the last entry.
ZMX_EXPORT void HUNTF(const Real* table, const Int* n, const Real* x, Int* position, Int* found, const Int* ld);

// mode >= 0: mapsub(i) := position of jsub(i) in jset, 0 when absent (a level -3 message when
// check = 1); mode 0 then clears ldset * nset words of mapset and sets mapset(mapsub(i)) := i.
// mode < 0: mapset(j) := position of jset(j) in jsub, 0 when absent.
ZMX_EXPORT void ASUBSET(const Int* mode, const Int* check, const Int* jsub, const Int* ldsub, const Int* nsub,
                        const Int* jset, const Int* ldset, const Int* nset, Int* mapsub, Int* mapset);
// c := the na 8-byte slots of a, then every slot of b whose integer is not among those of a.
ZMX_EXPORT void AUNIONSET(const void* a, const Int* na, const void* b, const Int* nb, void* c, Int* nc);
// Sorts a ascending; map(k) receives the position before sorting of the k-th sorted entry.
ZMX_EXPORT void CREATE_INVERSE_MAP(Int* a, Int* map, const Int* n);

// ---- Dense solvers and matrix inversion -----------------------------------------------------
//
// Matrices are column-major with leading dimension NP (N for AINVNDP and AINVNOMESSAGE, 7 for
// AINVMXVARB). A pivot of magnitude at or below 1e-36 counts as zero. Orders beyond a routine's
// limit are reported at level -3 and nothing is computed.

// LU factors of the row-exchanged A in place (Crout, implicit pivoting); INDX the row exchanges,
// D the parity, 0 for a row without a nonzero entry (ALUDCMP reports it at level -2; ALUDCMP1
// is silent). Orders up to 2000 (ALUDCMP) and 100 (ALUDCMP1).
ZMX_EXPORT void ALUDCMP(Real* a, const Int* n, const Int* np, Int* indx, Real* d);
ZMX_EXPORT void ALUDCMP1(Real* a, const Int* n, const Int* np, Int* indx, Real* d);
// B := the solution of A X = B from the factors of ALUDCMP.
ZMX_EXPORT void ALUBKSB(const Real* a, const Int* n, const Int* np, const Int* indx, Real* b);
// AINV := the inverse of A (destroyed), D := its determinant; 0 for a singular matrix, AINV is
// then undefined. Through ALUDCMP (AINV2) or ALUDCMP1 (AINV3); orders up to 100.
ZMX_EXPORT void AINV2(Real* a, Real* ainv, Real* d, const Int* n, const Int* np);
ZMX_EXPORT void AINV3(Real* a, Real* ainv, Real* d, const Int* n, const Int* np);
// X := the solution of A X = B (A destroyed, B kept); X is left alone for a singular A.
ZMX_EXPORT void ASOL(Real* a, Real* x, const Real* b, const Int* n, const Int* np);
// Gauss-Jordan inverses with full pivoting: AINVNDP up to order 30 (a singular pivot is reported
// at level -2 and the routine stops); AINVNOMESSAGE up to order 10 with the determinant and its
// sign ISIGN (0 and 0, silently, for a singular matrix); AINVMXVARB of the leading N x N block of
// a 7 x 7 array, closed forms for N <= 3 (a singular pivot of a larger order is warned about and
// the elimination goes on).
ZMX_EXPORT void AINVNDP(const Real* a, Real* ainv, const Int* n);
ZMX_EXPORT void AINVNOMESSAGE(const Real* a, Real* ainv, Real* det, const Int* n, Int* isign);
ZMX_EXPORT void AINVMXVARB(const Real* a, Real* ainv, const Int* n);
// A := its inverse and B(NP, M) := the solutions of the M right-hand sides; IERR 0, or -1 for a
// singular matrix. Orders up to 50.
ZMX_EXPORT void GAUSSJORDAN(Real* a, const Int* n, const Int* np, Real* b, const Int* m, Int* ierr);
// Inverse of a lower triangle packed by rows (element (i, j) at i(i-1)/2 + j); no zero test.
ZMX_EXPORT void AINVLT(const Real* a, Real* ainv, const Int* n);
// Symmetric elimination without pivoting of the upper triangle packed by columns: D the pivots,
// IFLAG(i) 1 for a pivot <= 1e-36, NNEG increased by their count.
ZMX_EXPORT void ADEC1(Real* a, const Int* n, Real* d, Int* iflag, Int* nneg);

// ---- Symmetric eigenproblem, skyline solver, polynomial roots, tridiagonal systems ----------

// Householder reduction of the packed symmetric AP (lower triangle by rows, read only) to
// tridiagonal form: diagonal D, sub-diagonal E(2..N) (E(1) = 0), the transformation in Z (N x N).
ZMX_EXPORT void AHOUS(const Real* ap, Real* d, Real* e, Real* z, const Int* n);
// QL iterations with implicit shifts on the output of AHOUS: D the eigenvalues (unsorted), column
// k of Z the unit eigenvector of D(k); E is destroyed. IERR 0, or the index of the eigenvalue
// that took more than 30 iterations.
ZMX_EXPORT void AQR(Real* d, Real* e, Real* z, const Int* n, Int* ierr);

// Skyline L D L^T solver: A holds column n's diagonal at MAXA(n) and the entries above it upward;
// MAXA(NN + 1) = NWK + 1. JOP 1 factorises A in place (a pivot <= 1e-36 is reported at level -3
// and the factorisation goes on), JOP 2 replaces V by the solution.
ZMX_EXPORT void COLSOL(Real* a, Real* v, const Int* maxa, const Int* nn, const Int* nwk, const Int* jop);
// Real roots of COEF(1) + COEF(2) x + COEF(3) x^2 + COEF(4) x^3: none when |COEF(4)| < 1e-36.
ZMX_EXPORT void SOLVECUBIC(const Real* coef, Real* roots, Int* nroots);
// Real roots of COEF(1) + COEF(2) x + COEF(3) x^2, the linear root when |COEF(3)| < TOL.
ZMX_EXPORT void SOLVEQUADRATIC(const Real* coef, const Real* tol, Real* roots, Int* nroots);
// Tridiagonal systems with NRHS right-hand sides in R(LDR, NRHS): SUB(2..N), DIAG(1..N),
// SUPER(1..N-1), overwritten by the factors. IERR 1 for a pivot <= 1e-36 (R untouched).
ZMX_EXPORT void TRIDIAGONAL_SYSTEM(Real* sub, Real* diag, Real* super, Real* r, const Int* ldr, const Int* nrhs,
                                   const Int* n, Int* ierr);
// The same with the corner couplings U(1) = element (1, N) and V(1) = element (N, 1); N >= 3
// (IERR 1 otherwise).
ZMX_EXPORT void TRIDIAGONAL_SPECIAL(Real* sub, Real* diag, Real* super, Real* u, Real* v, Real* r, const Int* ldr,
                                    const Int* nrhs, const Int* n, Int* ierr);

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


// ---- Rotation vectors and quaternions -------------------------------------------------------

// Rotation vectors: direction the axis, length the angle in radians. Quaternions are stored with
// the vector part first and the scalar last (flag even) or the scalar first (flag odd); the
// plane form holds the out-of-plane component and the scalar.
// Y := R applied to the N columns of X (3 x N; Y may be X); a copy when CONTRO word 2 is 0.
ZMX_EXPORT void SHR_ANROT(const Real* X, Real* Y, const Real* R, const Int* N);
// The same with the switch passed (0 = copy).
ZMX_EXPORT void ANROTSHR(const Real* X, Real* Y, const Real* R, const Int* N, const Int* IFLAG);
// R3 := rotation R1 applied after R2.
ZMX_EXPORT void COMPROT(const Real* R1, const Real* R2, Real* R3);
// On entry R = R0 + increment; on exit R0 composed with the increment (increment first).
ZMX_EXPORT void SHR_ROTUP(Real* R, const Real* R0);
// T := [c -s; s c], the plane rotation that takes direction A to direction B.
ZMX_EXPORT void COMPUTEROT2D(const Real* A, const Real* B, Real* T);
// S := skew matrix of W (S v = W x v).
ZMX_EXPORT void SHR_AXIALTOSKEW(const Real* W, Real* S);
// Rotates the tangents T1, T2 by the rotation that takes N to NNEW; a nearly reversed normal
// first turns N and T1 round in the caller's arrays.
ZMX_EXPORT void ROTATE_ORIENTATION(Real* T1, const Real* T2, Real* N, const Real* NNEW, Real* T1NEW, Real* T2NEW);
// Quaternion of the rotation matrix R (3 x 3) in the order chosen by IFLAG.
ZMX_EXPORT void CALQUAT(Real* Q, const Real* R, const Int* IFLAG);
// Z := conj(A) B in the vector-first order; the plane form when NDIM < 3. Z may be A or B.
ZMX_EXPORT void QUATM(const Real* A, const Real* B, Real* Z, const Int* NDIM);
// Z (3 x 3) := R(q) S R(q)^T of the six-word tensor A (11, 22, 33, 12, 13, 23) when MODE(1) = 1;
// MODE(2) 1 or 3 adds a pass rounded to single precision. The last argument is not read.
ZMX_EXPORT void QUATROT(const Real* A, const Real* Q, Real* Z, const Int* NQ, const Int* IFLAG, const Int* MODE,
                        const void* unused);
// Z := the tensor of a principal-frame record A (3 values, then the quaternion), optionally
// after the further rotation B (MODE(1) = 2), printed when IPRINT is not 0.
ZMX_EXPORT void QUATDEB(const Real* A, const Real* B, Real* Z, const Int* NDIM, const Int* IFLAG, const Int* MODE,
                        const Int* IPRINT);
// P(1..3) := principal values of the tensor S (NDI direct, NSHR shear components; a strain for
// the strain output types of KTYPE), P(4..7) := quaternion of the right-handed principal frame
// (vector first), in the plane form (P(4), P(5)) unless 7 <= KSPACE <= 9. A one-direct-component
// tensor with KSPACE 9 and one shear is first spread to two direct components (S and NDI change).
ZMX_EXPORT void CALPRINQUAT(Real* S, Real* P, const Int* KTYPE, const Int* KSPACE, Int* NDI, const Int* NSHR);


// ---- Material and node orientations ---------------------------------------------------------

// Directions are 3 x 3 column-major, column m direction m; ORI is an orientation record of
// 8-byte slots (3 the coded name, 4-6 point a, 7-9 point b, 10 the axis and 11-13 the angle,
// cosine and sine of the additional rotation, 14-15 local node numbers).
// Material directions at one point of an element. A is output (input for system types 0 and 4)
// and comes back with the directions as rows, except for element types 300 to 399. ORI is
// changed (node-defined points into slots 4-9, global shell directions into slots 1-6): pass a
// working copy. A node-defined type (over 100) comes back reduced by 100.
ZMX_EXPORT void MORIENT(Real* A, Real* ORI, const Real* X, const Real* S, const Int* element, const Real* nodes,
                        const Int* point, const Int* layer, Int* type, const Int* nodeCount, const Int* kind,
                        Int* reversed, const Int* elementType, const Int* ncoords);
// Local directions of the orientation at a node, as the rows of A; node is the node record
// (word 2 the node number). Failures are printed at level -3 and the routine goes on.
ZMX_EXPORT void NORIENT(Real* A, const Real* ORI, const Real* X, const Int* node, const Int* type);
// Transforms n node vectors of U (stride ld) in place by T: two components in two-dimensional
// models (CLDOF word 3 = 0), else three, and words 4-6 as well when code mod 64 is 63. With
// flag 0, T is first transposed IN PLACE and stays transposed for the caller.
ZMX_EXPORT void NODTRN(const Int* code, Real* T, Real* U, const Int* flag, const Int* n, const Int* ld);
// Mode 0: T := the in-plane rotation stored in element variable 34. Otherwise: variable 32 :=
// the two direction columns of D (flag 0) or D with the in-plane rotation T applied, and, when
// flag2 is not 0, variable 34 := (T11, T12).
ZMX_EXPORT void MORIENTS(const Int* mode, Real* T, const Real* D, const Int* flag, const Int* layout,
                         const Int* flag2);
// Mode 0 stores rows 1 and 2 of A (or A11 and A12) in variable 32; B := transpose of A always.
ZMX_EXPORT void MORIENTW(const Real* A, Real* B, const Int* ndi, const Int* nshr, const Int* mode,
                         const Int* layout, const Int* kind);
// Variable 32 := rows 1 and 2 of A and of B (type code 3491), else (A11, A12, B11, B12).
ZMX_EXPORT void CONNMORIENTW(const Real* A, const Real* B, const Int* type, const Int* layout);


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
