#pragma once

#include "analyses/analysis_inputs.h"
#include "analyses/column_statistics.h"

// The one-sample, paired and unpaired (pooled or Welch) t tests, and the one-
// and two-column dispatch that sends nonparametric requests to the rank tests.
// OneColumnTest and TwoColumnTest (declared in analyses.h) live here: they
// run one test and return its analysis error code; the report frame around
// them writes the code's message.
namespace ombrix::analyses {

// Two-sided 95% critical value of Student's t used for the confidence
// intervals of the t tests: the three-decimal table for 1 to 13 df, above
// that 1.96·df/(df − 1.20722), which is within 0.0003 of the exact quantile
// from 14 df on and reaches 1.96 for large df. 0 for df below 1.
Real criticalT(int df);

// |mean − hypothetical| / (sd/√n), for n >= 1 and sd > 0.
Real tRatio(int n, Real sd, Real hypothetical, Real mean);

// ((n1−1)·sd1² + (n2−1)·sd2²) / (n1+n2−2), for n1 + n2 > 2.
Real pooledVariance(int n1, int n2, Real sd1, Real sd2);

// What a t test found. difference is mean − H (one sample), the mean of
// first − second (paired) or mean2 − mean1 (unpaired); t is |difference|/SE;
// p is two-tailed; the limits are difference ∓ criticalT·SE.
struct TTestResult {
    int errorCode = 0;  // not 0: the data do not allow the test, nothing else is set
    Real difference = 0;
    Real standardError = 0;
    Real t = 0;
    int df = 0;
    Real p = 1;
    Real criticalT = 0;
    Real lower = 0;
    Real upper = 0;
};

// The F test of equal variances, larger variance over smaller. p is twice the
// upper tail and may exceed 1 when the F distribution's median is above 1.
struct FTestResult {
    Real f = 1;
    int numeratorDf = 0;
    int denominatorDf = 0;
    Real p = 1;
};

struct UnpairedTResult {
    TTestResult test;
    FTestResult fTest;  // computed whichever variances were assumed
};

enum class PairingCheck {
    TooFewPairs,    // three differences or fewer
    NoVariability,  // a column (or its paired values) has SD 0: no r
    Computed,
};

struct PairedTResult {
    TTestResult test;
    // The summaries of both columns and of the differences (titled "Difference").
    core::ColumnRecord first;
    core::ColumnRecord second;
    core::ColumnRecord differences;
    // The differences are all equal (to the rounding of their subtraction):
    // no t, P or interval, and the summary shows SD and SEM 0.
    bool zeroSd = false;
    PairingCheck pairing = PairingCheck::TooFewPairs;
    Real r = MissingValue;
    Real rP = MissingValue;     // two-tailed
    NormalityResult normality;  // of the differences; missing when zeroSd or too few
};

// A column's summary as the t tests use it: a raw column's statistics and
// its normality test (NormalityTest decides whether there are enough values)
// are computed from the table; a typed summary column only gets its missing
// SD or SEM and limits. The title is the input's.
core::ColumnRecord summarizeColumn(const DataTable& table, const ColumnInput& column);

// Code 40 when the column's SEM is 0 (or its mean, SD and SEM are not all
// known, as in a typed column left incomplete), code 49 when N is below 2.
TTestResult oneSampleT(const core::ColumnRecord& column, Real hypothetical);

// Code 40 when either SEM is 0 (or unknown), code 49 when either N is below 2.
// SDs up to the top of the extended range give a finite standard error.
UnpairedTResult unpairedT(const core::ColumnRecord& first, const core::ColumnRecord& second, Variances variances);

// Tests the differences first − second of the rows that hold both values
// (pairedDifferences). Code 44 for a typed summary column, 49 when either
// column has fewer than 2 values, 50 with fewer than 2 pairs. The
// correlation of the columns is computed from 4 pairs on.
PairedTResult pairedT(const DataTable& table, const ColumnInput& first, const ColumnInput& second);

}  // namespace ombrix::analyses
