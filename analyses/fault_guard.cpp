#include "analyses/fault_guard.h"

#include <cfenv>
#include <new>

#include "analyses/error_codes.h"

namespace ombrix::analyses {

namespace {

int codeForFlags(int flags)
{
    if (flags & FE_DIVBYZERO)
        return error_code::DivideByZero;
    if (flags & FE_OVERFLOW)
        return error_code::Overflow;
    if (flags & FE_INVALID)
        return error_code::InvalidOperation;
    return error_code::None;
}

int codeForCurrentException()
{
    try {
        throw;
    } catch (const IntegerFault& fault) {
        return fault.kind() == IntegerFault::Kind::DivideByZero ? error_code::DivideByZero : error_code::Overflow;
    } catch (const std::bad_alloc&) {
        return error_code::OutOfMemory;
    } catch (...) {
        return error_code::InvalidOperation;
    }
}

}  // namespace

const char* IntegerFault::what() const noexcept
{
    return m_kind == Kind::DivideByZero ? "integer division by zero" : "integer overflow";
}

int runGuarded(const std::function<int()>& analysis) noexcept
{
    std::fexcept_t callerFlags{};
    std::fegetexceptflag(&callerFlags, FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);

    int code = error_code::None;
    try {
        code = analysis();
        if (code == error_code::None)
            code = codeForFlags(std::fetestexcept(FE_ALL_EXCEPT));
    } catch (...) {
        code = codeForFlags(std::fetestexcept(FE_ALL_EXCEPT));
        if (code == error_code::None)
            code = codeForCurrentException();
    }

    std::fesetexceptflag(&callerFlags, FE_ALL_EXCEPT);
    return code;
}

}  // namespace ombrix::analyses
