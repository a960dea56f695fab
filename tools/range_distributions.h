#pragma once

// Upper percentage points of the studentized range and of Dunnett's
// many-to-one statistic, by numerical integration. Used only by the generator
// of the critical-value tables, never by the program at run time.
//
// Both statistics have the form W / s, where W is a function of independent
// standard normals and s = sqrt(chi-square(df) / df) is independent of W:
//   studentized range with k means: W = max Z_i - min Z_i over k normals;
//   Dunnett with p comparisons: W = max over i = 1..p of (Z_i - Z_0) / sqrt(2)
//   (one-sided) or of |Z_i - Z_0| / sqrt(2) (two-sided), which gives the
//   equicorrelated t with correlation 0.5 of p treatment means against a
//   control of the same size.
// So P(W/s > x) = integral over w of P(W > w) times the density of x*s at w.
// P(W > w) is tabulated once per statistic on a fixed grid of w, after which
// every df and every x costs one weighted sum.

#include <functional>
#include <vector>

#include "core/real.h"

namespace ombrix::tools {

using Real = ombrix::Real;

// P(range of k independent standard normals > w), w >= 0.
Real rangeTail(int k, Real w);

// P(W > w) for Dunnett's W above with p comparisons, w >= 0.
Real dunnettOneSidedTail(int p, Real w);
Real dunnettTwoSidedTail(int p, Real w);

// Degrees of freedom standing for infinity (s = 1).
inline constexpr int kInfiniteDf = 0;

class StudentizedStatistic {
public:
    // tail(w) = P(W > w) for w >= 0, negligible (below 1e-25) beyond w = 16.
    explicit StudentizedStatistic(std::function<Real(Real)> tail);

    // P(W/s > x) with df degrees of freedom (kInfiniteDf for infinity), x > 0.
    Real upperTail(int df, Real x) const;

    // The x with upperTail(df, x) = alpha, to about 1e-13 relative.
    Real quantile(int df, Real alpha) const;

private:
    std::function<Real(Real)> m_tail;
    std::vector<Real> m_logNodes;
    std::vector<Real> m_squaredNodes;
    std::vector<Real> m_weightedTail;
};

}  // namespace ombrix::tools
