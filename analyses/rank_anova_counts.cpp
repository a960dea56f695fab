#include "analyses/rank_anova_counts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "analyses/rank_distributions.h"

namespace ombrix::analyses {

namespace {

__extension__ typedef unsigned __int128 Wide;
__extension__ typedef __int128 SignedWide;

// The groups as both ways of counting see them: the largest group is left out
// of the state, the others are "open". Scaled by L = lcm(sizes), sum R^2/n
// becomes the integer sum w_j R_j^2 with w_j = L / n_j.
struct Groups {
    std::vector<int> open;
    int implicitSize = 0;
    int n = 0;
    int openTotal = 0;
    std::int64_t rankTotal = 0;  // N(N+1)/2
    std::vector<std::uint64_t> weights;
    std::uint64_t implicitWeight = 0;
    Wide observed = 0;
};

bool describeGroups(std::span<const int> sizes, std::span<const std::int64_t> observedRankSums, Groups& groups)
{
    if (sizes.size() < 2 || sizes.size() != observedRankSums.size())
        return false;
    std::uint64_t lcm = 1;
    for (const int size : sizes) {
        if (size < 1)
            return false;
        const std::uint64_t factor = static_cast<std::uint64_t>(size) / std::gcd(lcm, static_cast<std::uint64_t>(size));
        if (lcm > (std::uint64_t{1} << 62) / factor)
            return false;
        lcm *= factor;
        groups.n += size;
    }
    groups.rankTotal = static_cast<std::int64_t>(groups.n) * (groups.n + 1) / 2;
    // Every w_j R_j^2 is below L (N(N+1)/2)^2; their sum must stay in 128 bits.
    const Real largest = static_cast<Real>(lcm) * static_cast<Real>(groups.rankTotal) *
                         static_cast<Real>(groups.rankTotal) * static_cast<Real>(sizes.size());
    if (largest >= std::ldexp(Real(1), 126))
        return false;

    const auto largestAt = std::max_element(sizes.begin(), sizes.end()) - sizes.begin();
    for (std::size_t j = 0; j < sizes.size(); ++j) {
        const std::uint64_t weight = lcm / static_cast<std::uint64_t>(sizes[j]);
        const auto sum = static_cast<Wide>(observedRankSums[j]);
        groups.observed += weight * sum * sum;
        if (static_cast<std::ptrdiff_t>(j) == largestAt) {
            groups.implicitSize = sizes[j];
            groups.implicitWeight = weight;
        } else {
            groups.open.push_back(sizes[j]);
            groups.openTotal += sizes[j];
        }
    }
    // Equal sizes side by side, largest first: the group states put each run in order.
    std::sort(groups.open.begin(), groups.open.end(), std::greater<>());
    for (const int size : groups.open)
        groups.weights.push_back(lcm / static_cast<std::uint64_t>(size));
    return true;
}

Wide square(std::uint64_t weight, std::int64_t rankSum)
{
    const auto r = static_cast<Wide>(rankSum);
    return weight * r * r;
}

// Counts states reached when rank r completes the open groups, and asks
// whether to go on about every million steps of work.
struct Tally {
    const Groups& groups;
    ArrangementCount& result;
    const CountProgress& progress;
    std::int64_t work = 0;

    // False once the progress function said to stop.
    bool goOn(int rank, std::int64_t done)
    {
        work += done;
        if (work < (std::int64_t{1} << 20))
            return result.progress == ProgressContinue;
        work = 0;
        result.progress = progress(static_cast<Real>(rank - 1) / groups.n * 100);
        return result.progress == ProgressContinue;
    }

    void add(Wide openPart, std::int64_t openRankSum, std::uint64_t count) const
    {
        const Wide value = openPart + square(groups.implicitWeight, groups.rankTotal - openRankSum);
        result.total += static_cast<std::int64_t>(count);
        if (value >= groups.observed)
            result.extreme += static_cast<std::int64_t>(count);
    }

