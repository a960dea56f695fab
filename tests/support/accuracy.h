#pragma once

#include <cmath>

#include "core/real.h"

namespace ombrix::testing {

// Log relative error against a certified value: about the number of correct
// significant digits; 19 stands for every digit of an 80-bit result.
inline double logRelativeError(Real value, Real certified)
{
    if (value == certified)
        return 19;
    return static_cast<double>(-std::log10(std::fabs(value - certified) / std::fabs(certified)));
}

}  // namespace ombrix::testing
