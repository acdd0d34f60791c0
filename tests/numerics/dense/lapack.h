// The reference LAPACK routines the numerical tests and benchmarks compare against (Fortran calling convention:
// every argument by address, hidden character lengths last).
#pragma once

#include <cstddef>

extern "C" {
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b, const int* ldb, int* info);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work, const int* lwork, int* info);
void dspev_(const char* jobz, const char* uplo, const int* n, double* ap, double* w, double* z, const int* ldz,
            double* work, int* info, std::size_t, std::size_t);
void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda, double* w, double* work,
            const int* lwork, int* info, std::size_t, std::size_t);
void dposv_(const char* uplo, const int* n, const int* nrhs, double* a, const int* lda, double* b, const int* ldb,
            int* info, std::size_t);
void dpbsv_(const char* uplo, const int* n, const int* kd, const int* nrhs, double* ab, const int* ldab, double* b,
            const int* ldb, int* info, std::size_t);
void dgtsv_(const int* n, const int* nrhs, double* dl, double* d, double* du, double* b, const int* ldb, int* info);
void dtptri_(const char* uplo, const char* diag, const int* n, double* ap, int* info, std::size_t, std::size_t);
}
