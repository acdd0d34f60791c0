// Numerical utilities: the exported routines of subsystem 2.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {

// ---- Sorting and ordered search -------------------------------------------------------------

// ---- Dense solvers and matrix inversion -----------------------------------------------------

// ---- Symmetric eigenproblem, skyline solver, polynomial roots, tridiagonal systems ----------

// ---- Tensor invariants, principal values and transformation ---------------------------------

// ---- Array and matrix kernels ---------------------------------------------------------------

// ---- Rotation vectors and quaternions -------------------------------------------------------

// ---- Material and node orientations ---------------------------------------------------------

// ---- Character, bit and number utilities ----------------------------------------------------

}  // extern "C"
