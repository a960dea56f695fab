#include "tools/range_distributions.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace ombrix::tools {

namespace {

constexpr Real kPi = std::numbers::pi_v<Real>;
constexpr Real kSqrt2 = std::numbers::sqrt2_v<Real>;

struct Rule {
    std::vector<Real> nodes;
    std::vector<Real> weights;
};

// Composite Gauss-Legendre rule: `panels` equal panels on [from, to] with
// `points` nodes each. The integrands here are smooth on a scale of 0.1 or
// more, so ten nodes on panels of width 1/8 (outer) and 1/2 (inner) integrate
// them to long double rounding: halving both widths changes no quantile by
// more than 1e-14 relative, while doubling them already costs 1e-9.
Rule gaussLegendre(Real from, Real to, int panels, int points)
{
    std::vector<Real> x(points);
    std::vector<Real> w(points);
    for (int i = 0; i < points; ++i) {
        Real z = std::cos(kPi * (i + 0.75L) / (points + 0.5L));
        Real derivative = 0;
        for (int iteration = 0; iteration < 100; ++iteration) {
            Real p1 = 1;
            Real p2 = 0;
            for (int j = 1; j <= points; ++j) {
                const Real p3 = p2;
                p2 = p1;
                p1 = ((2 * j - 1) * z * p2 - (j - 1) * p3) / j;
            }
            derivative = points * (z * p1 - p2) / (z * z - 1);
            const Real previous = z;
            z = previous - p1 / derivative;
            if (z == previous) {
                break;
            }
        }
        x[i] = z;
        w[i] = 2 / ((1 - z * z) * derivative * derivative);
    }
    Rule rule;
    const Real width = (to - from) / panels;
    for (int panel = 0; panel < panels; ++panel) {
        const Real centre = from + (panel + 0.5L) * width;
        for (int i = 0; i < points; ++i) {
            rule.nodes.push_back(centre + x[i] * width / 2);
            rule.weights.push_back(w[i] * width / 2);
        }
    }
    return rule;
}

// P(Z > x) and P(Z < x), each accurate in its own small tail.
Real upperNormal(Real x)
{
    return std::erfc(x / kSqrt2) / 2;
}
Real lowerNormal(Real x)
{
    return std::erfc(-x / kSqrt2) / 2;
}

// P(a < Z < b) for a <= b, from whichever tails avoid cancellation.
Real normalBetween(Real a, Real b)
{
    if (a >= 0) {
        return upperNormal(a) - upperNormal(b);
    }
    if (b <= 0) {
        return lowerNormal(b) - lowerNormal(a);
    }
    return 1 - lowerNormal(a) - upperNormal(b);
}

// Quadrature over the position z of one normal (the smallest for the range,
// the control for Dunnett), weighted by its density; beyond |z| = 10 the
// density is below 1e-22.
struct InnerRule {
    std::vector<Real> nodes;
    std::vector<Real> weightedDensity;
};

const InnerRule& innerRule()
{
    static const InnerRule rule = [] {
        const Rule base = gaussLegendre(-10, 10, 40, 10);
        InnerRule inner;
        inner.nodes = base.nodes;
        for (std::size_t i = 0; i < base.nodes.size(); ++i) {
            const Real z = base.nodes[i];
            inner.weightedDensity.push_back(base.weights[i] * std::exp(-z * z / 2) / std::sqrt(2 * kPi));
        }
        return inner;
    }();
    return rule;
}

// Integral of density(z) * probability(z)^power over z.
template <class Probability> Real integrateOverNormal(int power, Probability probability)
{
    const InnerRule& rule = innerRule();
    Real sum = 0;
    for (std::size_t i = 0; i < rule.nodes.size(); ++i) {
        sum += rule.weightedDensity[i] * std::pow(probability(rule.nodes[i]), Real(power));
    }
    return sum;
}

// Outer grid of w: the tails fall below 1e-25 before w = 16.
constexpr Real kOuterLimit = 16;
constexpr int kOuterPanels = 128;
constexpr int kPoints = 10;

}  // namespace

Real rangeTail(int k, Real w)
{
    // P(range <= w) = k * integral of density(z) * P(z < Z < z + w)^(k-1) dz,
    // with z the smallest of the k.
    return 1 - k * integrateOverNormal(k - 1, [w](Real z) { return normalBetween(z, z + w); });
}

Real dunnettOneSidedTail(int p, Real w)
{
    // Given the control Z_0 = z, each Z_i - z <= sqrt(2) w independently.
    const Real c = kSqrt2 * w;
    return 1 - integrateOverNormal(p, [c](Real z) { return lowerNormal(z + c); });
}

Real dunnettTwoSidedTail(int p, Real w)
{
    const Real c = kSqrt2 * w;
    return 1 - integrateOverNormal(p, [c](Real z) { return normalBetween(z - c, z + c); });
}

StudentizedStatistic::StudentizedStatistic(std::function<Real(Real)> tail)
    : m_tail(std::move(tail))
{
    const Rule rule = gaussLegendre(0, kOuterLimit, kOuterPanels, kPoints);
    for (std::size_t j = 0; j < rule.nodes.size(); ++j) {
        const Real w = rule.nodes[j];
        m_logNodes.push_back(std::log(w));
        m_squaredNodes.push_back(w * w);
        m_weightedTail.push_back(rule.weights[j] * m_tail(w));
    }
}

Real StudentizedStatistic::upperTail(int df, Real x) const
{
    if (df == kInfiniteDf) {
        return m_tail(x);
    }
    // s = sqrt(chi-square(df)/df) has density
    //   f(s) = 2 (df/2)^(df/2) / Gamma(df/2) * s^(df-1) * exp(-df s^2 / 2),
    // and x*s has density f(w/x)/x at w.
    const Real half = Real(df) / 2;
    const Real logX = std::log(x);
    const Real logConstant = std::log(Real(2)) + half * std::log(half) - std::lgamma(half) - logX;
    const Real inverseSquare = 1 / (x * x);
    Real sum = 0;
    for (std::size_t j = 0; j < m_weightedTail.size(); ++j) {
        const Real logDensity =
            logConstant + (df - 1) * (m_logNodes[j] - logX) - half * m_squaredNodes[j] * inverseSquare;
        sum += m_weightedTail[j] * std::exp(logDensity);
    }
    return sum;
}

Real StudentizedStatistic::quantile(int df, Real alpha) const
{
    Real lo = 1;
    Real hi = 1;
    while (upperTail(df, lo) < alpha) {
        lo /= 2;
    }
    while (upperTail(df, hi) > alpha) {
        hi *= 2;
    }
    // Regula falsi with the Illinois correction on the log of the tail, which
    // is nearly linear in x here: a dozen evaluations instead of fifty halvings.
    auto excess = [&](Real x) { return std::log(upperTail(df, x) / alpha); };
    Real excessLo = excess(lo);
    Real excessHi = excess(hi);
    int lastMoved = 0;
    Real x = lo;
    for (int iteration = 0; iteration < 200 && hi - lo > 1e-14L * hi; ++iteration) {
        x = (lo * excessHi - hi * excessLo) / (excessHi - excessLo);
        const Real excessX = excess(x);
        if (excessX == 0) {
            return x;
        }
        if (excessX > 0) {
            lo = x;
            excessLo = excessX;
            if (lastMoved > 0) {
                excessHi /= 2;
            }
            lastMoved = 1;
        } else {
            hi = x;
            excessHi = excessX;
            if (lastMoved < 0) {
                excessLo /= 2;
            }
            lastMoved = -1;
        }
    }
    return x;
}

}  // namespace ombrix::tools
