#pragma once

#include <concepts>
#include <exception>
#include <functional>
#include <limits>

// Turning arithmetic faults inside an analysis into an analysis error code.
//
// Floating-point faults are read from the IEEE status flags, not trapped:
// the arithmetic keeps going with infinities and NaNs, and the guard looks at
// the flags when the analysis is done. Integer arithmetic has no flags, so
// analyses that can overflow a count use the checked helpers below, which
// throw IntegerFault for the guard to catch.
namespace ombrix::analyses {

class IntegerFault : public std::exception {
public:
    enum class Kind { Overflow, DivideByZero };

    explicit IntegerFault(Kind kind)
        : m_kind(kind)
    {
    }
    Kind kind() const noexcept { return m_kind; }
    const char* what() const noexcept override;

private:
    Kind m_kind;
};

// Runs an analysis and returns the code that decides its report:
// - the analysis ends normally: its own code when not 0 (it recognised the
//   condition and says so more precisely than a flag could), otherwise the
//   code of the floating-point flags it raised;
// - it throws: the code of the flags raised before the throw when there is
//   one (a NaN or infinity turned into an index or a size is the usual way
//   to get there, and the flag names the cause), otherwise 4 or 2 for an
//   IntegerFault, 10 for std::bad_alloc and 5 for anything else (a failed
//   range check or an unanticipated error).
// Flags: division by zero 2, overflow 4, invalid operation 5; when several
// are raised they are taken in that order, since an invalid operation is
// most often the later consequence of an infinity made by the other two.
// Underflow and inexact results are ordinary (a tail probability that
// underflows to 0 is right). The caller's flags are the same afterwards.
// Nothing escapes the guard.
int runGuarded(const std::function<int()>& analysis) noexcept;

// Checked integer arithmetic for counts and sums of counts: the exact result,
// or IntegerFault when it does not fit (division: also when dividing by zero).
template <std::signed_integral T> T checkedAdd(T a, T b)
{
    if ((b > 0 && a > std::numeric_limits<T>::max() - b) || (b < 0 && a < std::numeric_limits<T>::min() - b))
        throw IntegerFault(IntegerFault::Kind::Overflow);
    return static_cast<T>(a + b);
}

template <std::signed_integral T> T checkedSubtract(T a, T b)
{
    if ((b < 0 && a > std::numeric_limits<T>::max() + b) || (b > 0 && a < std::numeric_limits<T>::min() + b))
        throw IntegerFault(IntegerFault::Kind::Overflow);
    return static_cast<T>(a - b);
}

template <std::signed_integral T> T checkedMultiply(T a, T b)
{
    constexpr T most = std::numeric_limits<T>::max();
    constexpr T least = std::numeric_limits<T>::min();
    const bool overflows =
        a > 0 ? (b > 0 ? a > most / b : b < least / a) : (b > 0 ? a < least / b : (a != 0 && b < most / a));
    if (overflows)
        throw IntegerFault(IntegerFault::Kind::Overflow);
    return static_cast<T>(a * b);
}

// Truncating division, as the language's operator /.
template <std::signed_integral T> T checkedDivide(T a, T b)
{
    if (b == 0)
        throw IntegerFault(IntegerFault::Kind::DivideByZero);
    if (b == -1 && a == std::numeric_limits<T>::min())
        throw IntegerFault(IntegerFault::Kind::Overflow);
    return static_cast<T>(a / b);
}

}  // namespace ombrix::analyses
