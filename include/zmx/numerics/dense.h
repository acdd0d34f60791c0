// Numerical utilities: dense and skyline solvers, inversion, eigenproblem, roots, tridiagonal systems.
#pragma once

#include "zmx/types.h"

extern "C" {

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

}  // extern "C"