    // States in which one open group lacks one rank: each is completed by
    // giving it any one rank r from first to N, the left-out group taking the
    // others. With `others` the part of the open groups but that one, its
    // rank sum so far `missing` (weight w) and S the open groups' rank sum,
    // the statistic is others + w (missing + r)^2 + u (T - S - r)^2: convex in
    // r, so it reaches the observed value on the r below some point and above
    // another, each found by bisection on the side where it is monotone.
    void settle(Wide others, std::uint64_t weight, std::int64_t missing, std::int64_t openRankSum, int first,
                std::uint64_t count)
    {
        const std::int64_t last = groups.n;
        if (first > last)
            return;
        const std::int64_t rest = groups.rankTotal - openRankSum;
        const auto reaches = [&](std::int64_t r) {
            return others + square(weight, missing + r) + square(groups.implicitWeight, rest - r) >= groups.observed;
        };
        result.total += static_cast<std::int64_t>(count) * (last - first + 1);
        // A few ranks left: each is tried.
        if (last - first < 16) {
            std::int64_t hits = 0;
            for (std::int64_t r = first; r <= last; ++r)
                hits += reaches(r) ? 1 : 0;
            result.extreme += static_cast<std::int64_t>(count) * hits;
            return;
        }
        // The lowest point, rounded down: (u (T - S) - w missing) / (w + u).
        const SignedWide numerator =
            static_cast<SignedWide>(groups.implicitWeight) * rest - static_cast<SignedWide>(weight) * missing;
        const SignedWide denominator = static_cast<SignedWide>(weight) + groups.implicitWeight;
        SignedWide lowest = numerator / denominator;
        if (numerator % denominator != 0 && numerator < 0)
            --lowest;
        const auto bend = static_cast<std::int64_t>(
            std::clamp<SignedWide>(lowest, static_cast<SignedWide>(first) - 1, static_cast<SignedWide>(last)));
        std::int64_t hits = 0;
        if (bend >= first && reaches(first)) {
            std::int64_t lo = first;  // falling: the last r that still reaches
            for (std::int64_t hi = bend; lo < hi;) {
                const std::int64_t mid = lo + (hi - lo + 1) / 2;
                reaches(mid) ? lo = mid : hi = mid - 1;
            }
            hits += lo - first + 1;
        }
        const std::int64_t rising = std::max<std::int64_t>(first, bend + 1);
        if (rising <= last && reaches(last)) {
            std::int64_t hi = last;  // rising: the first r that reaches
            for (std::int64_t lo = rising; lo < hi;) {
                const std::int64_t mid = lo + (hi - lo) / 2;
                reaches(mid) ? hi = mid : lo = mid + 1;
            }
            hits += last - hi + 1;
        }
        result.extreme += static_cast<std::int64_t>(count) * hits;
    }
};

// One dense table per count vector c of the open groups, over their rank
// sums: dimension i runs from R_i = c_i(c_i+1)/2 (the lowest ranks) in
// c_i(N - c_i) + 1 steps, the last dimension contiguous. Giving rank r to
// group j moves a table's entries into the table of c + e_j, shifted by r in
// dimension j. Updated in place, tables with more ranks given first, so that
// every source still holds the previous step; a table's own entries stay
// when rank r goes to the left-out group. The full table is never stored:
// either each entry reaching it is counted at once, or, when many ranks
// would be left to give, the tables one rank short of full are not stored
// either and each entry reaching one is settled with all the ways to give
// its last rank.
class RankSumTables {
public:
    // settle: tables one rank short of full are settled at once (see Tally::settle)
    // rather than kept and read at every step until the left-out group is full.
    RankSumTables(const Groups& groups, ArrangementCount& result, const CountProgress& progress, bool settle)
        : m_groups(groups)
        , m_tally{groups, result, progress}
        , m_dims(static_cast<int>(groups.open.size()))
        , m_settle(settle)
    {
        m_radix.assign(static_cast<std::size_t>(m_dims), 1);
        int blocks = 1;
        for (int i = m_dims - 1; i >= 0; --i) {
            m_radix[static_cast<std::size_t>(i)] = blocks;
            blocks *= groups.open[static_cast<std::size_t>(i)] + 1;
        }
        m_tables.resize(static_cast<std::size_t>(blocks));
        m_bySum.resize(static_cast<std::size_t>(groups.openTotal) + 1);
        for (int b = 0; b < blocks; ++b) {
            Table& table = m_tables[static_cast<std::size_t>(b)];
            table.counts.resize(static_cast<std::size_t>(m_dims));
            table.stride.resize(static_cast<std::size_t>(m_dims));
            int sum = 0;
            std::int64_t size = 1;
            for (int i = m_dims - 1; i >= 0; --i) {
                const int c =
                    (b / m_radix[static_cast<std::size_t>(i)]) % (groups.open[static_cast<std::size_t>(i)] + 1);
                table.counts[static_cast<std::size_t>(i)] = c;
                table.stride[static_cast<std::size_t>(i)] = size;
                size *= static_cast<std::int64_t>(c) * (groups.n - c) + 1;
                sum += c;
            }
            table.sum = sum;
            table.size = size;
            m_bySum[static_cast<std::size_t>(sum)].push_back(b);
        }
    }

