#include "core/edit_history.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/cell_entry.h"
#include "core/editing.h"

namespace ombrix::core {
namespace {

// Bit for bit: the ten bytes of an extended value, exclusion marks, titles,
// decimals, flags and records.
void expectSameContent(const DataTable& a, const DataTable& b, const std::string& step)
{
    ASSERT_EQ(a.lastUsedRow(), b.lastUsedRow()) << step;
    ASSERT_EQ(a.lastUsedColumn(), b.lastUsedColumn()) << step;
    EXPECT_EQ(a.isEmpty(), b.isEmpty()) << step;
    EXPECT_EQ(a.title(), b.title()) << step;
    for (int r = 0; r < a.rowCount(); ++r) {
        EXPECT_EQ(a.rowTitle(r), b.rowTitle(r)) << step << " row " << r;
        if (r > a.lastUsedRow())
            continue;
        for (int c = 0; c < TableColumns; ++c) {
            const Real va = a.value(r, c);
            const Real vb = b.value(r, c);
            EXPECT_EQ(std::memcmp(&va, &vb, 10), 0) << step << " cell " << r << "," << c;
            EXPECT_EQ(a.isExcluded(r, c), b.isExcluded(r, c)) << step << " mark " << r << "," << c;
        }
    }
    for (int c = 0; c < TableColumns; ++c) {
        EXPECT_EQ(a.column(c).title, b.column(c).title) << step << " column " << c;
        EXPECT_EQ(a.column(c).n, b.column(c).n) << step;
        EXPECT_EQ(a.fixedDecimals(c), b.fixedDecimals(c)) << step;
        EXPECT_EQ(a.autoDecimals(c), b.autoDecimals(c)) << step;
        EXPECT_EQ(a.meanEntry(c), b.meanEntry(c)) << step;
        EXPECT_EQ(a.columnChanged(c), b.columnChanged(c)) << step;
    }
}

DataSet example()
{
    DataSet dataSet;
    DataTable& table = dataSet.table;
    for (int r = 0; r < 300; ++r)  // more than one block of rows
        for (int c = 0; c < 4; ++c)
            enterCellText(dataSet, r, c, std::to_string(r * 0.1 + c), '.', nullptr);
    table.setExcluded(3, 1, true);
    table.setColumnTitle(0, "dose");
    table.setRowTitle(2, "rat 3");
    table.setTitle("Weights");
    table.column(5).mean = 7.25L;
    table.setMeanEntry(5, true);
    return dataSet;
}

TEST(EditHistory, EveryCommandUndoesAndRedoesBitForBit)
{
    DataSet dataSet = example();
    EditHistory history(dataSet);
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"Transform",
         [&] {
             transformCells(dataSet, {0, 0, 299, 3}, TransformKind::Ln, 0, [](auto&) { return true; });
         }},
        {"Insert",
         [&] {
             insertCells(dataSet, {1, 1, 2, 1}, ShiftKind::EntireColumns, nullptr);
         }},
        {"Delete",
         [&] {
             deleteCells(dataSet, {2, 0, 4, 0}, ShiftKind::EntireRows);
         }},
        {"Insert",
         [&] {
             insertCells(dataSet, {0, 2, 0, 3}, ShiftKind::Cells, nullptr);
         }},
        {"Combine Variables", [&] { combineColumns(dataSet, 6, 0, CombineOperator::DividedBy, 3); }},
        {"Number Format",
         [&] {
             setColumnDecimals(dataSet, {0, 51}, 4);
         }},
        {"Exclude",
         [&] {
             toggleExclusion(dataSet, {0, 0, 9, 9});
         }},
        {"Clear All", [&] { dataSet.table = DataTable(); }},
    };
    std::vector<DataTable> states = {dataSet.table};
    for (const auto& [label, run] : commands) {
        run();
        history.record(dataSet, label);
        states.push_back(dataSet.table);
    }
    for (int i = static_cast<int>(commands.size()); i > 0; --i) {
        EXPECT_EQ(history.undoLabel(), commands[static_cast<size_t>(i - 1)].first);
        ASSERT_TRUE(history.undo(dataSet));
        expectSameContent(dataSet.table, states[static_cast<size_t>(i - 1)], std::string("undo ") + std::to_string(i));
    }
    EXPECT_FALSE(history.undo(dataSet));
    EXPECT_TRUE(history.isClean());
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.redo(dataSet));
        expectSameContent(dataSet.table, states[i], std::string("redo ") + std::to_string(i));
    }
    EXPECT_FALSE(history.canRedo());
}

TEST(EditHistory, CleanStateFollowsSaveUndoAndNewSteps)
{
    DataSet dataSet = example();
    EditHistory history(dataSet);
    const auto type = [&](int row, const char* text) {
        enterCellText(dataSet, row, 0, text, '.', nullptr);
        history.record(dataSet, "Typing");
    };
    EXPECT_TRUE(history.isClean());
    type(0, "1");
    EXPECT_FALSE(history.isClean());
    history.undo(dataSet);
    EXPECT_TRUE(history.isClean());  // back at what was saved
    history.redo(dataSet);
    history.setClean();
    type(1, "2");
    history.undo(dataSet);
    EXPECT_TRUE(history.isClean());
    history.undo(dataSet);
    EXPECT_FALSE(history.isClean());
    type(2, "3");  // the saved state was a redo away: it is gone
    EXPECT_FALSE(history.canRedo());
    history.undo(dataSet);
    EXPECT_FALSE(history.isClean());
}

TEST(EditHistory, MergedStepsAndTheMemoryBound)
{
    DataSet dataSet = example();
    EditHistory history(dataSet);
    for (const char* title : {"W", "We", "Wei"}) {
        dataSet.table.setTitle(title);
        history.record(dataSet, "Table Title", 1);
    }
    EXPECT_EQ(history.stepCount(), 1);
    history.undo(dataSet);
    EXPECT_EQ(dataSet.table.title(), "Weights");

    // A whole-table step keeps one copy of the table's blocks, not two.
    DataSet full;
    for (int r = 0; r < 1024; ++r)
        full.table.setValue(r, 0, r);
    EditHistory bounded(full, 3 * 260'000);  // room for about three blocks of rows
    transformCells(full, {0, 0, 1023, 0}, TransformKind::Square, 0, nullptr);
    bounded.record(full, "Transform");
    const std::size_t oneStep = bounded.bytesHeld();
    EXPECT_GT(oneStep, 4 * 200'000u);  // four blocks of 256 rows replaced
    EXPECT_LT(oneStep, 4 * 260'000u);
    EXPECT_EQ(bounded.stepCount(), 1);  // over the budget, but the newest step stays
    enterCellText(full, 0, 1, "5", '.', nullptr);
    bounded.record(full, "Typing");
    EXPECT_EQ(bounded.stepCount(), 1);  // the transform went to make room
    EXPECT_EQ(bounded.undoLabel(), "Typing");
    EXPECT_LT(bounded.bytesHeld(), 260'000u);
}

}  // namespace
}  // namespace ombrix::core
