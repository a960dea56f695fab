#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "core/data_set.h"
#include "workflow/choose_test.h"

class QDialog;
class QStackedWidget;

namespace ombrix::app {

// The choose-test step: one page per case (one column, two columns, three or
// more columns, XY data, two-by-two table, multiple regression, and a page
// that explains why there is nothing to choose), each mirroring the analysis
// choices of its case. Every change is written to the document's choices at
// once, marks the document modified and its results stale, and emits changed().
class ChooseTestStep final : public QWidget {
    Q_OBJECT

public:
    // Runs a selection dialog; true when the user pressed OK. Modal by default.
    using DialogRunner = std::function<bool(QDialog& dialog)>;

    explicit ChooseTestStep(core::DataSet& dataSet, QWidget* parent = nullptr);
    ~ChooseTestStep() override;

    void setDataSet(core::DataSet& dataSet);
    void setDialogRunner(DialogRunner runner);

    // Entering the step: brings the column statistics and the selection up to
    // date, shows the page of the case and sets its controls from the choices.
    workflow::ChooseTestPage enterStep();
    workflow::ChooseTestPage currentPage() const;
    QStackedWidget* pages() const;

public Q_SLOTS:
    // "Select Columns...": the columns to analyse; the page follows the new count.
    void selectColumns();
    // "Select pairs...": the pairs compared by the Bonferroni post test.
    void selectPairs();

Q_SIGNALS:
    void changed();

private:
    struct Controls;

    void buildColumnStrip();
    QWidget* buildNonePage();
    QWidget* buildOneColumnPage();
    QWidget* buildTwoColumnsPage();
    QWidget* buildThreeColumnsPage();
    QWidget* buildXYPage();
    QWidget* buildTwoByTwoPage();
    QWidget* buildMultipleRegressionPage();

    // Writes one change to the choices unless the controls are being loaded.
    void edit(const std::function<void(core::AnalysisChoices&)>& change);
    void load(workflow::ChooseTestPage page);
    void loadPostTestList();
    void loadControlColumnList();
    void loadVariableLists();
    void refresh();

    core::DataSet* m_dataSet;
    DialogRunner m_runDialog;
    std::unique_ptr<Controls> m_controls;
    workflow::ChooseTestPage m_page = workflow::ChooseTestPage::None;
    bool m_loading = false;
};

}  // namespace ombrix::app
