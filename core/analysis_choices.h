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

// The choices with named values. The numbers are those the data file keeps.
enum class ColumnCategory { None = 0, One = 1, Two = 2, ThreeOrMore = 3 };
enum class HypotheticalChoice { Zero = 0, One = 1, Hundred = 2, Typed = 3 };
enum class PostTestState { Perform = 0, None = 1, OnlyIfSignificant = 2 };
enum class PostTestMethod { Bonferroni = 0, Tukey = 1, Dunnett = 2, StudentNewmanKeuls = 3, LinearTrend = 4 };
enum class PostTestPairs { All = 0, Selected = 1, VersusControl = 2 };
enum class TwoByTwoTest { Fisher = 0, ChiSquare = 1 };
enum class XYTest { LinearRegression = 0, Pearson = 1, Spearman = 2 };

// Every choice of the choose-test step, kept with the data set and saved in
// its file. Field names follow the controls they mirror; the defaults are
// those of a new document. Each field has its row in the choice table
// (core/choice_table.cpp), which the file, --set and its help go by.
struct AnalysisChoices {
    // Columns.
    core::ColumnCategory ColumnCategory = core::ColumnCategory::None;  // derived from the selection
    bool AllColumns = true;

    // One column.
    bool OneColNonParametric = false;
    core::HypotheticalChoice HypotheticalChoice = core::HypotheticalChoice::Zero;
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
    core::PostTestState PostTestState = core::PostTestState::OnlyIfSignificant;
    core::PostTestMethod PostTestMethod = core::PostTestMethod::Tukey;
    core::PostTestPairs PostTestPairs = core::PostTestPairs::All;
    std::int32_t ControlColumn = 0;  // position among the analysed columns; -1 unset
    std::array<bool, SelectedPairCount> SelectedPairs = allPairsSelected();

    // Two-by-two table.
    core::TwoByTwoTest TwoByTwoTest = core::TwoByTwoTest::Fisher;
    bool TwoByTwoYates = true;
    bool TwoByTwoTwoSided = true;
    bool TwoByTwoProportions = true;
    bool TwoByTwoOddsRatio = false;
    bool TwoByTwoRelativeRisk = true;
    bool TwoByTwoSensitivity = false;

    // XY data.
    core::XYTest XYTest = core::XYTest::LinearRegression;
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

    bool operator==(const AnalysisChoices&) const = default;

    static std::array<bool, SelectedPairCount> allPairsSelected()
    {
        std::array<bool, SelectedPairCount> pairs{};
        pairs.fill(true);
        return pairs;
    }
};

}  // namespace ombrix::core
