#pragma once

#include <cstdint>
#include <vector>

#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"
#include "core/real.h"

// Pearson and Spearman correlation: the XY reports and the computations the
// paired tests use on two columns.
namespace ombrix::analyses {

using core::DataTable;

struct PearsonResult {
    int n = 0;
    Real r = MissingValue;
    Real r2 = MissingValue;
    Real se = MissingValue;
    // 95% limits through Fisher's z; MissingValue with 3 pairs or fewer.
    Real lower = MissingValue;
    Real upper = MissingValue;
    Real p = MissingValue;  // two-tailed
    // 0, or 47, 37, 38 or 39 (error_codes.h) when the data do not allow r.
    int errorCode = 0;
};

// Exactness of the Spearman P value. The values are the progress codes that
// end an exact computation (ProgressStop, ProgressContinue, ProgressTooLong).
enum class SpearmanExactness { Cancelled = 0, Exact = 1, TooLong = 2 };

struct SpearmanResult {
    int n = 0;
    Real rs = MissingValue;
    Real rs2 = MissingValue;
    Real se = MissingValue;
    // 95% limits, computed only for more than 10 pairs; MissingValue otherwise.
    Real lower = MissingValue;
    Real upper = MissingValue;
    bool ties = false;
    Real p = MissingValue;  // two-tailed; negative when the user cancelled during data collection
    SpearmanExactness exactness = SpearmanExactness::Exact;
    // 0, or 47, 37 or 38 (error_codes.h) when the data do not allow rs.
    int errorCode = 0;
};

// Pairs row by row between column x and column y of the table (read with
// GetAnalysisValue); a pair needs both cells. The result's error code tells
// where the data do not allow the computation: no pair 47, one X value 37,
// one Y value 38, and for Pearson fewer than 3 pairs 39. A perfect
// correlation (r = 1 or -1) has SE 0, P 0 and both limits equal to r.
PearsonResult ComputePearson(const DataTable& table, int xColumn, int yColumn);

// As ComputePearson, on ranks (tied values share their mean rank; rs is
// corrected for ties). Shows its progress while reading the rows; a cancel
// there gives p = -1 and nothing else. Up to MaxExactSpearmanPairs pairs the
// P value is exact, counted over the n! orderings of the ranks 1..n (ties
// ignored); a cancel or a "too long" answer from progress during that count
// leaves the approximate P value (t with n - 2 df) and says so in exactness.
SpearmanResult ComputeSpearman(const DataTable& table, int xColumn, int yColumn, ProgressReporter& progress);

// Beyond this many pairs the exact Spearman P value is not attempted.
inline constexpr int MaxExactSpearmanPairs = 12;

struct RankDifferenceCounts {
    // counts[s]: how many orderings p of the ranks 1..n have
    // sum over k of (p(k) - k)^2 equal to s, for s from 0 to (n^3 - n) / 3.
    // Empty when the count was stopped or not attempted.
    std::vector<std::uint64_t> counts;
    SpearmanExactness exactness = SpearmanExactness::Exact;
};

// The null distribution of the sum of squared rank differences, for n from 0
// to MaxExactSpearmanPairs (anything else: not attempted, TooLong). The n!
// orderings are not visited one by one: the count runs over the 2^n subsets
// of ranks already placed, carrying for each subset how many ways each partial
// sum can be reached, under 15 million additions for n = 12.
// progress, when given, hears CalcProgress about 64 times with the share done;
// its first answer other than ProgressContinue stops the count and becomes
// the exactness.
RankDifferenceCounts squaredRankDifferenceCounts(int n, ProgressReporter* progress = nullptr);

}  // namespace ombrix::analyses
