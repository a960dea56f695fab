#pragma once

#include <QAbstractTableModel>
#include <QChar>
#include <QWidget>

#include <string>
#include <vector>

#include "core/data_set.h"

class QPushButton;
class QTableView;

namespace ombrix::app {

// The column statistics grid as a table model: one row per statistic (the
// labels are the vertical header), one column per data column headed by its
// letter and title. Cells are read from the column records on demand.
class StatisticsGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit StatisticsGridModel(const core::DataSet& dataSet, QObject* parent = nullptr);

    void setDataSet(const core::DataSet& dataSet);
    // Rereads everything: columns, SD or SEM first, the format's rows.
    void refresh();
    // Redraws the labels and cells of the same rows and columns (SD and SEM swapped).
    void refreshCells();

    // The statistics grid row a model row shows.
    static int gridRowOfModelRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const core::DataSet* m_dataSet;
};

// The grid as the clipboard gets it: a line of column titles (the letter for
// a column without title), then one line per statistic with its label; TAB
// between cells. In numbers '.' becomes decimalSeparator.
// The statistics grid as cells (the column titles first, each row after its
// label), numbers with the decimal separator given; and as copied text.
std::vector<std::vector<std::string>> statisticsGridCells(const core::DataSet& dataSet, QChar decimalSeparator);
QString statisticsGridText(const core::DataSet& dataSet, QChar decimalSeparator);

// The column statistics step: the grid, the SD and SEM buttons and Copy.
class StatisticsStep final : public QWidget {
    Q_OBJECT

public:
    explicit StatisticsStep(core::DataSet& dataSet, QWidget* parent = nullptr);

    void setDataSet(core::DataSet& dataSet);
    // Entering the step: recomputes the statistics of changed columns and
    // redraws the grid.
    void enterStep();

    StatisticsGridModel* model() const { return m_model; }
    QTableView* view() const { return m_view; }

public Q_SLOTS:
    // The Edit menu's "&Copy" while this step is shown.
    void copy();
    // ShowSD: SD (true) or SEM listed first; shared with the summary grid and the graph.
    void setShowSD(bool showSD);

Q_SIGNALS:
    // A choice of the document changed (the document is modified).
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncButtons();
    void fitGrid();

    core::DataSet* m_dataSet;
    StatisticsGridModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QPushButton* m_sdButton = nullptr;
    QPushButton* m_semButton = nullptr;
};

}  // namespace ombrix::app
