#include "core/edit_history.h"

#include <gtest/gtest.h>

#include "core/cell_entry.h"
#include "core/editing.h"

// Undo and Redo of every command, bit for bit, are tested through the data
// set window, which records them; here the history's own rules.
namespace ombrix::core {
namespace {

TEST(EditHistory, CleanStateFollowsSaveUndoAndNewSteps)
{
    DataSet dataSet;
    EditHistory history(dataSet);
    const auto type = [&](int row, const char* text) {
        enterCellText(dataSet, row, 0, text, '.', nullptr);
        history.record(dataSet, "Typing");
    };
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
    type(2, "3");  // the saved state was a redo away: it is gone
    EXPECT_FALSE(history.canRedo());
    history.undo(dataSet);
    EXPECT_FALSE(history.isClean());
}

TEST(EditHistory, MergedStepsAndTheMemoryBound)
{
    DataSet dataSet;
    EditHistory history(dataSet);
    for (const char* title : {"W", "We", "Wei"}) {
        dataSet.table.setTitle(title);
        history.record(dataSet, "Table Title", 1);
    }
    EXPECT_EQ(history.stepCount(), 1);
    history.undo(dataSet);
    EXPECT_EQ(dataSet.table.title(), "");

    // A whole-table step keeps one copy of the blocks it rewrote, not two.
    DataSet full;
    for (int r = 0; r < 1024; ++r)
        full.table.setValue(r, 0, r);
    EditHistory bounded(full, 3 * 260'000);  // room for about three blocks of 256 rows
    transformCells(full, {0, 0, 1023, 0}, TransformKind::Square, 0, nullptr);
    bounded.record(full, "Transform");
    EXPECT_GT(bounded.bytesHeld(), 4 * 200'000u);
    EXPECT_LT(bounded.bytesHeld(), 4 * 260'000u);
    EXPECT_EQ(bounded.stepCount(), 1);  // over the budget, but the newest step stays
    enterCellText(full, 0, 1, "5", '.', nullptr);
    bounded.record(full, "Typing");
    EXPECT_EQ(bounded.stepCount(), 1);  // the transform went to make room
    EXPECT_EQ(bounded.undoLabel(), "Typing");
    EXPECT_LT(bounded.bytesHeld(), 260'000u);
}

}  // namespace
}  // namespace ombrix::core
