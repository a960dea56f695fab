#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "core/data_set.h"

// The undo history of one document's table. Each step keeps the table as it
// was before and after one command. Tables share their cell blocks until one
// side writes, so a step costs the blocks the command rewrote (a whole-table
// command: one copy of the table) and nothing for what it left alone.
namespace ombrix::core {

// What an undo step gives back: the table's content (cells, exclusion marks,
// titles, decimals, records and flags) and the two-by-two counts.
struct TableState {
    DataTable table;
    TwoByTwoRecord twoByTwo;
};

TableState captureTableState(const DataSet& dataSet);
// Puts the state back; the selection and the analysis choices stay as they
// are, and the results go stale.
void restoreTableState(DataSet& dataSet, const TableState& state);

class EditHistory {
public:
    // A little more than a dozen whole-table steps, or hundreds of typed cells.
    static constexpr std::size_t DefaultByteBudget = std::size_t{128} << 20;
    static constexpr int DefaultStepLimit = 500;

    // The history starts at the data set as it is now, which counts as saved.
    explicit EditHistory(const DataSet& start, std::size_t byteBudget = DefaultByteBudget,
                         int stepLimit = DefaultStepLimit);

    // The table changed since the last step (or the start): one step from
    // there to now, named label ("Transform"). Steps that could be redone
    // are dropped. A step with the same non-zero mergeKey as the step just
    // recorded extends it instead (a title typed key by key is one step),
    // unless the document was saved in between. The oldest steps go when the
    // history holds more than its budget of bytes or steps.
    void record(const DataSet& now, std::string label, int mergeKey = 0);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < static_cast<int>(m_steps.size()); }
    // The label of the step Undo (Redo) would take back (do again); empty when none.
    std::string undoLabel() const;
    std::string redoLabel() const;
    // False when there is nothing to undo (redo).
    bool undo(DataSet& dataSet);
    bool redo(DataSet& dataSet);

    // The table as it is now was saved. isClean() holds while the table is
    // back at that state by undo or redo; a saved state whose step was
    // dropped can never be reached again.
    void setClean() { m_clean = m_done; }
    bool isClean() const { return m_clean == m_done; }

    int stepCount() const { return static_cast<int>(m_steps.size()); }
    std::size_t bytesHeld() const { return m_bytes; }

private:
    struct Step {
        std::string label;
        TableState before;
        TableState after;
        std::size_t bytes = 0;
        int mergeKey = 0;
    };
    static std::size_t costOf(const Step& step);
    void trim();

    std::deque<Step> m_steps;
    int m_done = 0;   // steps applied; the next undo takes back m_steps[m_done - 1]
    int m_clean = 0;  // m_done at the saved state; -1 when it cannot come back
    TableState m_current;
    std::size_t m_bytes = 0;
    std::size_t m_byteBudget;
    int m_stepLimit;
};

}  // namespace ombrix::core