    void run()
    {
        const int full = static_cast<int>(m_tables.size()) - 1;
        if (m_settle && m_groups.openTotal == 1) {
            m_tally.settle(0, m_groups.weights[0], 0, 0, 1, 1);
            return;
        }
        allocate(0);
        m_tables[0].values[0] = 1;
        for (int r = 1; r <= m_groups.n; ++r) {
            const int lowest = std::max(1, r - m_groups.implicitSize);
            const int highest = std::min(r, m_groups.openTotal);
            for (int sum = highest; sum >= lowest; --sum) {
                const bool settled = m_settle && sum == m_groups.openTotal - 1;
                for (const int b : m_bySum[static_cast<std::size_t>(sum)]) {
                    if (b == full && m_settle)
                        continue;
                    if (b != full && !settled)
                        allocate(b);
                    for (int j = 0; j < m_dims; ++j) {
                        if (m_tables[static_cast<std::size_t>(b)].counts[static_cast<std::size_t>(j)] == 0)
                            continue;
                        const int source = b - m_radix[static_cast<std::size_t>(j)];
                        if (settled)
                            settleInto(source, b, j, r);
                        else if (b == full)
                            countCompleted(source, j, r);
                        else
                            moveInto(source, b, j, r);
                        if (!m_tally.goOn(r, m_tables[static_cast<std::size_t>(source)].size))
                            return;
                    }
                }
            }
            // Tables with this many ranks given are never read again: the next
            // step reads sums from r - implicitSize up.
            const int dead = r - m_groups.implicitSize - 1;
            if (dead >= 0 && dead <= m_groups.openTotal)
                for (const int b : m_bySum[static_cast<std::size_t>(dead)])
                    std::vector<std::uint32_t>().swap(m_tables[static_cast<std::size_t>(b)].values);
            if (!m_tally.goOn(r + 1, std::int64_t{1} << 20))
                return;
        }
    }

private:
    struct Table {
        std::vector<int> counts;
        std::vector<std::int64_t> stride;
        std::int64_t size = 0;
        int sum = 0;
        std::vector<std::uint32_t> values;
    };

    void allocate(int b)
    {
        Table& table = m_tables[static_cast<std::size_t>(b)];
        if (table.values.empty())
            table.values.assign(static_cast<std::size_t>(table.size), 0);
    }

    // Entries of the source reachable after r - 1 ranks: c_i(r - 1 - c_i) + 1 in dimension i.
    std::vector<std::int64_t> reach(const Table& source, int r) const
    {
        std::vector<std::int64_t> lengths(static_cast<std::size_t>(m_dims));
        for (int i = 0; i < m_dims; ++i) {
            const std::int64_t c = source.counts[static_cast<std::size_t>(i)];
            lengths[static_cast<std::size_t>(i)] = c * (r - 1 - c) + 1;
        }
        return lengths;
    }

    void moveInto(int sourceIndex, int targetIndex, int j, int r)
    {
        const Table& source = m_tables[static_cast<std::size_t>(sourceIndex)];
        Table& target = m_tables[static_cast<std::size_t>(targetIndex)];
        if (source.values.empty())
            return;
        const std::vector<std::int64_t> lengths = reach(source, r);
        // Source R_j + r lands r - c_j above the source's offset in the target's coordinates.
        const std::int64_t shift =
            (r - target.counts[static_cast<std::size_t>(j)]) * target.stride[static_cast<std::size_t>(j)];
        move(source, target, lengths, 0, 0, shift);
    }

    void move(const Table& source, Table& target, const std::vector<std::int64_t>& lengths, int dim, std::int64_t from,
              std::int64_t to)
    {
        const auto d = static_cast<std::size_t>(dim);
        if (dim == m_dims - 1) {
            const std::uint32_t* in = source.values.data() + from;
            std::uint32_t* out = target.values.data() + to;
            for (std::int64_t x = 0; x < lengths[d]; ++x)
                out[x] += in[x];
            return;
        }
        for (std::int64_t x = 0; x < lengths[d]; ++x)
            move(source, target, lengths, dim + 1, from + x * source.stride[d], to + x * target.stride[d]);
    }

    // Every stored entry of the source with its rank sums as the target sees
    // them (rank r added in dimension j): the accumulator takes the sums one
    // dimension at a time and is handed each entry's count at the end.
    template <class Accumulator>
    void walk(const Table& source, const std::vector<std::int64_t>& lengths, int j, int r, int dim, std::int64_t from,
              const Accumulator& accumulated)
    {
        const auto d = static_cast<std::size_t>(dim);
        const std::int64_t c = source.counts[d];
        const std::int64_t lowest = c * (c + 1) / 2 + (dim == j ? r : 0);
        for (std::int64_t x = 0; x < lengths[d]; ++x) {
            const std::int64_t at = from + x * source.stride[d];
            const Accumulator next = accumulated.with(dim, lowest + x);
            if (dim < m_dims - 1)
                walk(source, lengths, j, r, dim + 1, at, next);
            else if (const std::uint32_t count = source.values[static_cast<std::size_t>(at)]; count != 0)
                next.take(count);
        }
    }

