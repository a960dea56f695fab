#pragma once

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "core/analysis_choices.h"
#include "core/data_table.h"

class QListWidget;
class QPushButton;

namespace ombrix::app {

// "Select Columns": a check list of the columns that hold data, each shown as
// letter, ": " and title, checked when selected. OK needs at least one.
class SelectColumnsDialog final : public QDialog {
    Q_OBJECT

public:
    explicit SelectColumnsDialog(const core::DataTable& table, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    // The table column of each list row.
    const std::vector<int>& listedColumns() const { return m_columns; }

    // Writes the check marks to the selected flags of the listed columns;
    // columns without data keep their flag. True when a flag changed.
    bool apply(core::DataTable& table) const;

private:
    void updateOk();

    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    std::vector<int> m_columns;
};

// A column taking part in the analysis, as the pair list names it.
struct AnalysedColumn {
    int column = 0;
    std::string title;
};

// "Select Pairs": a check list of every pair of analysed columns (by their
// positions among the analysed columns, as SelectedPairs counts them), with
// "Select All" and "Deselect all".
class SelectPairsDialog final : public QDialog {
    Q_OBJECT

public:
    SelectPairsDialog(const std::vector<AnalysedColumn>& columns,
                      const std::array<bool, core::SelectedPairCount>& pairs, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* selectAllButton() const { return m_selectAll; }
    QPushButton* deselectAllButton() const { return m_deselectAll; }

    // The pairs given, with the listed ones as checked now.
    std::array<bool, core::SelectedPairCount> pairs() const;

private:
    void setAllChecked(bool checked);

    QListWidget* m_list = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_deselectAll = nullptr;
    std::array<bool, core::SelectedPairCount> m_pairs{};
    std::vector<int> m_pairIndices;
};

}  // namespace ombrix::app
