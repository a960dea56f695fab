#include "workflow/dispatcher.h"

#include <vector>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"
#include "analyses/fault_guard.h"
#include "analyses/report_writers.h"
#include "core/text.h"
#include "workflow/choose_test.h"

namespace ombrix::workflow {

using analyses::ResultsBuffer;
using core::ColumnCategory;
using core::DataSet;
using core::DataTable;
using core::PostTestMethod;
using core::PostTestPairs;
using core::TwoByTwoTest;
using core::XYTest;

namespace {

// Columns set aside for one calculation: N of unselected columns is 0 and
// blank titles read "Column X" while the analysis runs. The destructor puts
// everything back, whichever way the calculation ends.
class ColumnsSetAside {
public:
    ColumnsSetAside(DataTable& table, bool zeroUnselected, bool zeroAll)
        : m_table(table)
    {
        for (int c = 0; c < core::TableColumns; ++c) {
            core::ColumnRecord& record = table.column(c);
            m_n[c] = record.n;
            m_temporaryTitle[c] = core::trimmed(record.title).empty();
            if (m_temporaryTitle[c])
                record.title = "Column " + core::columnName(c);
            if (zeroAll || (zeroUnselected && !table.isSelected(c)))
                record.n = 0;
        }
    }
    ~ColumnsSetAside()
    {
        for (int c = 0; c < core::TableColumns; ++c) {
            core::ColumnRecord& record = m_table.column(c);
            record.n = m_n[c];
            if (m_temporaryTitle[c])
                record.title.clear();
        }
        m_table.setAnalysisMode(false);
    }
    ColumnsSetAside(const ColumnsSetAside&) = delete;
    ColumnsSetAside& operator=(const ColumnsSetAside&) = delete;

private:
    DataTable& m_table;
    std::array<std::int32_t, core::TableColumns> m_n{};
    std::array<bool, core::TableColumns> m_temporaryTitle{};
};

void showMessage(DataSet& dataSet, CalculationTarget& target, const char* message)
{
    target.reportCode = 0;
    analyses::WriteMessageReport(target.results, message);
    // The message stands for this state of the data; the next visit checks again.
    dataSet.resultsStale = true;
}

bool hasReport(const ResultsBuffer& results)
{
    return results.isClosed() && !results.text().empty();
}

// Runs one analysis inside the report frame and the busy state. The
// analysis's own code (left in the table) wins over the guard's.
void runAnalysis(DataSet& dataSet, CalculationTarget& target, const std::function<void()>& analysis)
{
    CalculationScope busy(target.progress, target.view);
    DataTable& table = dataSet.table;
    analyses::BeginReport(target.results, table.title());
    table.setAnalysisErrorCode(0);
    const int code = analyses::runGuarded([&] {
        analysis();
        return table.analysisErrorCode();
    });
    analyses::FinishReport(target.results, code);
    target.reportCode = code;
    table.setAnalysisErrorCode(0);
    dataSet.resultsStale = false;
}

int firstSelectedColumnWithData(const DataTable& table, int after)
{
    for (int c = after + 1; c < core::TableColumns; ++c)
        if (table.isSelected(c) && table.column(c).n > 0)
            return c;
    return -1;
}

analyses::ColumnInput columnInput(const DataTable& table, int column)
{
    return {table.meanEntry(column) ? -1 : column, table.column(column)};
}

bool anyAnalysedPairSelected(const core::AnalysisChoices& choices, int analysedColumns)
{
    for (int i = 0; i < analysedColumns; ++i)
        for (int j = i + 1; j < analysedColumns; ++j)
            if (choices.SelectedPairs[core::selectedPairIndex(i, j)])
                return true;
    return false;
}

CalculateOutcome columnDispatch(DataSet& dataSet, CalculationTarget& target)
{
    DataTable& table = dataSet.table;
    core::AnalysisChoices& choices = dataSet.choices;

    if (choices.AllColumns && choices.ColumnCategory != ColumnCategory::One &&
        choices.ColumnCategory != ColumnCategory::Two)
        table.selectAllColumnsWithData();

    ColumnsSetAside setAside(table, true, false);
    for (int c = 0; c < core::TableColumns; ++c)
        if (table.column(c).n <= 0)
            table.setSelected(c, false);
    if (choices.ControlColumn == -1)
        choices.ControlColumn = 0;

    const int analysed = table.countColumnsWithData();
    if (analysed == 0) {
        showMessage(dataSet, target, NoDataMessage);
        return CalculateOutcome::Message;
    }
    // Only a post test on selected pairs can be left without a pair; a test
    // of one or two columns has no post test and runs whatever that list says.
    if (choices.ColumnCategory == ColumnCategory::ThreeOrMore && choices.PostTestPairs == PostTestPairs::Selected &&
        choices.PostTestMethod == PostTestMethod::Bonferroni &&
        !anyAnalysedPairSelected(choices, analysed)) {
        showMessage(dataSet, target, NoPairSelectedMessage);
        return CalculateOutcome::Message;
    }

    table.setAnalysisMode(true);
    if (!dataSet.resultsStale && hasReport(target.results))
        return CalculateOutcome::Unchanged;

    const int savedLastColumn = table.lastUsedColumn();
    const int highestSelected = table.highestColumnWithData();
    if (highestSelected > savedLastColumn)
        table.setLastUsedColumn(highestSelected);

    runAnalysis(dataSet, target, [&] {
        switch (choices.ColumnCategory) {
        case ColumnCategory::One: {
            choices.OneColColumn = firstSelectedColumnWithData(table, -1);
            analyses::OneColumnTestInput input;
            input.column = columnInput(table, choices.OneColColumn);
            input.hypotheticalValue = hypotheticalValueOfChoice(choices);
            input.twoSided = choices.OneColTwoSided;
            input.nonParametric = choices.OneColNonParametric;
            analyses::OneColumnTest(table, input, target.results, target.progress);
            break;
        }
        case ColumnCategory::Two: {
            choices.TwoColFirst = firstSelectedColumnWithData(table, -1);
            choices.TwoColSecond = firstSelectedColumnWithData(table, choices.TwoColFirst);
            analyses::TwoColumnTestInput input;
            input.first = columnInput(table, choices.TwoColFirst);
            input.second = columnInput(table, choices.TwoColSecond);
            input.unpaired = choices.TwoColUnpaired;
            input.twoSided = choices.TwoColTwoSided;
            input.nonParametric = choices.TwoColNonParametric;
            input.equalSD = choices.TwoColEqualSD;
            analyses::TwoColumnTest(table, input, target.results, target.progress);
            break;
        }
        default: {
            const EffectivePostTest postTest = effectivePostTest(choices);
            analyses::MultiColumnTestInput input;
            input.nonParametric = choices.MultiColNonParametric;
            input.ordinary = choices.OrdinaryAnova;
            input.postTestMethod = static_cast<int>(postTest.method);
            input.postTestState = static_cast<int>(choices.PostTestState);
            input.controlColumn = choices.ControlColumn;
            input.selectedPairsOnly = postTest.selectedPairsOnly;
            input.selectedPairs = postTest.pairs;
            analyses::MultiColumnTest(table, input, target.results, target.progress);
            break;
        }
        }
    });
    table.setLastUsedColumn(savedLastColumn);
    return CalculateOutcome::Calculated;
}

// The frame the XY and larger-table dispatchers share: column N set aside,
// the empty-table message, the stale check, all columns read.
CalculateOutcome wholeTableDispatch(DataSet& dataSet, CalculationTarget& target,
                                    const std::function<void()>& analysis)
{
    DataTable& table = dataSet.table;
    ColumnsSetAside setAside(table, false, true);
    table.recomputeLastUsed();
    if (table.isEmpty()) {
        showMessage(dataSet, target, NoDataMessage);
        return CalculateOutcome::Message;
    }
    if (!dataSet.resultsStale && hasReport(target.results))
        return CalculateOutcome::Unchanged;
    table.setAnalysisMode(false);
    runAnalysis(dataSet, target, analysis);
    return CalculateOutcome::Calculated;
}

CalculateOutcome xyDispatch(DataSet& dataSet, CalculationTarget& target)
{
    const core::AnalysisChoices& choices = dataSet.choices;
    return wholeTableDispatch(dataSet, target, [&] {
        DataTable& table = dataSet.table;
        bool fitted = false;
        if (choices.DoRegression) {
            analyses::LinearRegressionInput input;
            input.runsTest = choices.RunsTest;
            input.forceThroughPoint = choices.ForceThroughPoint;
            input.standardCurve = choices.StandardCurve;
            input.forceX = choices.ForceX;
            input.forceY = choices.ForceY;
            fitted = analyses::LinearRegression(table, input, target.regression, target.results) == 0;
        }
        if (!fitted)
            target.regression[0] = MissingValue;
        if (choices.XYTest == XYTest::Pearson)
            analyses::PearsonCorrelation(table, target.results);
        else if (choices.XYTest == XYTest::Spearman)
            analyses::SpearmanCorrelation(table, target.results, target.progress);
    });
}

CalculateOutcome twoByTwoDispatch(DataSet& dataSet, CalculationTarget& target)
{
    const core::AnalysisChoices& choices = dataSet.choices;
    runAnalysis(dataSet, target, [&] {
        analyses::TwoByTwoInput input;
        input.counts = dataSet.twoByTwo.counts;
        input.titles = twoByTwoTitles(dataSet.twoByTwo);
        input.twoSided = choices.TwoByTwoTwoSided;
        input.proportions = choices.TwoByTwoProportions;
        input.oddsRatio = choices.TwoByTwoOddsRatio;
        input.relativeRisk = choices.TwoByTwoRelativeRisk;
        input.sensitivity = choices.TwoByTwoSensitivity;
        input.chiSquare = choices.TwoByTwoTest == TwoByTwoTest::ChiSquare;
        input.yates = choices.TwoByTwoYates;
        input.fisher = choices.TwoByTwoTest == TwoByTwoTest::Fisher;
        analyses::TwoByTwoAnalysis(dataSet.table, input, target.results);
    });
    return CalculateOutcome::Calculated;
}

CalculateOutcome multipleRegressionDispatch(DataSet& dataSet, CalculationTarget& target)
{
    DataTable& table = dataSet.table;
    const core::AnalysisChoices& choices = dataSet.choices;
    if (table.countColumnsWithData() == 0) {
        showMessage(dataSet, target, NoDataMessage);
        return CalculateOutcome::Message;
    }
    const int dependent = choices.DependentColumn;
    if (choices.MultRegAnalysis) {
        bool otherColumnWithData = false;
        for (int c = 0; c < core::TableColumns && !otherColumnWithData; ++c)
            otherColumnWithData = c != dependent && table.column(c).n > 0;
        if (!otherColumnWithData) {
            showMessage(dataSet, target, NoDependentMessage);
            return CalculateOutcome::Message;
        }
    }
    int xColumns = 0;
    for (int c = 0; c < core::TableColumns; ++c)
        if (choices.IndependentColumns[c] && table.column(c).n > 0 && (!choices.MultRegAnalysis || c != dependent))
            ++xColumns;
    if (choices.MultRegAnalysis && xColumns == 0) {
        showMessage(dataSet, target, NoIndependentMessage);
        return CalculateOutcome::Message;
    }
    if (!choices.MultRegAnalysis && xColumns < 2) {
        showMessage(dataSet, target, TooFewVariablesMessage);
        return CalculateOutcome::Message;
    }
    if (!dataSet.resultsStale && hasReport(target.results))
        return CalculateOutcome::Unchanged;
    runAnalysis(dataSet, target, [&] {
        analyses::MultipleRegressionInput input;
        input.multipleRegression = choices.MultRegAnalysis;
        input.dependentColumn = dependent;
        input.independentColumns = choices.IndependentColumns;
        analyses::MultipleRegressionAnalysis(table, input, target.results);
    });
    return CalculateOutcome::Calculated;
}

}  // namespace

EffectivePostTest effectivePostTest(const core::AnalysisChoices& choices)
{
    EffectivePostTest effective;
    effective.method = choices.PostTestMethod;
    effective.pairs = choices.SelectedPairs;
    const PostTestPairs pairs = choices.PostTestPairs;
    if (!choices.MultiColNonParametric) {
        if (pairs == PostTestPairs::Selected) {
            effective.method = PostTestMethod::Bonferroni;
            effective.selectedPairsOnly = true;
        } else if (pairs == PostTestPairs::VersusControl) {
            effective.method = PostTestMethod::Dunnett;
        }
        return effective;
    }
    effective.method = PostTestMethod::Tukey;
    if (pairs == PostTestPairs::Selected) {
        effective.selectedPairsOnly = true;
    } else if (pairs == PostTestPairs::VersusControl && choices.OrdinaryAnova) {
        // Dunn's test against the control: exactly the pairs that contain it.
        const int control = choices.ControlColumn < 0 ? 0 : choices.ControlColumn;
        effective.selectedPairsOnly = true;
        for (int i = 0; i <= core::TableColumns; ++i)
            for (int j = i + 1; j <= core::TableColumns; ++j)
                effective.pairs[core::selectedPairIndex(i, j)] = i == control || j == control;
    } else if (pairs == PostTestPairs::VersusControl) {
        effective.method = PostTestMethod::Dunnett;
    }
    return effective;
}

std::array<std::string, 4> twoByTwoTitles(const core::TwoByTwoRecord& record)
{
    using core::TwoByTwoRecord;
    const std::string* sources[4] = {&record.titles[TwoByTwoRecord::Row1], &record.titles[TwoByTwoRecord::Row2],
                                     &record.titles[TwoByTwoRecord::Column1],
                                     &record.titles[TwoByTwoRecord::Column2]};
    static const char* const defaults[4] = {"Top row ", "Bottom row", "Column A", "Column B"};
    std::array<std::string, 4> titles;
    for (int i = 0; i < 4; ++i) {
        const bool blank = core::trimmedRight(*sources[i]).empty();
        titles[i] = blank ? defaults[i] : *sources[i];
    }
    return titles;
}

CalculateOutcome Calculate(DataSet& dataSet, CalculationTarget& target)
{
    // A calculation already under way (reached again through the events
    // processed inside its progress calls) is never started twice.
    if (target.progress.calculating())
        return CalculateOutcome::Unchanged;

    prepareChooseTest(dataSet);
    switch (dataSet.format) {
    case core::DataFormat::XY: return xyDispatch(dataSet, target);
    case core::DataFormat::Raw:
    case core::DataFormat::MeanSDN:
    case core::DataFormat::MeanSEMN: return columnDispatch(dataSet, target);
    case core::DataFormat::TwoByTwo: return twoByTwoDispatch(dataSet, target);
    case core::DataFormat::LargerTable:
        return wholeTableDispatch(dataSet, target,
                                  [&] { analyses::LargerTableAnalysis(dataSet.table, target.results); });
    case core::DataFormat::MultipleRegression: return multipleRegressionDispatch(dataSet, target);
    }
    return CalculateOutcome::Unchanged;
}

}  // namespace ombrix::workflow
