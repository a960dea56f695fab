#pragma once

#include <array>
#include <cstdint>

#include "core/data_table.h"
#include "core/real.h"

namespace ombrix::core {

// One flag per unordered pair (i < j) of analysed columns, i = 0, 1, ...; j = i+1, ...
inline constexpr int SelectedPairCount = TableColumns * (TableColumns + 1) / 2;

// Index of the pair (i, j), i < j, in SelectedPairs; -1 for anything else.
int selectedPairIndex(int i, int j);

// Every choice of the choose-test step, kept with the data set and saved in
// its file. Field names follow the controls they mirror; the defaults are
// those of a new document.
struct AnalysisChoices {
    // Columns.
    int ColumnCategory = 0;  // 0 none, 1, 2, 3 = three or more; derived from the selection
    bool AllColumns = true;

    // One column.
    bool OneColNonParametric = false;
    int HypotheticalChoice = 0;  // 0: 0.0, 1: 1.0, 2: 100, 3: typed
    Real HypotheticalValue = 0;
    bool OneColTwoSided = true;
    std::int32_t OneColColumn = -1;

    // Two columns.
    bool TwoColNonParametric = false;
    bool TwoColUnpaired = true;
    bool TwoColTwoSided = true;
    std::int32_t TwoColFirst = 0;
    std::int32_t TwoColSecond = 1;
    bool TwoColEqualSD = true;

    // Three or more columns.
    bool OrdinaryAnova = true;
    bool MultiColNonParametric = false;
    int PostTestState = 2;   // 0 perform, 1 none, 2 only when P < 0.05
    int PostTestMethod = 1;  // 0 Bonferroni, 1 Tukey, 2 Dunnett, 3 Student-Newman-Keuls, 4 linear trend
    int PostTestPairs = 0;   // 0 all pairs, 1 selected pairs, 2 all versus a control
    std::int32_t ControlColumn = 0;  // position among the analysed columns; -1 unset
    std::array<bool, SelectedPairCount> SelectedPairs = allPairsSelected();

    // Two-by-two table.
    int TwoByTwoTest = 0;  // 0 Fisher's exact test, 1 chi-square
    bool TwoByTwoYates = true;
    bool TwoByTwoTwoSided = true;
    bool TwoByTwoProportions = true;
    bool TwoByTwoOddsRatio = false;
    bool TwoByTwoRelativeRisk = true;
    bool TwoByTwoSensitivity = false;

    // XY data.
    int XYTest = 0;  // 0 linear regression, 1 Pearson, 2 Spearman
    bool DoRegression = true;
    bool ForceThroughPoint = false;
    Real ForceX = 0;
    Real ForceY = 0;
    bool RunsTest = false;
    bool StandardCurve = true;

    // Multiple regression.
    bool MultRegAnalysis = true;  // false: correlation matrix
    std::int32_t DependentColumn = 0;
    std::array<bool, TableColumns> IndependentColumns{};

    // Summary grid and graph: SD (true) or SEM listed first and drawn as error bars.
    bool ShowSD = true;

    static std::array<bool, SelectedPairCount> allPairsSelected()
    {
        std::array<bool, SelectedPairCount> pairs{};
        pairs.fill(true);
        return pairs;
    }
};

}  // namespace ombrix::core
