#include "workflow/dispatcher.h"

#include <vector>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"
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
using core::XYTest;

namespace {

// Which columns an analysis sees as having data.
enum class ColumnsKept { Selected, None };

// The table an analysis reads: a copy of the document's, with the columns
// set aside. Columns not kept have N 0, blank titles read "Column X". The
// copy shares the cells with the document, and the document itself never
// changes while the progress calls let the user's events through.
DataTable workingCopy(const DataTable& table, ColumnsKept kept)
{
    DataTable work = table;
    for (int c = 0; c < core::TableColumns; ++c) {
        core::ColumnRecord& record = work.column(c);
        if (core::trimmed(record.title).empty())
            record.title = "Column " + core::columnName(c);
        if (kept == ColumnsKept::None || !work.isSelected(c))
            record.n = 0;
    }
    return work;
}

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

// Runs one analysis inside the report frame, its fault guard and the busy
// state.
void runAnalysis(DataSet& dataSet, CalculationTarget& target, const std::function<int()>& analysis)
{
    CalculationScope busy(target.progress, target.view);
    target.reportCode =
        analyses::WriteReport(target.results, dataSet.table.title(), [&](ResultsBuffer&) { return analysis(); });
    dataSet.resultsStale = false;
}

analyses::Tails tailsOf(bool twoSided)
{
    return twoSided ? analyses::Tails::Two : analyses::Tails::One;
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
    for (int c = 0; c < core::TableColumns; ++c)
        if (table.column(c).n <= 0)
            table.setSelected(c, false);
    if (choices.ControlColumn == -1)
        choices.ControlColumn = 0;

    DataTable work = workingCopy(table, ColumnsKept::Selected);
    const int analysed = work.countColumnsWithData();
    if (analysed == 0) {
        showMessage(dataSet, target, NoDataMessage);
        return CalculateOutcome::Message;
    }
    // Only a post test on selected pairs can be left without a pair; a test
    // of one or two columns has no post test and runs whatever that list says.
    if (choices.ColumnCategory == ColumnCategory::ThreeOrMore && choices.PostTestPairs == PostTestPairs::Selected &&
        choices.PostTestMethod == PostTestMethod::Bonferroni && !anyAnalysedPairSelected(choices, analysed)) {
        showMessage(dataSet, target, NoPairSelectedMessage);
        return CalculateOutcome::Message;
    }
    if (!dataSet.resultsStale && hasReport(target.results))
        return CalculateOutcome::Unchanged;

    work.setAnalysisMode(true);
    const int highestSelected = work.highestColumnWithData();
    if (highestSelected > work.lastUsedColumn())
        work.setLastUsedColumn(highestSelected);

    switch (choices.ColumnCategory) {
    case ColumnCategory::One: {
        choices.OneColColumn = firstSelectedColumnWithData(work, -1);
        analyses::OneColumnTestInput input;
        input.column = columnInput(work, choices.OneColColumn);
        input.hypotheticalValue = hypotheticalValueOfChoice(choices);
        input.tails = tailsOf(choices.OneColTwoSided);
        input.nonParametric = choices.OneColNonParametric;
        runAnalysis(dataSet, target,
                    [&] { return analyses::OneColumnTest(work, input, target.results, target.progress); });
        break;
    }
    case ColumnCategory::Two: {
        choices.TwoColFirst = firstSelectedColumnWithData(work, -1);
        choices.TwoColSecond = firstSelectedColumnWithData(work, choices.TwoColFirst);
        analyses::TwoColumnTestInput input;
        input.first = columnInput(work, choices.TwoColFirst);
        input.second = columnInput(work, choices.TwoColSecond);
        input.pairing = choices.TwoColUnpaired ? analyses::Pairing::Unpaired : analyses::Pairing::Paired;
        input.tails = tailsOf(choices.TwoColTwoSided);
        input.nonParametric = choices.TwoColNonParametric;
        input.variances = choices.TwoColEqualSD ? analyses::Variances::Equal : analyses::Variances::Welch;
        runAnalysis(dataSet, target,
                    [&] { return analyses::TwoColumnTest(work, input, target.results, target.progress); });
        break;
    }
    default: {
        const EffectivePostTest postTest = effectivePostTest(choices);
        analyses::MultiColumnTestInput input;
        input.nonParametric = choices.MultiColNonParametric;
        input.ordinary = choices.OrdinaryAnova;
        input.postTestMethod = postTest.method;
        input.postTestState = choices.PostTestState;
        input.controlColumn = choices.ControlColumn;
        input.selectedPairsOnly = postTest.selectedPairsOnly;
        input.selectedPairs = postTest.pairs;
        work.buildColumnMap();
        runAnalysis(dataSet, target,
                    [&] { return analyses::MultiColumnTest(work, input, target.results, target.progress); });
        break;
    }
    }
    return CalculateOutcome::Calculated;
}

// The frame the XY and larger-table dispatchers share: every column's N set
// aside, the empty-table message, the stale check, all columns read.
CalculateOutcome wholeTableDispatch(DataSet& dataSet, CalculationTarget& target,
                                    const std::function<int(const DataTable&)>& analysis)
{
    dataSet.table.recomputeLastUsed();
    if (dataSet.table.isEmpty()) {
        showMessage(dataSet, target, NoDataMessage);
        return CalculateOutcome::Message;
    }
    if (!dataSet.resultsStale && hasReport(target.results))
        return CalculateOutcome::Unchanged;
    DataTable work = workingCopy(dataSet.table, ColumnsKept::None);
    work.setAnalysisMode(false);
    runAnalysis(dataSet, target, [&] { return analysis(work); });
    return CalculateOutcome::Calculated;
}

CalculateOutcome xyDispatch(DataSet& dataSet, CalculationTarget& target)
{
    const core::AnalysisChoices& choices = dataSet.choices;
    return wholeTableDispatch(dataSet, target, [&](const DataTable& table) {
        target.regression.reset();
        int code = 0;
        if (choices.DoRegression) {
            analyses::LinearRegressionInput input;
            input.runsTest = choices.RunsTest;
            input.forceThroughPoint = choices.ForceThroughPoint;
            input.standardCurve = choices.StandardCurve;
            input.forceX = choices.ForceX;
            input.forceY = choices.ForceY;
            code = analyses::LinearRegression(table, input, target.regression, target.results);
            if (code != 0)
                target.regression.reset();
        }
        // The correlation's own code, when it has one, is the one reported.
        int correlationCode = 0;
        if (choices.XYTest == XYTest::Pearson)
            correlationCode = analyses::PearsonCorrelation(table, target.results);
        else if (choices.XYTest == XYTest::Spearman)
            correlationCode = analyses::SpearmanCorrelation(table, target.results, target.progress);
        return correlationCode != 0 ? correlationCode : code;
    });
}

CalculateOutcome twoByTwoDispatch(DataSet& dataSet, CalculationTarget& target)
{
    const core::AnalysisChoices& choices = dataSet.choices;
    runAnalysis(dataSet, target, [&] {
        analyses::TwoByTwoInput input;
        input.counts = dataSet.twoByTwo.counts;
        input.titles = twoByTwoTitles(dataSet.twoByTwo);
        input.tails = tailsOf(choices.TwoByTwoTwoSided);
        input.proportions = choices.TwoByTwoProportions;
        input.oddsRatio = choices.TwoByTwoOddsRatio;
        input.relativeRisk = choices.TwoByTwoRelativeRisk;
        input.sensitivity = choices.TwoByTwoSensitivity;
        input.test = choices.TwoByTwoTest;
        input.yates = choices.TwoByTwoYates;
        return analyses::TwoByTwoAnalysis(input, target.results);
    });
    return CalculateOutcome::Calculated;
}

CalculateOutcome multipleRegressionDispatch(DataSet& dataSet, CalculationTarget& target)
{
    const DataTable& table = dataSet.table;
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
    const DataTable work = table;
    analyses::MultipleRegressionInput input;
    input.multipleRegression = choices.MultRegAnalysis;
    input.dependentColumn = dependent;
    input.independentColumns = choices.IndependentColumns;
    runAnalysis(dataSet, target, [&] { return analyses::MultipleRegressionAnalysis(work, input, target.results); });
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
                                     &record.titles[TwoByTwoRecord::Column1], &record.titles[TwoByTwoRecord::Column2]};
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
        return wholeTableDispatch(dataSet, target, [&](const DataTable& table) {
            return analyses::LargerTableAnalysis(table, target.results);
        });
    case core::DataFormat::MultipleRegression: return multipleRegressionDispatch(dataSet, target);
    }
    return CalculateOutcome::Unchanged;
}

}  // namespace ombrix::workflow