    // Entries completed by rank r in group j: counted as they are.
    void countCompleted(int sourceIndex, int j, int r)
    {
        const Table& source = m_tables[static_cast<std::size_t>(sourceIndex)];
        if (source.values.empty())
            return;
        struct Complete {
            RankSumTables* tables;
            Wide part = 0;
            std::int64_t rankSum = 0;
            Complete with(int dim, std::int64_t sum) const
            {
                return {tables, part + square(tables->m_groups.weights[static_cast<std::size_t>(dim)], sum),
                        rankSum + sum};
            }
            void take(std::uint32_t count) const { tables->m_tally.add(part, rankSum, count); }
        };
        walk(source, reach(source, r), j, r, 0, 0, Complete{this});
    }

    // Entries given rank r in group j, which leaves the target one rank
    // short of full: settled with every rank that can complete them.
    void settleInto(int sourceIndex, int targetIndex, int j, int r)
    {
        const Table& source = m_tables[static_cast<std::size_t>(sourceIndex)];
        if (source.values.empty())
            return;
        const Table& target = m_tables[static_cast<std::size_t>(targetIndex)];
        int missing = 0;
        while (target.counts[static_cast<std::size_t>(missing)] == m_groups.open[static_cast<std::size_t>(missing)])
            ++missing;
        struct Settle {
            RankSumTables* tables;
            int missing;
            int r;
            Wide others = 0;
            std::int64_t rankSum = 0;
            std::int64_t missingSum = 0;
            Settle with(int dim, std::int64_t sum) const
            {
                if (dim == missing)
                    return {tables, missing, r, others, rankSum + sum, sum};
                return {tables,
                        missing,
                        r,
                        others + square(tables->m_groups.weights[static_cast<std::size_t>(dim)], sum),
                        rankSum + sum,
                        missingSum};
            }
            void take(std::uint32_t count) const
            {
                tables->m_tally.settle(others, tables->m_groups.weights[static_cast<std::size_t>(missing)], missingSum,
                                       rankSum, r + 1, count);
            }
        };
        walk(source, reach(source, r), j, r, 0, 0, Settle{this, missing, r});
    }

    const Groups& m_groups;
    Tally m_tally;
    int m_dims;
    bool m_settle;
    std::vector<int> m_radix;
    std::vector<Table> m_tables;
    std::vector<std::vector<int>> m_bySum;
};

// Open addressing with linear probing; a zero count marks an empty slot.
class StateTable {
public:
    StateTable()
    {
        m_keys.resize(1024);
        m_counts.assign(1024, 0);
    }

    void add(Wide key, std::uint64_t count)
    {
        if (2 * (m_used + 1) > m_keys.size())
            grow();
        std::size_t slot = hash(key) & (m_keys.size() - 1);
        while (m_counts[slot] != 0 && m_keys[slot] != key)
            slot = (slot + 1) & (m_keys.size() - 1);
        if (m_counts[slot] == 0) {
            m_keys[slot] = key;
            ++m_used;
        }
        m_counts[slot] += count;
    }

    template <class Visit> void forEach(Visit&& visit) const
    {
        for (std::size_t i = 0; i < m_keys.size(); ++i)
            if (m_counts[i] != 0)
                visit(m_keys[i], m_counts[i]);
    }

    void clear()
    {
        std::fill(m_counts.begin(), m_counts.end(), 0);
        m_used = 0;
    }

private:
    static std::size_t hash(Wide key)
    {
        std::uint64_t h = static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ULL ^
                          static_cast<std::uint64_t>(key >> 64) * 0xC2B2AE3D27D4EB4FULL;
        h ^= h >> 29;
        return static_cast<std::size_t>(h);
    }

    void grow()
    {
        std::vector<Wide> keys(m_keys.size() * 2);
        std::vector<std::uint64_t> counts(m_keys.size() * 2, 0);
        keys.swap(m_keys);
        counts.swap(m_counts);
        m_used = 0;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (counts[i] != 0)
                add(keys[i], counts[i]);
    }

