#include "analyses/fault_guard.h"

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "analyses/error_codes.h"
#include "core/real.h"

namespace ombrix::analyses {
namespace {

// Operands are volatile so that the compiler cannot fold the faults away at
// compile time; results go to a volatile sink so that they are computed.
volatile Real zero = 0.0L;
volatile Real one = 1.0L;
volatile Real huge = 1e4000L;
volatile Real tiny = 1e-4000L;
volatile double hugeDouble = 1e308;
volatile Real sink = 0.0L;

struct GuardCase {
    const char* name;
    std::function<int()> analysis;
    int code;
};

TEST(FaultGuard, MapsFaultsToCodes)
{
    // One case a line reads best here.
    // clang-format off
    const GuardCase cases[] = {
        {"clean run", [] { sink = one / 3; return 0; }, error_code::None},
        {"underflow to zero", [] { sink = tiny * tiny; return 0; }, error_code::None},
        {"own code", [] { return error_code::ZeroSd; }, error_code::ZeroSd},
        {"division by zero", [] { sink = one / zero; return 0; }, error_code::DivideByZero},
        {"overflow", [] { sink = huge * huge; return 0; }, error_code::Overflow},
        {"double overflow", [] { sink = hugeDouble * 10.0; return 0; }, error_code::Overflow},
        {"invalid 0/0", [] { sink = zero / zero; return 0; }, error_code::InvalidOperation},
        {"invalid sqrt", [] { sink = std::sqrt(-one); return 0; }, error_code::InvalidOperation},
        // An infinity from a division by zero that later meets another
        // infinity: the division is the cause.
        {"divide then invalid", [] { const Real inf = one / zero; sink = inf - inf; return 0; },
         error_code::DivideByZero},
        {"overflow then invalid", [] { const Real inf = huge * huge; sink = inf * zero; return 0; },
         error_code::Overflow},
        {"divide and overflow", [] { sink = huge * huge; sink = one / zero; return 0; }, error_code::DivideByZero},
        {"own code beats flags", [] { sink = one / zero; return error_code::ZeroSd; }, error_code::ZeroSd},
        {"integer overflow", [] { return checkedAdd(INT_MAX, 1); }, error_code::Overflow},
        {"integer division by zero", [] { return checkedDivide(7, 0); }, error_code::DivideByZero},
        {"out of memory", []() -> int { throw std::bad_alloc(); }, error_code::OutOfMemory},
        {"range check", [] { return std::vector<int>(3).at(5); }, error_code::InvalidOperation},
        {"anything else", []() -> int { throw 42; }, error_code::InvalidOperation},
        // A NaN that ends as a bad index throws; the flag names the cause.
        {"flag before throw", []() -> int { sink = one / zero; throw std::out_of_range("index"); },
         error_code::DivideByZero},
    };
    // clang-format on
    for (const GuardCase& c : cases)
        EXPECT_EQ(runGuarded(c.analysis), c.code) << c.name;
}

TEST(FaultGuard, RestoresTheCallersFlags)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_UNDERFLOW);
    // The caller's flag does not count against the analysis...
    EXPECT_EQ(runGuarded([] { return 0; }), error_code::None);
    // ...and the analysis's flags do not reach the caller.
    EXPECT_EQ(runGuarded([] {
                  sink = one / zero;
                  return 0;
              }),
              error_code::DivideByZero);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_UNDERFLOW);
    std::feclearexcept(FE_ALL_EXCEPT);
}

// Each row: the operation at the edge of its range, and whether it fits.
TEST(CheckedArithmetic, Boundaries)
{
    using std::int64_t;
    constexpr int64_t min64 = INT64_MIN;
    struct Case {
        const char* name;
        std::function<int64_t()> operation;
        int64_t result;  // when it fits
        int code;        // what the guard makes of it
    };
    const Case cases[] = {
        {"add to max", [] { return checkedAdd(INT_MAX - 1, 1); }, INT_MAX, 0},
        {"add past max", [] { return checkedAdd(INT_MAX, 1); }, 0, 4},
        {"add past min", [] { return checkedAdd(INT_MIN, -1); }, 0, 4},
        {"subtract to min", [] { return checkedSubtract(-1, INT_MAX); }, INT_MIN, 0},
        {"subtract past min", [] { return checkedSubtract(INT_MIN, 1); }, 0, 4},
        {"multiply to min", [] { return checkedMultiply(-65536, 32768); }, INT_MIN, 0},
        {"multiply past min", [] { return checkedMultiply(-46341, 46341); }, 0, 4},
        {"multiply min by -1", [] { return checkedMultiply(INT_MIN, -1); }, 0, 4},
        {"multiply by zero", [] { return checkedMultiply(INT_MIN, 0); }, 0, 0},
        {"64-bit overflow", [] { return checkedMultiply(int64_t{1} << 32, int64_t{1} << 31); }, 0, 4},
        {"64-bit product", [] { return checkedMultiply(int64_t{1} << 31, -(int64_t{1} << 32)); }, min64, 0},
        {"divide", [] { return checkedDivide(-7, 2); }, -3, 0},
        {"divide by zero", [] { return checkedDivide(int64_t{7}, int64_t{0}); }, 0, 2},
        {"divide min by -1", [] { return checkedDivide(INT_MIN, -1); }, 0, 4},
    };
    for (const Case& c : cases) {
        int64_t result = 0;
        EXPECT_EQ(runGuarded([&] {
                      result = c.operation();
                      return 0;
                  }),
                  c.code)
            << c.name;
        if (c.code == 0) {
            EXPECT_EQ(result, c.result) << c.name;
        }
    }
}

}  // namespace
}  // namespace ombrix::analyses
