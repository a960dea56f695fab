#include "numeric/probability.h"

#include <array>
#include <cmath>
#include <limits>

namespace ombrix::numeric {

namespace {

constexpr Real kInfinity = std::numeric_limits<Real>::infinity();
constexpr Real kLargest = std::numeric_limits<Real>::max();

// Relative tolerance of the series and continued fractions.
constexpr Real kEpsilon = 3e-7L;
constexpr int kMaxIterations = 200;

// Normal deviates are t deviates with this many degrees of freedom.
constexpr int kNormalDf = 5000;

// Past this the bracket of InverseT and InverseF stops growing: the next tenfold
// step would overflow, and no tail probability a caller can ask for lies there.
constexpr Real kBracketLimit = 1e4000L;

// x*x, or infinity where the square would overflow. Every caller feeds it to
// FProbability, whose result for an infinite statistic is the 0 that the
// overflowed square would have produced, without the overflow.
Real square(Real x)
{
    return std::fabs(x) > std::sqrt(kLargest) ? kInfinity : x * x;
}

}  // namespace

Real LogGamma(Real x)
{
    static constexpr std::array<Real, 6> kCoefficients = {76.18009173L,  -86.50532033L,   24.01409822L,
                                                          -1.231739516L, 0.120858003e-2L, -0.536382e-5L};
    Real y = x - 1;
    Real tmp = y + 5.5L;
    tmp = (y + 0.5L) * std::log(tmp) - tmp;
    Real ser = 1;
    for (const Real c : kCoefficients) {
        y += 1;
        ser += c / y;
    }
    return tmp + std::log(2.50662827465L * ser);
}

namespace detail {

Real BetaContinuedFraction(Real a, Real b, Real x)
{
    const Real qab = a + b;
    const Real qap = a + 1;
    const Real qam = a - 1;
    Real am = 1;
    Real bm = 1;
    Real az = 1;
    Real bz = 1 - qab * x / qap;
    for (int m = 1; m <= kMaxIterations; ++m) {
        const Real em = m;
        const Real tem = em + em;
        Real d = em * (b - em) * x / ((qam + tem) * (a + tem));
        const Real ap = az + d * am;
        const Real bp = bz + d * bm;
        d = -(a + em) * (qab + em) * x / ((a + tem) * (qap + tem));
        const Real app = ap + d * az;
        const Real bpp = bp + d * bz;
        const Real aold = az;
        am = ap / bpp;
        bm = bp / bpp;
        az = app / bpp;
        bz = 1;
        if (std::fabs(az - aold) < kEpsilon * std::fabs(az)) {
            return az;
        }
    }
    return az;
}

Real GammaSeries(Real a, Real x)
{
    const Real gln = LogGamma(a);
    if (x == 0) {
        return 0;
    }
    Real ap = a;
    Real del = 1 / a;
    Real sum = del;
    do {
        ap += 1;
        del = del * x / ap;
        sum += del;
    } while (!(std::fabs(del) < kEpsilon * std::fabs(sum)));
    return sum * std::exp(-x + a * std::log(x) - gln);
}

Real GCF(Real a, Real x)
{
    const Real gln = LogGamma(a);
    // The first terms hold x squared, which overflows beyond sqrt(largest).
    // There Q is 0 anyway: exp(-x) has underflowed unless a is within about
    // sqrt(a) of x, and then the fraction cannot settle within 200 terms.
    if (x > std::sqrt(kLargest)) {
        return 0;
    }
    Real gold = 0;
    Real a0 = 1;
    Real a1 = x;
    Real b0 = 0;
    Real b1 = 1;
    Real fac = 1;
    for (int n = 1; n <= kMaxIterations; ++n) {
        const Real an = n;
        const Real ana = an - a;
        a0 = (a1 + a0 * ana) * fac;
        b0 = (b1 + b0 * ana) * fac;
        const Real anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0) {
            fac = 1 / a1;
            const Real g = b1 * fac;
            // g = 0 would make the relative change infinite (not converged);
            // testing it first only spares the division by zero.
            if (g != 0 && std::fabs((g - gold) / g) < kEpsilon) {
                return std::exp(-x + a * std::log(x) - gln) * g;
            }
            gold = g;
        }
    }
    // Not converged: the smallest P value possible. The analyses never get
    // here with their arguments (x <= 500), so nothing is shown to the user.
    return 0;
}

}  // namespace detail

Real IncompleteBeta(Real a, Real b, Real x)
{
    Real bt = 0;
    if (x != 0 && x != 1) {
        bt = std::exp(LogGamma(a + b) - LogGamma(a) - LogGamma(b) + a * std::log(x) + b * std::log(1 - x));
    }
    if (x < (a + 1) / (a + b + 2)) {
        return bt * detail::BetaContinuedFraction(a, b, x) / a;
    }
    return 1 - bt * detail::BetaContinuedFraction(b, a, 1 - x) / b;
}

Real GammaQ(Real a, Real x)
{
    if (x < a + 1) {
        return 1 - detail::GammaSeries(a, x);
    }
    return detail::GCF(a, x);
}