    std::vector<Wide> m_keys;
    std::vector<std::uint64_t> m_counts;
    std::size_t m_used = 0;
};

// The states as a hash table: each open group's count and rank sum packed
// into a field of one 128-bit key, the fields of groups of equal size in
// descending order, so that states differing only by an exchange of such
// groups are one. Its count is that of all the states it stands for; giving
// rank r to one of m equal fields reaches the same state m times.
class GroupStates {
public:
    GroupStates(const Groups& groups, ArrangementCount& result, const CountProgress& progress)
        : m_groups(groups)
        , m_tally{groups, result, progress}
    {
        int offset = 0;
        for (const int m : groups.open) {
            Field field;
            field.rankBits = bitLength(static_cast<std::uint64_t>(m) * (2 * groups.n - m + 1) / 2);
            field.offset = offset;
            field.bits = bitLength(static_cast<std::uint64_t>(m)) + field.rankBits;
            offset += field.bits;
            m_fields.push_back(field);
        }
        m_bits = offset;
    }

    bool fits() const { return m_bits <= 128; }

    void run()
    {
        const auto slots = m_groups.open.size();
        std::vector<Wide> fields(slots);
        std::vector<Wide> changed(slots);
        StateTable current;
        StateTable next;
        current.add(0, 1);
        for (int r = 1; r <= m_groups.n; ++r) {
            next.clear();
            bool stopped = false;
            current.forEach([&](Wide key, std::uint64_t count) {
                if (stopped || !m_tally.goOn(r, static_cast<std::int64_t>(slots)))
                    return void(stopped = true);
                int given = 0;
                std::int64_t rankSum = 0;
                for (std::size_t i = 0; i < slots; ++i) {
                    fields[i] = (key >> m_fields[i].offset) & mask(m_fields[i].bits);
                    given += ranksIn(i, fields[i]);
                    rankSum += rankSumIn(i, fields[i]);
                }
                if (r - given <= m_groups.implicitSize)
                    next.add(key, count);
                if (r - (given + 1) > m_groups.implicitSize)
                    return;
                for (std::size_t i = 0; i < slots; ++i) {
                    const int size = m_groups.open[i];
                    if (ranksIn(i, fields[i]) == size ||
                        (i > 0 && m_groups.open[i - 1] == size && fields[i - 1] == fields[i]))
                        continue;
                    std::uint64_t equal = 1;
                    while (i + equal < slots && m_groups.open[i + equal] == size && fields[i + equal] == fields[i])
                        ++equal;
                    changed = fields;
                    changed[i] += (Wide{1} << m_fields[i].rankBits) + static_cast<Wide>(r);
                    // The field grew: move it up its run of equal sizes.
                    for (std::size_t at = i; at > 0 && m_groups.open[at - 1] == size && changed[at - 1] < changed[at];
                         --at)
                        std::swap(changed[at - 1], changed[at]);
                    if (given + 1 == m_groups.openTotal) {
                        Wide part = 0;
                        for (std::size_t s = 0; s < slots; ++s)
                            part += square(m_groups.weights[s], rankSumIn(s, changed[s]));
                        m_tally.add(part, rankSum + r, count * equal);
                    } else {
                        Wide packed = 0;
                        for (std::size_t s = 0; s < slots; ++s)
                            packed |= changed[s] << m_fields[s].offset;
                        next.add(packed, count * equal);
                    }
                }
            });
            if (stopped || !m_tally.goOn(r + 1, std::int64_t{1} << 20))
                return;
            std::swap(current, next);
        }
    }

private:
    struct Field {
        int offset = 0;
        int bits = 0;
        int rankBits = 0;
    };

    static int bitLength(std::uint64_t x)
    {
        int bits = 1;
        while (x >>= 1)
            ++bits;
        return bits;
    }

    static Wide mask(int bits) { return bits >= 128 ? ~Wide{0} : (Wide{1} << bits) - 1; }

    int ranksIn(std::size_t i, Wide field) const { return static_cast<int>(field >> m_fields[i].rankBits); }
    std::int64_t rankSumIn(std::size_t i, Wide field) const
    {
        return static_cast<std::int64_t>(field & mask(m_fields[i].rankBits));
    }

    const Groups& m_groups;
    Tally m_tally;
    std::vector<Field> m_fields;
    int m_bits = 0;
};

// The ranks split between two sets of groups, A taking `a` of them: for every
// choice of those a ranks, the values of sum w_j R_j^2 over the ways to share
// them among A's groups, and likewise for the rest among B's groups; an
// arrangement is one of each, and extreme when their sum reaches the
// observed value, which sorting one list and searching it for every value of
// the other counts. C(N, a) (M_A + M_B) steps instead of C(N, a) M_A M_B:
// the way to count many small groups, where the rank sums of the others
// would be too many states. N is at most 62 (ranks as bits of a word).
class SplitHalves {
public:
    static constexpr int LargestN = 62;
    // Longest list of values kept for one choice of ranks.
    static constexpr Real LongestList = 1e7;

