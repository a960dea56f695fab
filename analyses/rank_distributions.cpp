#include "analyses/rank_distributions.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace ombrix::analyses {

namespace {

constexpr std::int64_t CountLimit = std::int64_t{1} << 62;

}  // namespace

std::int64_t countSignedRankAtLeast(int n, Real threshold)
{
    if (n < 0 || n > MaxSignedRankN)
        return -1;
    const int largestSum = n * (n + 1) / 2;
    if (!(threshold <= largestSum))
        return 0;
    if (threshold <= 0)
        return std::int64_t{1} << n;

    // ways[s]: sign patterns of the ranks so far whose positive ranks sum to s.
    std::vector<std::int64_t> ways(static_cast<size_t>(largestSum) + 1, 0);
    ways[0] = 1;
    int reach = 0;
    for (int rank = 1; rank <= n; ++rank) {
        reach += rank;
        for (int s = reach; s >= rank; --s)
            ways[s] += ways[s - rank];
    }
    std::int64_t count = 0;
    for (int s = static_cast<int>(std::ceil(threshold)); s <= largestSum; ++s)
        count += ways[s];
    return count;
}

std::int64_t countRankSumAtMost(int m, int k, Real u)
{
    if (m < 0 || k < 0 || m > MaxRankSumTotal - k)
        return -1;
    const std::int64_t total = binomialCapped(m + k, k, CountLimit);
    if (total >= CountLimit)
        return -1;
    if (!(u >= 0))
        return 0;
    const std::int64_t largestU = static_cast<std::int64_t>(m) * k;
    if (u >= largestU)
        return total;

    // The factors of the Gaussian binomial are taken over the smaller group,
    // which gives fewer of them; the coefficients are the same either way.
    const int fewer = std::min(m, k);
    const int more = std::max(m, k);
    const auto degree = static_cast<std::int64_t>(std::floor(u));
    std::vector<std::int64_t> ways(static_cast<size_t>(degree) + 1, 0);
    ways[0] = 1;
    for (int j = 1; j <= fewer; ++j) {
        const std::int64_t shift = static_cast<std::int64_t>(more) + j;
        for (std::int64_t d = degree; d >= shift; --d)
            ways[d] -= ways[d - shift];
        for (std::int64_t d = j; d <= degree; ++d)
            ways[d] += ways[d - j];
    }
    std::int64_t count = 0;
    for (const std::int64_t w : ways)
        count += w;
    return count;
}

std::int64_t binomialCapped(int n, int k, std::int64_t cap)
{
    if (n < 0 || k < 0 || k > n)
        return 0;
    k = std::min(k, n - k);
    // C(n, i) grows with i up to n/2, so the first value to reach the cap ends the loop.
    std::int64_t c = 1;
    for (int i = 0; i < k && c < cap; ++i) {
        // C(n, i+1) = C(n, i) (n - i) / (i + 1). With g = gcd(C(n, i), i + 1),
        // (i + 1)/g is prime to C(n, i)/g, so it divides n - i.
        std::int64_t divisor = i + 1;
        const std::int64_t g = std::gcd(c, divisor);
        c /= g;
        divisor /= g;
        const std::int64_t factor = (n - i) / divisor;
        if (c > cap / factor)
            return cap;
        c *= factor;
    }
    return std::min(c, cap);
}

}  // namespace ombrix::analyses
