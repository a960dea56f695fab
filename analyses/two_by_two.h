#pragma once

#include <cstdint>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/real.h"

// The two-by-two contingency table: Fisher's exact test or the chi-square
// test, the relative risk, the odds ratio, the difference of the row
// proportions and the values of a diagnostic test, then the table itself.
// A ratio that is infinite is MissingValue (its negative for minus infinity),
// printed as "Infinity" and "-Infinity".
namespace ombrix::analyses {

struct Interval {
    Real lower = 0;
    Real upper = 0;
};

struct FisherResult {
    Real twoSided = 0;
    Real oneSided = 0;
};

// Fisher's exact test of the table a b / c d (counts >= 0, a+b+c+d at most
// 2000). The one-sided P sums the tables at least as far from independence
// in the observed direction, the two-sided P every table with the observed
// margins that is no more likely than the observed one. Probabilities equal
// in exact arithmetic are taken as equal: a table counts when its
// probability is at most the observed one times 1 + 1e-7.
FisherResult fisherExactTest(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

// The hypergeometric probability of the table a b / c d given its margins,
// from the prime factorisation of the factorials (exact up to the rounding
// of a few hundred multiplications). a+b+c+d at most 2000.
Real tableProbability(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

// The exact (Clopper-Pearson) 95% interval of the proportion x/n, 0 <= x <= n,
// n >= 1: the proportions at which observing at most (at least) x has
// probability 0.025, found on the incomplete beta function.
Interval exactProportionInterval(std::int32_t x, std::int32_t n);

struct TwoByTwoResult {
    int errorCode = 0;
    std::int32_t a = 0, b = 0, c = 0, d = 0;

    bool fisher = false;          // Fisher's test chosen
    bool fisherTooLarge = false;  // N > 2000: chi-square instead
    FisherResult fisherP;
    bool chiSquare = false;  // chosen, or standing in for Fisher's test
    Real chiStatistic = 0;
    Real chiP = 0;  // two-sided
    bool smallNumbers = false;

    Real relativeRisk = 0;
    Interval relativeRiskLimits;
    Real oddsRatio = 0;
    Interval oddsRatioLimits;
    bool oddsRatioAdjusted = false;  // 0.5 added to every cell for a zero

    Real topFraction = 0;
    Real bottomFraction = 0;
    Interval topLimits;  // when both top cells are above 5
    Interval bottomLimits;
    Real difference = 0;
    Real differenceSe = 0;
    Interval differenceLimits;

    struct Diagnostic {
        Real value = 0;
        Interval limits;
    };
    Diagnostic sensitivity, specificity, positivePredictive, negativePredictive;
    Real likelihoodRatio = 0;
};

// Validation (codes 45, 30, 31, 32, 33; 4 when a count or a sum of counts
// does not fit 32 bits), then what the choices ask for.
TwoByTwoResult computeTwoByTwo(const TwoByTwoInput& input);

void WriteTwoByTwoText(const TwoByTwoResult& result, const TwoByTwoInput& input, ResultsBuffer& out);

}  // namespace ombrix::analyses