    SplitHalves(const Groups& groups, ArrangementCount& result, const CountProgress& progress, unsigned inA)
        : m_groups(groups)
        , m_tally{groups, result, progress}
    {
        for (std::size_t i = 0; i <= groups.open.size(); ++i) {
            const bool implicit = i == groups.open.size();
            Part& part = (inA >> i) & 1 ? m_a : m_b;
            part.sizes.push_back(implicit ? groups.implicitSize : groups.open[i]);
            part.weights.push_back(implicit ? groups.implicitWeight : groups.weights[i]);
        }
    }

    // Steps of the count, about: C(N, a) times the two lists, the longer one
    // searched in the shorter.
    static Real cost(const Groups& groups, unsigned inA)
    {
        int a = 0;
        Real lnA = 0;
        Real lnB = 0;
        for (std::size_t i = 0; i <= groups.open.size(); ++i) {
            const int size = i == groups.open.size() ? groups.implicitSize : groups.open[i];
            ((inA >> i) & 1 ? lnA : lnB) -= std::lgamma(static_cast<Real>(size) + 1);
            a += (inA >> i) & 1 ? size : 0;
        }
        lnA += std::lgamma(static_cast<Real>(a) + 1);
        lnB += std::lgamma(static_cast<Real>(groups.n - a) + 1);
        const Real chooses =
            std::exp(std::lgamma(groups.n + Real(1)) - std::lgamma(a + Real(1)) - std::lgamma(groups.n - a + Real(1)));
        const Real shorter = std::exp(std::min(lnA, lnB));
        const Real longer = std::exp(std::max(lnA, lnB));
        if (longer > LongestList)
            return std::numeric_limits<Real>::infinity();
        const Real search = std::log2(shorter + 1) + 1;
        return chooses * (shorter * search + longer * search);
    }

    void run()
    {
        int a = 0;
        for (const int size : m_a.sizes)
            a += size;
        const int n = m_groups.n;
        const std::uint64_t all = (std::uint64_t{1} << n) - 1;
        const Real masks = std::exp(std::lgamma(n + Real(1)) - std::lgamma(a + Real(1)) - std::lgamma(n - a + Real(1)));
        Real done = 0;
        int lastStep = 0;
        // Every a-subset of the ranks in turn (Gosper's successor).
        for (std::uint64_t mask = (std::uint64_t{1} << a) - 1; mask <= all && mask != 0;) {
            fill(m_a, mask);
            fill(m_b, all & ~mask);
            const std::vector<Wide>& shorter = m_a.values.size() <= m_b.values.size() ? m_a.values : m_b.values;
            std::vector<Wide>& sorted = m_a.values.size() <= m_b.values.size() ? m_a.values : m_b.values;
            const std::vector<Wide>& longer = &shorter == &m_a.values ? m_b.values : m_a.values;
            std::sort(sorted.begin(), sorted.end());
            std::int64_t extreme = 0;
            for (const Wide x : longer) {
                const auto first = x >= m_groups.observed
                                       ? sorted.begin()
                                       : std::lower_bound(sorted.begin(), sorted.end(), m_groups.observed - x);
                extreme += sorted.end() - first;
            }
            m_tally.result.extreme += extreme;
            m_tally.result.total += static_cast<std::int64_t>(shorter.size() * longer.size());
            done += 1;
            // Asked at least as often as the other ways ask, once per rank's worth.
            const int step = static_cast<int>(done / masks * n);
            const std::int64_t work =
                step != lastStep ? std::int64_t{1} << 20 : static_cast<std::int64_t>(shorter.size() + longer.size());
            lastStep = step;
            if (!m_tally.goOn(step + 1, work))
                return;
            if (mask == all)
                break;
            const std::uint64_t low = mask & -mask;
            const std::uint64_t ripple = mask + low;
            mask = ripple == 0 ? 0 : (((ripple ^ mask) >> 2) / low) | ripple;
        }
    }

private:
    struct Part {
        std::vector<int> sizes;
        std::vector<std::uint64_t> weights;
        std::vector<int> ranks;
        std::vector<Wide> values;
    };

    // The values of sum w_j R_j^2 over every way to give the ranks in mask to the part's groups.
    void fill(Part& part, std::uint64_t mask)
    {
        part.ranks.clear();
        std::int64_t total = 0;
        for (int r = 1; r <= m_groups.n; ++r) {
            if ((mask >> (r - 1)) & 1) {
                part.ranks.push_back(r);
                total += r;
            }
        }
        part.values.clear();
        share(part, 0, (std::uint64_t{1} << part.ranks.size()) - 1, total, 0);
    }

