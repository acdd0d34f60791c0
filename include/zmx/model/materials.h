// Materials: elastic stiffness and equivalent stresses, the material option table, tabular data
// interpolation and the elastic-plastic joint of a footing.
//
// Stresses and strains hold NDI direct components, then NSHR shear components (order 11, 22, 33,
// 12, 13, 23 of those present; engineering shear strains). A stiffness goes out packed: the upper
// triangle column by column, entry (i, j), i <= j, at j(j-1)/2 + i.
//
// A material record is an array of 8-byte slots (an integer in the low 4 bytes): slot 3 the option
// count, option k's code in slot 4 + 2k and the slot of its data in slot 5 + 2k. Option data are
// table records: D, D dependence flags, the row count R, the row length W (V values, then the D
// variables), then R rows, the first variable varying fastest. Record arguments typed Int* are
// the same slots seen as integers.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Elastic stiffness and equivalent stress ---------------------------------------------------

// Isotropic (E, nu); plane stress for NDI 2.
ZMX_EXPORT void MATEK1(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr);
// Orthotropic from its nine stiffness terms; NDI 1 and 2 condense the missing direct stresses.
ZMX_EXPORT void MATEK2(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr);
// Fully anisotropic from the 21 terms of the upper triangle (order 11, 22, 33, 12, 13, 23); NDI 1
// and 2 condense every component the output leaves out.
ZMX_EXPORT void MATEK3(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr);
// Orthotropic from engineering constants E1, E2, E3, nu12, nu13, nu23, G12, G13, G23.
ZMX_EXPORT void MATEK4(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr);
// Lamina in plane stress (E1, E2, nu12, G12): NDI 1 one real, NDI 2 six reals.
ZMX_EXPORT void MATEKL(const Real* props, Real* ddsdde, const Int* ndi);
// Short-fibre lamina of the element (variables 245 and 247) rotated to the element axes; with
// LEXPAN nonzero also CSANG = (cos, sin) and the rotated expansion (11, 12, 22 tensor entries).
ZMX_EXPORT void SHR_MATEKSHTFB(Real* expan, Real* ddsdde, const Int* ntens, Real* csang, const Int* lexpan,
                               const Int* handle);
// Rotated expansion of a short-fibre lamina (variables 246 and 247): 11, 22, engineering 12.
ZMX_EXPORT void SHR_MATEXQSHTFB(Real* expan, const Int* ntens, const Int* handle);
// Equivalent plastic strain, plastic incompressibility supplying the missing direct components.
ZMX_EXPORT void EQUIVP(const Real* ep, const Int* ndi, const Int* nshr, Real* eqplas);
// Mean stress and Mises (IHILL 0) or Hill equivalent stress.
ZMX_EXPORT void SBAR1(const Real* s, const Real* hill, Real* sinv1, Real* sbar, const Int* ndi, const Int* nshr,
                      const Int* npt, const Int* ihill, const Int* noel);
// Mean stress and Hill equivalent stress; a negative Hill sum is reported, clears CONTRO word 8
// and is left in SBAR.
ZMX_EXPORT void SBARH(const Real* hill, const Real* s, Real* sinv1, Real* sbar, const Int* noel, const Int* ndi,
                      const Int* nshr, const Int* npt);
// Three 0/1 flags of an element type from its family code (word 4) and word 10.
ZMX_EXPORT void DETMDLC(const Int* typeRecord, Int* iflag1, Int* iflag2, Int* iflag3);

// ---- Option table, failure indices, soil constants ---------------------------------------------

// Flag table of 1,400 words: word c the location of option c (codes 1 to 1300), words 1301 to
// 1317 the summary words.
ZMX_EXPORT void MATFLAGSET(const Real* material, Int* flags);
// Failure indices of a plane-stress ply: maximum stress, Tsai-Hill, Tsai-Wu, Azzi-Tsai-Hill
// (options 986) and maximum strain (option 987).
ZMX_EXPORT void MATPCF(const Real* stress, const Real* stran, const Real* material, Real* findex, const Real* x,
                       Real* work);
// Soil constants P(1..4) of a pipe-soil interaction material.
ZMX_EXPORT void PSIMATASCE(const Int* isoil, const Int* idir, const Int* loc, Real* p, const Real* material,
                           const Real* x, Real* work, Real* dval);

// ---- Table interpolation -----------------------------------------------------------------------

// One variable: rows W apart, V values then the variable.
ZMX_EXPORT void TABINT(const Real* tab, Real* val, const Real* xx, const Int* w, const Int* v, const Int* r,
                       Real* dval);
// One value in D variables (rows of the value and the D variables; SUB is only read), with its
// derivative in the first variable. WORK holds one row of D + 1 reals per row of SUB at most.
ZMX_EXPORT void TABINT1(Real* sub, Real* val, const Real* x, const Int* d, const Int* r, Real* dval, const Int* itab,
                        Real* work);
// Value K in D variables (SUB is only read; SCRATCH1 holds one row of D + 1 reals per row of SUB
// at most), with DVAL(K, j) for every variable (V x D).
ZMX_EXPORT void TABINT2(Real* sub, Real* val, const Real* x, const Int* d, const Int* v, const Int* r, Real* dval,
                        const Int* k, const Int* itab, Real* scratch1, Real* scratch2, Real* scratch3);
// Every value of a table record with its derivative in the first variable; WORK holds one row of
// D + 1 reals per row of the table at most.
ZMX_EXPORT void TABVAL(const Int* itab, const Real* tab, Real* val, const Real* x, Real* work, Real* dval);
// The same with the derivatives in every variable (DVAL V x D).
ZMX_EXPORT void TABVAL2(const Int* itab, const Real* tab, Real* val, const Real* x, Real* work, Real* dval);
// Value K of a bare row array, dependence flags from slots 7 .. 6 + D of IVARS.
ZMX_EXPORT void TABVAL3(const void* ivars, const Int* unused, const Real* tab, const Int* r, const Int* w, Real* val,
                        const Int* k, const Int* v, const Real* x, const Int* d);

// ---- Elastic-plastic joint ---------------------------------------------------------------------

// Fills the joint flags (10 integers), constants (9 reals), soil values and footing values from
// the section data and the material's options; LTAB 0 skips the table look-ups.
ZMX_EXPORT void MATEPJSET(const Int* ltab, Int* jepfl, Real* csec, Real* soilv, Real* footv, Real* dsoil,
                          Real* dfoot, const Real* material, const Int* imaterial, const Real* sectionReals,
                          const Int* sectionIntegers, Real* work, const Real* x, const Real* vi, const Int* element);
// Bearing diameter at penetration V, its derivative, and 1 when the full diameter is reached.
ZMX_EXPORT void MATEPJSETD(Real* diam, Real* ddiam, Int* ifull, const Real* csec, const Real* v);
// Vertical capacity at penetration V and its derivative.
ZMX_EXPORT void MATEPJSETVC(Real* vc, Real* dvc, const Real* v, const Int* jepfl, const Real* csec,
                            const Real* soilv);

}  // extern "C"
