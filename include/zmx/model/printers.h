// The printed echo of step procedures, solution controls and contact controls, and the defaults
// of the solution controls.
//
// A procedure record REC is an array of 8-byte slots counted from 1 (a real, or an integer in the
// low word of its slot); slots 6 to 15 hold the 80-character step description and N marks where
// the procedure's own data begin. IREC is the same record seen as integers. IPRINT is the print
// record: its first word is the unit of the printed output, and it is handed on to PAGIN.
#pragma once

#include "zmx/types.h"

extern "C" {
// ---- step procedures ---------------------------------------------------------------------------

// One incrementation or option line by code (1 the description of NVAL 8-character pieces).
ZMX_EXPORT void HSTEPU(const Real* values, const Int* nval, const Int* code, const Int* iprint);
ZMX_EXPORT void HSTEPH(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HMDIF(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSTEPCTE(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSSTRANS(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSTPSL(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSTPTD(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSTEPC(const Real* rec, const Int* n, const Int* unused1, const Int* unused2, const Int* istep,
                       const Int* iprint);
ZMX_EXPORT void HMODYN(const Real* rec, const Int* n, const Int* istep, const Int* iprint);
ZMX_EXPORT void HSPEC(const Real* rec, const Int* n, const Int* istep, const Int* iprint);
ZMX_EXPORT void HRRES(const Int* irec, const Real* rec, const Int* n, const Int* istep, const Int* iprint);
// Also leaves the solution method in CPROD word 19.
ZMX_EXPORT void HSSRES(const Int* irec, const Real* rec, const Int* n, const Int* istep, const Int* iprint);
// Implicit, subspace and explicit dynamics; EXPL comes back 1 for the explicit procedures 17, 74.
ZMX_EXPORT void HSTEPD(const Real* rec, const Int* n, const Int* unused, const Int* kproc, const Int* istep,
                       const Int* iprint, Int* expl);
// Eigenvalue extraction (KPROC 41 natural frequencies, 42 buckling); BUF receives the records of
// the slide-line database read for the cyclic-symmetry request.
ZMX_EXPORT void HSTEPE(const Int* irec, const Real* rec, const Int* n, const Int* kproc, const Int* istep,
                       const Int* iprint, const Int* unsym, Int* lcase, const Int* lancz, Real* buf);
// Restart, output and control settings of a step, on the unit of CLINES word 14.
ZMX_EXPORT void HSTEPT(const Real* rec, const Real* values, const Int* nrst, const Int* nint, const Int* ipflag);

// ---- solution controls -------------------------------------------------------------------------

// Sets every solution-control default (56 arguments: see the setters below for their groups).
ZMX_EXPORT void PRINST(Int* i1, Int* i2, Int* i3, Int* t1, Int* t2, Int* t3, Int* t4, Int* t5, Int* t6, Int* t7,
                       Int* t8, Int* t9, Int* t10, Int* l1, Real* c1, Real* c2, Real* c3, Real* cpair, Real* tr1,
                       Real* tr2, Real* tr3, Real* tr4, Real* tr5, Real* tr6, Real* tr7, Real* tr8, Real* tr9,
                       Real* tr10, Real* tr11, Real* tr12, Real* tr13, Real* tr14, Real* tr15, Real* tr16,
                       Real* ownPair, Real* own1, Real* own2, Real* own3, Real* lr1, Real* lr2, Real* lr3, Real* lr4,
                       Real* fscalar1, Real* f1, Real* f2, Real* f3, Real* f4, Real* f5, Real* f6, Real* f7, Real* f8,
                       Real* c4, Real* c5, const Int* kproc, Real* f9, Real* fscalar2);
// Per-field defaults of field J in its nine arrays (8 reals each) and two scalars.
ZMX_EXPORT void ICONTF(const Int* j, Real* a1, Real* a2, Real* a3, Real* a4, Real* a5, Real* a6, Real* a7, Real* a8,
                       Real* a9, Real* s1, Real* s2);
ZMX_EXPORT void ICONTC(Real* r1, Real* r2, Real* r3, Real* pair, Real* r4, Real* r5);
ZMX_EXPORT void ICONTT(Int* i1, Int* i2, Int* i3, Int* i4, Int* i5, Int* i6, Int* i7, Int* i8, Int* i9, Int* i10,
                       Real* r1, Real* r2, Real* r3, Real* r4, Real* r5, Real* r6, Real* r7, Real* r8, Real* r9,
                       Real* r10, Real* r11, Real* r12, Real* r13, Real* r14, Real* r15, Real* r16);
ZMX_EXPORT void ICONTL(Int* i1, Real* r1, Real* r2, Real* r3, Real* r4);
ZMX_EXPORT void ICONX(Int* i1, Int* i2, Int* i3, Int* i4, Int* i5, Int* i6, Int* i7, Real* r1, Real* r2, Real* r3,
                      Real* r4, Real* r5, Real* r6, Real* r7, Real* r8, Real* r9, Real* r10, Real* r11, Real* r12,
                      Real* r13, Real* r14, Real* r15, Real* r16, Real* r17);
ZMX_EXPORT void ICONXF(Real* a1, Real* a2, Real* a3, Real* a4, Real* a5, Real* a6, Real* a7, Real* a8);

// Control tables of a step: ICONT the integer controls (8-byte slots), RCONT the reals.
ZMX_EXPORT void HSTTIM(const void* icont, const Real* rcont, const Int* kproc, const Int* unused, const Int* accur,
                       const Int* iprint, const Int* full);
ZMX_EXPORT void HSTLS(const void* icont, const Real* rcont, const Int* iprint, const Int* kproc);
ZMX_EXPORT void HSTTOL(const void* icont, const Real* rcont, const Int* averageAsValue, const Int* iprint,
                       const Int* field3From5, const Int* field4From6, const Int* kproc);
// Explicit tables; for procedures other than 18 and 21 they reset the controls to the defaults.
ZMX_EXPORT void HSTTIMX(void* icont, Real* rcont, const Int* kproc);
ZMX_EXPORT void HSTTOLX(void* icont, Real* rcont, const Int* kproc);
ZMX_EXPORT void SHR_GETLOCALPARAMETERS(Int* ia, Int* ib, Real* r);
// Lowest and highest frequency point of a frequency step.
ZMX_EXPORT void FREQBOUND(const Int* n, const Int* irec, const Real* rec, Real* flow, Real* fhigh);

// ---- contact controls --------------------------------------------------------------------------

ZMX_EXPORT void HGLOBALCONTCTRL(const Real* g);
ZMX_EXPORT void HLOCALCONTCTRL(Real* p, const Int* skip);
ZMX_EXPORT void HESCONTCTRL(Int* p, Real* r, const void* unused);
// MODE 0 initialises the long-label index list; any other MODE prints the referenced labels.
ZMX_EXPORT void HLABEL(const Int* mode, Int* idx);
// Turns a label token into its printed form and marks the label as referenced.
ZMX_EXPORT void LABINP(char* token, Int tokenLength, Int* idx);
}