    // Group g takes `size` of the free ranks (bits of free over part.ranks,
    // freeSum their sum), in increasing order; the last group takes what is left.
    void share(Part& part, std::size_t g, std::uint64_t free, std::int64_t freeSum, Wide sofar)
    {
        if (g + 1 == part.sizes.size()) {
            part.values.push_back(sofar + square(part.weights[g], freeSum));
            return;
        }
        choose(part, g, free, free, part.sizes[g], 0, freeSum, sofar);
    }

    void choose(Part& part, std::size_t g, std::uint64_t free, std::uint64_t candidates, int left, std::int64_t sum,
                std::int64_t freeSum, Wide sofar)
    {
        if (left == 0) {
            share(part, g + 1, free, freeSum - sum, sofar + square(part.weights[g], sum));
            return;
        }
        for (std::uint64_t bits = candidates; std::popcount(bits) >= left; bits &= bits - 1) {
            const std::uint64_t pick = bits & -bits;
            choose(part, g, free & ~pick, bits & ~pick & ~(pick - 1), left - 1,
                   sum + part.ranks[static_cast<std::size_t>(std::countr_zero(pick))], freeSum, sofar);
        }
    }

    const Groups& m_groups;
    Tally m_tally;
    Part m_a;
    Part m_b;
};

// How long each way would take, about, in nanoseconds, and which way is
// fastest. Measured on the sizes where the ways differ most: a table entry
// moved costs about 1.5 ns, one read and counted at a step about 8 ns, one
// settled about 30 ns; a group state about 60 ns, and there are about as many
// as table entries visited divided by the exchanges of equal groups; a step
// of the split halves about 3 ns.
struct CountingPlan {
    KruskalWallisCounting counting = KruskalWallisCounting::RankSumTables;
    unsigned split = 0;
};

struct TableWork {
    Real moved = 0;    // entries of tables two or more ranks short of full, moved at each step
    Real settled = 0;  // of those, the ones moved into tables one rank short of full
    Real counted = 0;  // entries of tables one rank short of full, read and counted at each step

