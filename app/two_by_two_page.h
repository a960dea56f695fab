#pragma once

#include <QWidget>

#include <array>

#include "core/data_set.h"

class QLabel;
class QLineEdit;

namespace ombrix::app {

// Data entry for a two-by-two contingency table: the table title, the four
// counts with their row and column titles, and the totals (shown, never
// stored).
class TwoByTwoPage final : public QWidget {
    Q_OBJECT
public:
    explicit TwoByTwoPage(core::DataSet& dataSet, QWidget* parent = nullptr);

    // Shows what the data set holds.
    void load();

    QLineEdit* countEditor(core::TwoByTwoRecord::Cell cell) const { return m_counts[cell]; }
    QLineEdit* titleEditor(core::TwoByTwoRecord::Title title) const { return m_titles[title]; }
    QLineEdit* tableTitleEditor() const { return m_tableTitle; }
    // Row 1, row 2, column 1, column 2, grand total.
    QString totalText(int which) const;

Q_SIGNALS:
    // field: 0 the table title, 1 to 4 the titles, 5 to 8 the counts, so
    // that what is typed into one field can be taken back as one change.
    void edited(int field);

private:
    void showTotals();

    core::DataSet& m_dataSet;
    QLineEdit* m_tableTitle;
    std::array<QLineEdit*, 4> m_counts{};
    std::array<QLineEdit*, 4> m_titles{};
    std::array<QLabel*, 5> m_totals{};
};

}  // namespace ombrix::app
