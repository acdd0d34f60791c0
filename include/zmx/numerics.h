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

// ---- Rotation vectors and quaternions -------------------------------------------------------

// ---- Material and node orientations ---------------------------------------------------------

// ---- Character, bit and number utilities ----------------------------------------------------

}  // extern "C"
