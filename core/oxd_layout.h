#pragma once

#include <cstdint>
#include <vector>

#include "core/data_table.h"

// What the data file's reader and writer share: the limits of the older
// layout and the order of the older program's pair flags.
namespace ombrix::core::oxd {

inline constexpr const char* HeaderLine = "Tarvenly Ombrix for Windows Version 3.10, 32 bit for Windows";
inline constexpr int OldColumns = 26;  // A..Z: what the older layout describes
inline constexpr int OldRows = 1000;
inline constexpr int OldPairCount = 351;  // 26 * 27 / 2 pair flags of the older program

// Pairs of selected columns in pair order: the older program's flag line
// holds those whose columns both lie in A..Z.
template <typename Visit> void forEachSelectedPair(const DataTable& table, Visit visit)
{
    std::vector<int> selected;
    for (int c = 0; c < TableColumns; ++c)
        if (table.isSelected(c))
            selected.push_back(c);
    for (size_t i = 0; i < selected.size(); ++i)
        for (size_t j = i + 1; j < selected.size(); ++j)
            visit(static_cast<int>(i), static_cast<int>(j), selected[i] < OldColumns && selected[j] < OldColumns);
}

}  // namespace ombrix::core::oxd