    Real keptTime() const { return 1.5L * moved + 8 * counted; }
    Real settledTime() const { return 1.5L * (moved - settled) + 30 * settled; }
    Real entries() const { return moved + counted; }
};

TableWork rankSumTableWork(const Groups& groups)
{
    const auto dims = groups.open.size();
    int blocks = 1;
    for (const int m : groups.open)
        blocks *= m + 1;
    std::vector<int> c(dims);
    TableWork work;
    for (int b = 0; b < blocks; ++b) {
        int sum = 0;
        for (std::size_t i = 0, rest = static_cast<std::size_t>(b); i < dims; ++i) {
            c[i] = static_cast<int>(rest % static_cast<std::size_t>(groups.open[i] + 1));
            rest /= static_cast<std::size_t>(groups.open[i] + 1);
            sum += c[i];
        }
        if (sum == groups.openTotal)
            continue;
        int successors = 0;
        for (std::size_t i = 0; i < dims; ++i)
            successors += c[i] < groups.open[i] ? 1 : 0;
        // Table c is read from step sum + 1 until the left-out group is full.
        for (int r = sum + 1; r <= std::min(groups.n, sum + 1 + groups.implicitSize); ++r) {
            Real reachable = successors;
            for (std::size_t i = 0; i < dims; ++i)
                reachable *= static_cast<Real>(c[i]) * (r - 1 - c[i]) + 1;
            if (sum == groups.openTotal - 1) {
                work.counted += reachable;
            } else {
                work.moved += reachable;
                if (sum == groups.openTotal - 2)
                    work.settled += reachable;
            }
        }
    }
    return work;
}

CountingPlan planCounting(const Groups& groups, bool statesFit)
{
    CountingPlan plan;
    const TableWork tables = rankSumTableWork(groups);
    Real best = tables.keptTime();
    if (tables.settledTime() < best) {
        best = tables.settledTime();
        plan.counting = KruskalWallisCounting::RankSumTablesSettling;
    }
    Real exchanges = 1;
    for (std::size_t i = 0, run = 1; i < groups.open.size(); ++i) {
        run = i > 0 && groups.open[i] == groups.open[i - 1] ? run + 1 : 1;
        exchanges *= static_cast<Real>(run);
    }
    if (statesFit && 60 * tables.entries() / exchanges < best) {
        best = 60 * tables.entries() / exchanges;
        plan.counting = KruskalWallisCounting::GroupStates;
    }
    const auto k = groups.open.size() + 1;
    if (groups.n <= SplitHalves::LargestN && k <= 16) {
        // Sets containing the last group are the complements of those that do not.
        for (unsigned inA = 1; inA < (1u << (k - 1)); ++inA) {
            const Real cost = 3 * SplitHalves::cost(groups, inA);
            if (cost < best) {
                best = cost;
                plan.counting = KruskalWallisCounting::SplitHalves;
                plan.split = inA;
            }
        }
    }
    return plan;
}

}  // namespace

std::int64_t multinomialCapped(std::span<const int> sizes, std::int64_t cap)
{
    std::int64_t product = 1;
    int remaining = 0;
    for (const int size : sizes)
        remaining += size;
    for (const int size : sizes) {
        const std::int64_t factor = binomialCapped(remaining, size, cap);
        if (factor >= cap || product > cap / factor)
            return cap;
        product *= factor;
        remaining -= size;
    }
    return std::min(product, cap);
}

ArrangementCount countKruskalWallisAtLeast(std::span<const int> sizes, std::span<const std::int64_t> observedRankSums,
                                           const CountProgress& progress, KruskalWallisCounting counting)
{
    ArrangementCount result;
    Groups groups;
    if (!describeGroups(sizes, observedRankSums, groups) ||
        multinomialCapped(sizes, MaxKruskalWallisArrangements + 1) > MaxKruskalWallisArrangements) {
        result.total = -1;
        return result;
    }
    GroupStates states(groups, result, progress);
    CountingPlan plan = planCounting(groups, states.fits());
    if (counting == KruskalWallisCounting::SplitHalves && groups.n <= SplitHalves::LargestN)
        plan = {counting, 1};  // the first group against the others
    else if (counting != KruskalWallisCounting::Automatic)
        plan.counting = counting;
    if (plan.counting == KruskalWallisCounting::GroupStates && states.fits()) {
        states.run();
    } else if (plan.counting == KruskalWallisCounting::SplitHalves) {
        SplitHalves(groups, result, progress, plan.split).run();
    } else {
        RankSumTables tables(groups, result, progress, plan.counting == KruskalWallisCounting::RankSumTablesSettling);
        tables.run();
    }
    return result;
}

ArrangementCount countFriedmanAtLeast(int rows, int columns, std::int64_t observedSumOfSquares,
                                      const CountProgress& progress)
{
    ArrangementCount result;
    if (rows < 1 || columns < 2 || columns > 6) {
        result.total = -1;
        return result;
    }
    std::vector<int> permutation(static_cast<std::size_t>(columns));
    std::iota(permutation.begin(), permutation.end(), 1);
    std::int64_t permutations = 1;
    for (int i = 2; i <= columns; ++i)
        permutations *= i;
    // (k!)^b only as far as the limit, so that no power overflows.
    Real arrangements = 1;
    for (int i = 0; i < rows && arrangements <= static_cast<Real>(MaxFriedmanArrangements); ++i)
        arrangements *= static_cast<Real>(permutations);
    if (arrangements > static_cast<Real>(MaxFriedmanArrangements)) {
        result.total = -1;
        return result;
    }
    std::vector<std::vector<int>> all;
    do
        all.push_back(permutation);
    while (std::next_permutation(permutation.begin(), permutation.end()));

    // A sorted vector of column sums, each below 2^8 (at most 6 rows of 6 or 62 of 2), one byte per column.
    const auto k = static_cast<std::size_t>(columns);
    std::unordered_map<std::uint64_t, std::uint64_t> current{{0, 1}};
    std::unordered_map<std::uint64_t, std::uint64_t> next;
    std::vector<int> sums(k);
    for (int row = 1; row <= rows; ++row) {
        next.clear();
        for (const auto& [key, count] : current) {
            for (const std::vector<int>& p : all) {
                for (std::size_t i = 0; i < k; ++i)
                    sums[i] = static_cast<int>((key >> (8 * i)) & 0xFF) + p[i];
                std::sort(sums.begin(), sums.end());
                std::uint64_t packed = 0;
                for (std::size_t i = 0; i < k; ++i)
                    packed |= static_cast<std::uint64_t>(sums[i]) << (8 * i);
                next[packed] += count;
            }
        }
        current.swap(next);
        const int answer = progress(static_cast<Real>(row) / rows * 100);
        if (answer != ProgressContinue) {
            result.progress = answer;
            return result;
        }
    }
    for (const auto& [key, count] : current) {
        std::int64_t squares = 0;
        for (std::size_t i = 0; i < k; ++i) {
            const auto sum = static_cast<std::int64_t>((key >> (8 * i)) & 0xFF);
            squares += sum * sum;
        }
        result.total += static_cast<std::int64_t>(count);
        if (squares >= observedSumOfSquares)
            result.extreme += static_cast<std::int64_t>(count);
    }
    return result;
}

}  // namespace ombrix::analyses
