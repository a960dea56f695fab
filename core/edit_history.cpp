#include "core/edit_history.h"

#include <algorithm>

namespace ombrix::core {

TableState captureTableState(const DataSet& dataSet)
{
    return TableState{dataSet.table, dataSet.twoByTwo};
}

void restoreTableState(DataSet& dataSet, const TableState& state)
{
    dataSet.table.restoreContent(state.table);
    dataSet.twoByTwo = state.twoByTwo;
    dataSet.resultsStale = true;
}

EditHistory::EditHistory(const DataSet& start, std::size_t byteBudget, int stepLimit)
    : m_current(captureTableState(start))
    , m_byteBudget(byteBudget)
    , m_stepLimit(std::max(stepLimit, 1))
{
}

std::size_t EditHistory::costOf(const Step& step)
{
    // The blocks the command replaced live on only in this step; those it
    // wrote live on in the table or in the next step, counted there.
    return sizeof(Step) + step.label.size() + step.before.table.unsharedBytes(step.after.table);
}

void EditHistory::record(const DataSet& now, std::string label, int mergeKey)
{
    const int count = static_cast<int>(m_steps.size());
    if (mergeKey != 0 && m_done == count && count > 0 && m_steps.back().mergeKey == mergeKey && m_clean != m_done) {
        Step& last = m_steps.back();
        m_bytes -= last.bytes;
        last.after = captureTableState(now);
        last.bytes = costOf(last);
        m_bytes += last.bytes;
        m_current = last.after;
        return;
    }
    while (static_cast<int>(m_steps.size()) > m_done) {
        m_bytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
    if (m_clean > m_done)
        m_clean = -1;

    Step step{std::move(label), std::move(m_current), captureTableState(now), 0, mergeKey};
    step.bytes = costOf(step);
    m_bytes += step.bytes;
    m_current = step.after;
    m_steps.push_back(std::move(step));
    ++m_done;
    trim();
}

void EditHistory::trim()
{
    // The newest step always stays: it is what the user just did.
    while (m_steps.size() > 1 && (static_cast<int>(m_steps.size()) > m_stepLimit || m_bytes > m_byteBudget)) {
        m_bytes -= m_steps.front().bytes;
        m_steps.pop_front();
        --m_done;
        m_clean = m_clean > 0 ? m_clean - 1 : -1;
    }
}

std::string EditHistory::undoLabel() const
{
    return canUndo() ? m_steps[static_cast<size_t>(m_done - 1)].label : std::string();
}

std::string EditHistory::redoLabel() const
{
    return canRedo() ? m_steps[static_cast<size_t>(m_done)].label : std::string();
}

bool EditHistory::undo(DataSet& dataSet)
{
    if (!canUndo())
        return false;
    --m_done;
    m_current = m_steps[static_cast<size_t>(m_done)].before;
    restoreTableState(dataSet, m_current);
    return true;
}

bool EditHistory::redo(DataSet& dataSet)
{
    if (!canRedo())
        return false;
    m_current = m_steps[static_cast<size_t>(m_done)].after;
    ++m_done;
    restoreTableState(dataSet, m_current);
    return true;
}

}  // namespace ombrix::core
