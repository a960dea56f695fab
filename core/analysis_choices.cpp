#include "core/analysis_choices.h"

namespace ombrix::core {

int selectedPairIndex(int i, int j)
{
    if (i < 0 || j <= i || j > TableColumns)
        return -1;
    // Pairs (0,1)..(0,N), then (1,2).. : row i starts after i rows of
    // decreasing length N, N-1, ...
    const int rowStart = i * TableColumns - i * (i - 1) / 2;
    return rowStart + (j - i - 1);
}

}  // namespace ombrix::core
