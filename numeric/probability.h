#pragma once

// Tail probabilities of the t, F, chi-square and normal distributions, their
// inverses, and two small tables of critical values.
//
// The incomplete gamma and beta functions are the classical series and
// continued fractions (Press et al., Numerical Recipes, first edition: gammln,
// betacf, betai, gser, gcf, gammq) with their original tolerances and
// iteration limits; the reports print what these produce, so the algorithms are
// kept as they are rather than made more accurate. Normal probabilities are
// those of Student's t with 5000 degrees of freedom throughout the program.
//
// None of these functions raises FE_INVALID, FE_DIVBYZERO or FE_OVERFLOW for a
// valid argument: the analyses read those flags as arithmetic faults. Tail
// probabilities too small for the number type underflow quietly to 0.

#include "core/real.h"

namespace ombrix::numeric {

// ln Γ(x) for x > 0 (absolute error below about 2e-10).
Real LogGamma(Real x);

// Regularized incomplete beta I_x(a, b) for a, b > 0 and x in [0, 1]; exactly 0
// at x = 0 and 1 at x = 1. x outside [0, 1] is not checked.
Real IncompleteBeta(Real a, Real b, Real x);

// Regularized upper incomplete gamma Q(a, x) for a > 0, x >= 0. Where the
// continued fraction does not settle within its 200 terms (far outside the
// arguments the analyses use) the result is 0, the smallest P value possible.
Real GammaQ(Real a, Real x);

// P(F(df1, df2) > f), the upper tail; 0 for f < 0, 1 for f = 0.
Real FProbability(int df1, int df2, Real f);

// Two-tailed P(|T| > |t|) for Student's t with df degrees of freedom; 1 at t = 0.
Real TProbability(int df, Real t);

// Two-tailed P(|Z| > |z|), computed as t with 5000 degrees of freedom, so its
// tails are slightly heavier than the normal's (ZProbability(1.96) > 0.05).
Real ZProbability(Real z);

// P(chi-square(df) > x), the upper tail; 0 for x < 0 and for x > 1000.
Real ChiSquareProbability(int df, Real x);

// The deviate z with one-tailed ZProbability(z)/2 = p, by bisection on [0, 8]
// until the probability is within 1e-6 of p (so below p = 1e-6 the answer is
// only as good as that tolerance). Defined for 0 < p < 0.5; beyond that:
// p = 0.5 gives 0, 0.5 < p < 1 gives -InverseZ(1 - p), and p <= 0 or p >= 1
// (no finite deviate) give +MissingValue or -MissingValue, the program's marker
// for an infinite quantity.
Real InverseZ(Real p);

// The t with one-tailed TProbability(df, t)/2 = p, for 0 < p <= 0.5, by
// bisection to an interval of width 1e-4. p <= 0 gives MissingValue.
Real InverseT(int df, Real p);

// The x in [0, 1] with IncompleteBeta(a, b, x) = p (a, b > 0, 0 <= p <= 1),
// by bisection to the last bits of x; as accurate as IncompleteBeta itself.
Real BetaQuantile(Real a, Real b, Real p);

// The F with FProbability(df1, df2, F) = p, for 0 < p <= 1, by bisection to an
// interval of width 0.01. p <= 0 gives MissingValue.
Real InverseF(int df1, int df2, Real p);

// Two-sided 95% critical value of t (the 97.5th percentile): tabulated to three
// decimals up to 30 df, straight lines between 30, 40, 60 and 120 df, and 1.96
// above 120. df below 1 has no entry and gives -0.000005.
Real CriticalT95(int df);

// Tabulated critical normal deviates (of t with 5000 df, like ZProbability) for
// tails 1 or 2 and alpha 0.2, 0.1, 0.05, 0.02 or 0.01, compared exactly as long
// double values (pass 0.05L, not a double 0.05). Anything else gives 0.
Real critical_z(int tails, Real alpha);

namespace detail {

// The continued fraction of I_x(a, b), renormalized at every step; at most 200
// steps, stopping at relative change 3e-7. After 200 steps the last value is
// returned as it stands.
Real BetaContinuedFraction(Real a, Real b, Real x);

// The series of P(a, x) = 1 - Q(a, x), for x < a + 1; stops at relative term
// size 3e-7 with no iteration limit (it always converges for finite x >= 0).
Real GammaSeries(Real a, Real x);

// The continued fraction of Q(a, x), for x >= a + 1; at most 200 steps,
// stopping at relative change 3e-7. Without convergence the result is 0.
Real GCF(Real a, Real x);

}  // namespace detail

}  // namespace ombrix::numeric