Real FProbability(int df1, int df2, Real f)
{
    if (f < 0) {
        return 0;
    }
    const Real n1 = df1;
    const Real n2 = df2;
    // An F so large that n1*f overflows has x = 0 and probability 0 either way.
    const Real scaled = f > kLargest / n1 ? kInfinity : n1 * f;
    return IncompleteBeta(n2 / 2, n1 / 2, n2 / (n2 + scaled));
}

Real TProbability(int df, Real t)
{
    return FProbability(1, df, square(t));
}

Real ZProbability(Real z)
{
    return FProbability(1, kNormalDf, square(z));
}

Real ChiSquareProbability(int df, Real x)
{
    if (x > 1000 || x < 0) {
        return 0;
    }
    return GammaQ(Real(df) / 2, x / 2);
}

Real InverseZ(Real p)
{
    // The bisection stops only on the probability difference, so outside
    // (0, 0.5) it could search forever; those arguments are settled here.
    if (!(p > 0)) {
        return MissingValue;
    }
    if (p >= 1) {
        return -MissingValue;
    }
    if (p == 0.5L) {
        return 0;
    }
    if (p > 0.5L) {
        return -InverseZ(1 - p);
    }
    Real lo = 0;
    Real hi = 8;
    Real mid = 4;
    Real tail = 3.2128591413e-5L;  // ZProbability(4)/2
    while (std::fabs(p - tail) > 1e-6L) {
        if (tail >= p) {
            lo = mid;
        } else {
            hi = mid;
        }
        mid = lo + (hi - lo) / 2;
        tail = ZProbability(mid) / 2;
    }
    return mid;
}

namespace {

// Bisection on a decreasing tail probability: grow [0, 4] tenfold until the
// tail at its top is at most p, then halve until the interval is no wider than
// `width`; the answer is the last midpoint. Beyond about 1e15 neighbouring long
// doubles are further apart than 1e-4, so the interval stops shrinking; the
// search then ends at the last midpoint instead of repeating it forever.
template <class Tail> Real bisectTail(Real p, Real width, Tail tail)
{
    if (!(p > 0)) {
        return MissingValue;
    }
    Real lo = 0;
    Real hi = 4;
    while (p < tail(hi) && hi < kBracketLimit) {
        hi *= 10;
    }
    Real mid = (lo + hi) / 2;
    while (hi - lo > width && lo < mid && mid < hi) {
        if (tail(mid) >= p) {
            lo = mid;
        } else {
            hi = mid;
        }
        mid = lo + (hi - lo) / 2;
    }
    return mid;
}

}  // namespace

Real InverseT(int df, Real p)
{
    return bisectTail(p, 0.0001L, [df](Real t) { return TProbability(df, t) / 2; });
}

Real BetaQuantile(Real a, Real b, Real p)
{
    // I_x(a, b) rises with x, so the bisection needs no bracket search.
    Real lo = 0;
    Real hi = 1;
    for (int i = 0; i < 200 && hi - lo > 1e-18L; ++i) {
        const Real mid = (lo + hi) / 2;
        (IncompleteBeta(a, b, mid) < p ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

Real InverseF(int df1, int df2, Real p)
{
    return bisectTail(p, 0.01L, [df1, df2](Real f) { return FProbability(df1, df2, f); });
}

Real CriticalT95(int df)
{
    static constexpr std::array<Real, 31> kTable = {-0.000005L, 12.706L, 4.303L, 3.182L, 2.776L, 2.571L, 2.447L, 2.365L,
                                                    2.306L,     2.262L,  2.228L, 2.201L, 2.179L, 2.160L, 2.145L, 2.131L,
                                                    2.120L,     2.110L,  2.101L, 2.093L, 2.086L, 2.080L, 2.074L, 2.069L,
                                                    2.064L,     2.060L,  2.056L, 2.052L, 2.048L, 2.045L, 2.042L};
    if (df < 1) {
        return kTable[0];
    }
    if (df < 31) {
        return kTable[df];
    }
    if (df <= 40) {
        return 2.042L - 0.1L * 0.021L * (df - 30);
    }
    if (df <= 60) {
        return 2.021L - 0.05L * 0.021L * (df - 40);
    }
    if (df <= 120) {
        return 2.0L - (1.0L / 60) * 0.02L * (df - 60);
    }
    return 1.96L;
}

Real critical_z(int tails, Real alpha)
{
    struct Row {
        Real alpha;
        Real oneTail;
        Real twoTails;
    };
    static constexpr std::array<Row, 5> kRows = {{
        {0.2L, 0.8416900634L, 1.2817230224L},
        {0.1L, 1.2817230224L, 1.6451568603L},
        {0.05L, 1.6451568603L, 1.9604492187L},
        {0.02L, 2.0542907714L, 2.3270874023L},
        {0.01L, 2.3270874023L, 2.5767822265L},
    }};
    if (tails != 1 && tails != 2) {
        return 0;
    }
    for (const Row& row : kRows) {
        if (alpha == row.alpha) {
            return tails == 1 ? row.oneTail : row.twoTails;
        }
    }
    return 0;
}

}  // namespace ombrix::numeric
