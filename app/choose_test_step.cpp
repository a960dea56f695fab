#include "app/choose_test_step.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "app/selection_dialogs.h"
#include "app/step_text.h"
#include "core/oxd_file.h"
#include "core/text.h"

namespace ombrix::app {

using core::AnalysisChoices;
using workflow::ChooseTestPage;

namespace {

std::optional<Real> parseTypedNumber(const QString& text)
{
    const std::string typed = text.toStdString();
    return core::parseNumber(core::withDecimalPoint(typed, systemDecimalSeparator().toLatin1()));
}

QString numberText(Real value)
{
    QString text = QString::fromStdString(core::summaryFileText(value));
    const QChar separator = systemDecimalSeparator();
    if (separator != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

std::vector<AnalysedColumn> analysedColumns(const core::DataTable& table)
{
    std::vector<AnalysedColumn> columns;
    for (int c = 0; c < core::TableColumns; ++c)
        if (table.isSelected(c) && table.column(c).n > 0)
            columns.push_back({c, table.column(c).title});
    return columns;
}

}  // namespace

// The controls of all pages. Object names let tests find them.
struct ChooseTestStep::Controls {
    QStackedWidget* stack = nullptr;

    QWidget* columnStrip = nullptr;
    QCheckBox* allColumns = nullptr;
    QPushButton* selectColumns = nullptr;
    QLabel* analysedColumns = nullptr;

    QLabel* noTest = nullptr;

    QRadioButton* oneColTTest = nullptr;
    QRadioButton* oneColWilcoxon = nullptr;
    QLabel* hypotheticalLabel = nullptr;
    std::array<QRadioButton*, 4> hypothetical{};
    QLineEdit* hypotheticalValue = nullptr;
    QRadioButton* oneColTwoTailed = nullptr;
    QRadioButton* oneColOneTailed = nullptr;

    QRadioButton* twoColUnpaired = nullptr;
    QRadioButton* twoColPaired = nullptr;
    QRadioButton* twoColParametric = nullptr;
    QRadioButton* twoColNonParametric = nullptr;
    QRadioButton* twoColEqualSD = nullptr;
    QRadioButton* twoColWelch = nullptr;
    QRadioButton* twoColTwoTailed = nullptr;
    QRadioButton* twoColOneTailed = nullptr;
    QLabel* twoColWillPerform = nullptr;

    QRadioButton* ordinaryAnova = nullptr;
    QRadioButton* repeatedMeasures = nullptr;
    QRadioButton* multiColParametric = nullptr;
    QRadioButton* multiColNonParametric = nullptr;
    QComboBox* postTestList = nullptr;
    QCheckBox* onlyIfSignificant = nullptr;
    QPushButton* selectPairs = nullptr;
    QLabel* controlColumnLabel = nullptr;
    QComboBox* controlColumnList = nullptr;
    QLabel* multiColWillPerform = nullptr;

    std::array<QRadioButton*, 3> xyTest{};
    QGroupBox* regressionOptions = nullptr;
    QCheckBox* forceThroughPoint = nullptr;
    QLineEdit* forceX = nullptr;
    QLineEdit* forceY = nullptr;
    QCheckBox* runsTest = nullptr;
    QCheckBox* standardCurve = nullptr;

    QRadioButton* fisherTest = nullptr;
    QRadioButton* chiSquareTest = nullptr;
    QCheckBox* yates = nullptr;
    QRadioButton* twoByTwoTwoSided = nullptr;
    QRadioButton* twoByTwoOneSided = nullptr;
    QCheckBox* proportions = nullptr;
    QCheckBox* oddsRatio = nullptr;
    QCheckBox* relativeRisk = nullptr;
    QCheckBox* sensitivity = nullptr;

    QRadioButton* multipleRegression = nullptr;
    QRadioButton* correlationMatrix = nullptr;
    QLabel* dependentLabel = nullptr;
    QComboBox* dependentList = nullptr;
    QLabel* independentLabel = nullptr;
    QListWidget* independentList = nullptr;
};

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Two or more radio buttons that take turns, in a group box of their own.
QGroupBox* radioGroup(const QString& title, std::initializer_list<QRadioButton*> buttons, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (QRadioButton* button : buttons) {
        group->addButton(button);
        layout->addWidget(button);
    }
    return box;
}

}  // namespace

ChooseTestStep::ChooseTestStep(core::DataSet& dataSet, QWidget* parent)
    : QWidget(parent)
    , m_dataSet(&dataSet)
    , m_controls(std::make_unique<Controls>())
{
    setObjectName(QStringLiteral("chooseTestStep"));
    m_runDialog = [](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; };

    buildColumnStrip();
    Controls& c = *m_controls;
    c.stack = new QStackedWidget(this);
    // In the order of ChooseTestPage.
    c.stack->addWidget(buildNonePage());
    c.stack->addWidget(buildOneColumnPage());
    c.stack->addWidget(buildTwoColumnsPage());
    c.stack->addWidget(buildThreeColumnsPage());
    c.stack->addWidget(buildXYPage());
    c.stack->addWidget(buildTwoByTwoPage());
    c.stack->addWidget(buildMultipleRegressionPage());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(c.columnStrip);
    layout->addWidget(c.stack);
    layout->addStretch(1);
    load(ChooseTestPage::None);
}

ChooseTestStep::~ChooseTestStep() = default;

void ChooseTestStep::setDataSet(core::DataSet& dataSet)
{
    m_dataSet = &dataSet;
    load(ChooseTestPage::None);
}

void ChooseTestStep::setDialogRunner(DialogRunner runner)
{
    m_runDialog = std::move(runner);
}

QStackedWidget* ChooseTestStep::pages() const
{
    return m_controls->stack;
}

ChooseTestPage ChooseTestStep::currentPage() const
{
    return m_page;
}

void ChooseTestStep::edit(const std::function<void(AnalysisChoices&)>& change)
{
    if (m_loading)
        return;
    change(m_dataSet->choices);
    m_dataSet->markChanged();
    refresh();
    Q_EMIT changed();
}

void ChooseTestStep::buildColumnStrip()
{
    Controls& c = *m_controls;
    c.columnStrip = new QWidget(this);
    c.allColumns = named(new QCheckBox(tr("Analyze all columns that hold data"), c.columnStrip), "allColumns");
    c.selectColumns = named(new QPushButton(tr("Select Columns..."), c.columnStrip), "selectColumnsButton");
    c.analysedColumns = named(new QLabel(c.columnStrip), "analysedColumns");
    c.analysedColumns->setWordWrap(true);

    connect(c.allColumns, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_loading)
            return;
        m_dataSet->choices.AllColumns = checked;
        if (checked)
            m_dataSet->table.selectAllColumnsWithData();
        m_dataSet->markChanged();
        enterStep();
        Q_EMIT changed();
    });
    connect(c.selectColumns, &QPushButton::clicked, this, &ChooseTestStep::selectColumns);

    auto* row = new QHBoxLayout;
    row->addWidget(c.allColumns);
    row->addStretch(1);
    row->addWidget(c.selectColumns);
    auto* layout = new QVBoxLayout(c.columnStrip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(c.analysedColumns);
}

QWidget* ChooseTestStep::buildNonePage()
{
    auto* page = new QWidget;
    m_controls->noTest = named(explanation(QString(), page), "noTestExplanation");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_controls->noTest);
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildOneColumnPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("One column: does its mean (or median) differ from a hypothetical value?"), page));

    c.oneColTTest = named(new QRadioButton(tr("One-sample t test"), page), "oneColTTest");
    c.oneColWilcoxon = named(new QRadioButton(tr("Wilcoxon signed rank test (nonparametric)"), page), "oneColWilcoxon");
    layout->addWidget(radioGroup(tr("Test"), {c.oneColTTest, c.oneColWilcoxon}, page));
    connect(c.oneColTTest, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.OneColNonParametric = false; });
    });
    connect(c.oneColWilcoxon, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.OneColNonParametric = true; });
    });

    auto* valueBox = new QGroupBox(page);
    auto* valueLayout = new QHBoxLayout(valueBox);
    c.hypotheticalLabel = named(new QLabel(valueBox), "hypotheticalLabel");
    valueLayout->addWidget(c.hypotheticalLabel);
    auto* valueGroup = new QButtonGroup(valueBox);
    static const char* const valueNames[4] = {"hypothetical0", "hypothetical1", "hypothetical100", "hypotheticalOther"};
    const QString valueCaptions[4] = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("100"), tr("Other:")};
    for (int i = 0; i < 4; ++i) {
        c.hypothetical[i] = named(new QRadioButton(valueCaptions[i], valueBox), valueNames[i]);
        valueGroup->addButton(c.hypothetical[i]);
        valueLayout->addWidget(c.hypothetical[i]);
        connect(c.hypothetical[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                edit([i](AnalysisChoices& a) { a.HypotheticalChoice = static_cast<core::HypotheticalChoice>(i); });
        });
    }
    c.hypotheticalValue = named(new QLineEdit(valueBox), "hypotheticalValue");
    valueLayout->addWidget(c.hypotheticalValue);
    valueLayout->addStretch(1);
    layout->addWidget(valueBox);
    connect(c.hypotheticalValue, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (const std::optional<Real> value = parseTypedNumber(text))
            edit([&](AnalysisChoices& a) { a.HypotheticalValue = *value; });
    });
    connect(c.hypotheticalValue, &QLineEdit::editingFinished, this,
            [this] { m_controls->hypotheticalValue->setText(numberText(m_dataSet->choices.HypotheticalValue)); });

    c.oneColTwoTailed = named(new QRadioButton(tr("Two-tailed"), page), "oneColTwoTailed");
    c.oneColOneTailed = named(new QRadioButton(tr("One-tailed"), page), "oneColOneTailed");
    layout->addWidget(radioGroup(tr("P value"), {c.oneColTwoTailed, c.oneColOneTailed}, page));
    connect(c.oneColTwoTailed, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.OneColTwoSided = true; });
    });
    connect(c.oneColOneTailed, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.OneColTwoSided = false; });
    });
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildTwoColumnsPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("Two columns: do their means (or medians) differ?"), page));

    c.twoColUnpaired = named(new QRadioButton(tr("Unpaired test"), page), "twoColUnpaired");
    c.twoColPaired =
        named(new QRadioButton(tr("Paired test (the values of a row belong together)"), page), "twoColPaired");
    c.twoColParametric = named(new QRadioButton(tr("Parametric test (t test)"), page), "twoColParametric");
    c.twoColNonParametric = named(new QRadioButton(tr("Nonparametric test"), page), "twoColNonParametric");
    c.twoColEqualSD = named(new QRadioButton(tr("Assume equal standard deviations"), page), "twoColEqualSD");
    c.twoColWelch = named(new QRadioButton(tr("Do not assume equal SDs (Welch correction)"), page), "twoColWelch");
    c.twoColTwoTailed = named(new QRadioButton(tr("Two-tailed"), page), "twoColTwoTailed");
    c.twoColOneTailed = named(new QRadioButton(tr("One-tailed"), page), "twoColOneTailed");

    auto* grid = new QHBoxLayout;
    grid->addWidget(radioGroup(tr("Pairing"), {c.twoColUnpaired, c.twoColPaired}, page));
    grid->addWidget(radioGroup(tr("Kind of test"), {c.twoColParametric, c.twoColNonParametric}, page));
    layout->addLayout(grid);
    auto* grid2 = new QHBoxLayout;
    grid2->addWidget(radioGroup(tr("Standard deviations (unpaired t test)"), {c.twoColEqualSD, c.twoColWelch}, page));
    grid2->addWidget(radioGroup(tr("P value"), {c.twoColTwoTailed, c.twoColOneTailed}, page));
    layout->addLayout(grid2);

    const std::pair<QRadioButton*, std::function<void(AnalysisChoices&)>> effects[] = {
        {c.twoColUnpaired, [](AnalysisChoices& a) { a.TwoColUnpaired = true; }},
        {c.twoColPaired, [](AnalysisChoices& a) { a.TwoColUnpaired = false; }},
        {c.twoColParametric, [](AnalysisChoices& a) { a.TwoColNonParametric = false; }},
        {c.twoColNonParametric, [](AnalysisChoices& a) { a.TwoColNonParametric = true; }},
        {c.twoColEqualSD, [](AnalysisChoices& a) { a.TwoColEqualSD = true; }},
        {c.twoColWelch, [](AnalysisChoices& a) { a.TwoColEqualSD = false; }},
        {c.twoColTwoTailed, [](AnalysisChoices& a) { a.TwoColTwoSided = true; }},
        {c.twoColOneTailed, [](AnalysisChoices& a) { a.TwoColTwoSided = false; }},
    };
    for (const auto& [button, effect] : effects)
        connect(button, &QRadioButton::toggled, this, [this, effect](bool on) {
            if (on)
                edit(effect);
        });

    auto* willPerform = new QHBoxLayout;
    willPerform->addWidget(new QLabel(tr("Ombrix will perform:"), page));
    c.twoColWillPerform = named(new QLabel(page), "twoColWillPerform");
    QFont bold = c.twoColWillPerform->font();
    bold.setBold(true);
    c.twoColWillPerform->setFont(bold);
    willPerform->addWidget(c.twoColWillPerform);
    willPerform->addStretch(1);
    layout->addLayout(willPerform);
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildThreeColumnsPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("Three or more columns: do their means (or medians) differ?"), page));

    c.ordinaryAnova = named(new QRadioButton(tr("Ordinary (the columns are independent)"), page), "ordinaryAnova");
    c.repeatedMeasures =
        named(new QRadioButton(tr("Repeated measures (the values of a row are matched)"), page), "repeatedMeasures");
    c.multiColParametric = named(new QRadioButton(tr("Parametric test (ANOVA)"), page), "multiColParametric");
    c.multiColNonParametric = named(new QRadioButton(tr("Nonparametric test"), page), "multiColNonParametric");
    auto* grid = new QHBoxLayout;
    grid->addWidget(radioGroup(tr("Design"), {c.ordinaryAnova, c.repeatedMeasures}, page));
    grid->addWidget(radioGroup(tr("Kind of test"), {c.multiColParametric, c.multiColNonParametric}, page));
    layout->addLayout(grid);

    const std::pair<QRadioButton*, std::function<void(AnalysisChoices&)>> effects[] = {
        {c.ordinaryAnova, [](AnalysisChoices& a) { a.OrdinaryAnova = true; }},
        {c.repeatedMeasures, [](AnalysisChoices& a) { a.OrdinaryAnova = false; }},
    };
    for (const auto& [button, effect] : effects)
        connect(button, &QRadioButton::toggled, this, [this, effect](bool on) {
            if (on)
                edit(effect);
        });
    // The post-test list is rebuilt when the kind of test changes; the stored
    // method and pairs stay as they are.
    connect(c.multiColParametric, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_loading)
            return;
        m_dataSet->choices.MultiColNonParametric = false;
        loadPostTestList();
        edit([](AnalysisChoices&) {});
    });
    connect(c.multiColNonParametric, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_loading)
            return;
        m_dataSet->choices.MultiColNonParametric = true;
        loadPostTestList();
        edit([](AnalysisChoices&) {});
    });

    auto* postBox = new QGroupBox(tr("Post test"), page);
    auto* postLayout = new QVBoxLayout(postBox);
    c.postTestList = named(new QComboBox(postBox), "postTestList");
    c.onlyIfSignificant =
        named(new QCheckBox(QString::fromLatin1(workflow::OnlyIfSignificantCaption), postBox), "onlyIfSignificant");
    c.selectPairs = named(new QPushButton(tr("Select pairs..."), postBox), "selectPairsButton");
    c.controlColumnLabel = named(new QLabel(tr("Control column:"), postBox), "controlColumnLabel");
    c.controlColumnList = named(new QComboBox(postBox), "controlColumnList");
    c.controlColumnLabel->setBuddy(c.controlColumnList);
    postLayout->addWidget(c.postTestList);
    auto* extras = new QHBoxLayout;
    extras->addWidget(c.selectPairs);
    extras->addWidget(c.controlColumnLabel);
    extras->addWidget(c.controlColumnList);
    extras->addStretch(1);
    postLayout->addLayout(extras);
    postLayout->addWidget(c.onlyIfSignificant);
    layout->addWidget(postBox);

    connect(c.postTestList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        edit([this, index](AnalysisChoices& a) {
            const bool checked = workflow::choosePostTestItem(a, index, m_controls->onlyIfSignificant->isChecked());
            const bool wasLoading = std::exchange(m_loading, true);
            m_controls->onlyIfSignificant->setChecked(checked);
            m_loading = wasLoading;
        });
    });
    connect(c.onlyIfSignificant, &QCheckBox::toggled, this, [this](bool checked) {
        edit([this, checked](AnalysisChoices& a) {
            workflow::setOnlyIfSignificant(a, checked, m_controls->postTestList->currentIndex());
        });
    });
    connect(c.controlColumnList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            edit([index](AnalysisChoices& a) { a.ControlColumn = index; });
    });
    connect(c.selectPairs, &QPushButton::clicked, this, &ChooseTestStep::selectPairs);

    auto* willPerform = new QHBoxLayout;
    willPerform->addWidget(new QLabel(tr("Ombrix will perform:"), page));
    c.multiColWillPerform = named(new QLabel(page), "multiColWillPerform");
    QFont bold = c.multiColWillPerform->font();
    bold.setBold(true);
    c.multiColWillPerform->setFont(bold);
    willPerform->addWidget(c.multiColWillPerform);
    willPerform->addStretch(1);
    layout->addLayout(willPerform);
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildXYPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("X and Y data: fit a line, or measure how closely X and Y vary together."), page));

    c.xyTest[0] = named(new QRadioButton(tr("Linear regression"), page), "xyLinearRegression");
    c.xyTest[1] = named(new QRadioButton(tr("Pearson correlation"), page), "xyPearson");
    c.xyTest[2] = named(new QRadioButton(tr("Spearman correlation (nonparametric)"), page), "xySpearman");
    layout->addWidget(radioGroup(tr("Analysis"), {c.xyTest[0], c.xyTest[1], c.xyTest[2]}, page));
    for (int i = 0; i < 3; ++i)
        connect(c.xyTest[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                edit([i](AnalysisChoices& a) {
                    a.XYTest = static_cast<core::XYTest>(i);
                    a.DoRegression = a.XYTest == core::XYTest::LinearRegression;
                });
        });

    c.regressionOptions = named(new QGroupBox(tr("Linear regression options"), page), "regressionOptions");
    auto* options = new QVBoxLayout(c.regressionOptions);
    c.forceThroughPoint =
        named(new QCheckBox(tr("Force the line through the point"), c.regressionOptions), "forceThroughPoint");
    c.forceX = named(new QLineEdit(c.regressionOptions), "forceX");
    c.forceY = named(new QLineEdit(c.regressionOptions), "forceY");
    auto* point = new QHBoxLayout;
    point->addWidget(c.forceThroughPoint);
    point->addWidget(new QLabel(tr("X ="), c.regressionOptions));
    point->addWidget(c.forceX);
    point->addWidget(new QLabel(tr("Y ="), c.regressionOptions));
    point->addWidget(c.forceY);
    point->addStretch(1);
    options->addLayout(point);
    c.runsTest = named(new QCheckBox(tr("Runs test for departure from linearity"), c.regressionOptions), "runsTest");
    c.standardCurve =
        named(new QCheckBox(tr("Interpolate unknowns from the standard curve"), c.regressionOptions), "standardCurve");
    options->addWidget(c.runsTest);
    options->addWidget(c.standardCurve);
    layout->addWidget(c.regressionOptions);

    connect(c.forceThroughPoint, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](AnalysisChoices& a) { a.ForceThroughPoint = on; }); });
    connect(c.runsTest, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](AnalysisChoices& a) { a.RunsTest = on; }); });
    connect(c.standardCurve, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](AnalysisChoices& a) { a.StandardCurve = on; }); });
    const std::pair<QLineEdit*, Real AnalysisChoices::*> points[] = {{c.forceX, &AnalysisChoices::ForceX},
                                                                     {c.forceY, &AnalysisChoices::ForceY}};
    for (const auto& [field, member] : points) {
        connect(field, &QLineEdit::textEdited, this, [this, member](const QString& text) {
            if (const std::optional<Real> value = parseTypedNumber(text))
                edit([&](AnalysisChoices& a) { a.*member = *value; });
        });
        connect(field, &QLineEdit::editingFinished, this,
                [this, field, member] { field->setText(numberText(m_dataSet->choices.*member)); });
    }
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildTwoByTwoPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("Two-by-two contingency table: is the row associated with the column?"), page));

    c.fisherTest = named(new QRadioButton(tr("Fisher's exact test"), page), "fisherTest");
    c.chiSquareTest = named(new QRadioButton(tr("Chi-square test"), page), "chiSquareTest");
    c.yates = named(new QCheckBox(tr("Yates' continuity correction"), page), "yatesCorrection");
    QGroupBox* testBox = radioGroup(tr("Test"), {c.fisherTest, c.chiSquareTest}, page);
    testBox->layout()->addWidget(c.yates);
    c.twoByTwoTwoSided = named(new QRadioButton(tr("Two-sided"), page), "twoByTwoTwoSided");
    c.twoByTwoOneSided = named(new QRadioButton(tr("One-sided"), page), "twoByTwoOneSided");
    auto* row = new QHBoxLayout;
    row->addWidget(testBox);
    row->addWidget(radioGroup(tr("P value"), {c.twoByTwoTwoSided, c.twoByTwoOneSided}, page));
    layout->addLayout(row);

    auto* also = new QGroupBox(tr("Also calculate"), page);
    auto* alsoLayout = new QVBoxLayout(also);
    c.proportions = named(new QCheckBox(tr("Difference between proportions"), also), "proportions");
    c.relativeRisk = named(new QCheckBox(tr("Relative risk"), also), "relativeRisk");
    c.oddsRatio = named(new QCheckBox(tr("Odds ratio"), also), "oddsRatio");
    c.sensitivity = named(new QCheckBox(tr("Sensitivity, specificity and predictive values"), also), "sensitivity");
    for (QCheckBox* box : {c.proportions, c.relativeRisk, c.oddsRatio, c.sensitivity})
        alsoLayout->addWidget(box);
    layout->addWidget(also);

    connect(c.fisherTest, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.TwoByTwoTest = core::TwoByTwoTest::Fisher; });
    });
    connect(c.chiSquareTest, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.TwoByTwoTest = core::TwoByTwoTest::ChiSquare; });
    });
    connect(c.twoByTwoTwoSided, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.TwoByTwoTwoSided = true; });
    });
    connect(c.twoByTwoOneSided, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            edit([](AnalysisChoices& a) { a.TwoByTwoTwoSided = false; });
    });
    const std::pair<QCheckBox*, bool AnalysisChoices::*> flags[] = {
        {c.yates, &AnalysisChoices::TwoByTwoYates},
        {c.proportions, &AnalysisChoices::TwoByTwoProportions},
        {c.relativeRisk, &AnalysisChoices::TwoByTwoRelativeRisk},
        {c.oddsRatio, &AnalysisChoices::TwoByTwoOddsRatio},
        {c.sensitivity, &AnalysisChoices::TwoByTwoSensitivity},
    };
    for (const auto& [box, member] : flags)
        connect(box, &QCheckBox::toggled, this,
                [this, member](bool on) { edit([&](AnalysisChoices& a) { a.*member = on; }); });
    layout->addStretch(1);
    return page;
}

QWidget* ChooseTestStep::buildMultipleRegressionPage()
{
    Controls& c = *m_controls;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(tr("Y with two or more X variables."), page));

    c.multipleRegression = named(new QRadioButton(tr("Multiple regression"), page), "multipleRegression");
    c.correlationMatrix = named(new QRadioButton(tr("Correlation matrix"), page), "correlationMatrix");
    layout->addWidget(radioGroup(tr("Analysis"), {c.multipleRegression, c.correlationMatrix}, page));
    connect(c.multipleRegression, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_loading)
            return;
        m_dataSet->choices.MultRegAnalysis = true;
        loadVariableLists();
        edit([](AnalysisChoices&) {});
    });
    connect(c.correlationMatrix, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_loading)
            return;
        m_dataSet->choices.MultRegAnalysis = false;
        loadVariableLists();
        edit([](AnalysisChoices&) {});
    });

    auto* form = new QFormLayout;
    c.dependentLabel = named(new QLabel(tr("Dependent variable (Y):"), page), "dependentLabel");
    c.dependentList = named(new QComboBox(page), "dependentList");
    c.independentLabel = named(new QLabel(page), "independentLabel");
    c.independentList = named(new QListWidget(page), "independentList");
    form->addRow(c.dependentLabel, c.dependentList);
    form->addRow(c.independentLabel, c.independentList);
    layout->addLayout(form);

    connect(c.dependentList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || m_loading)
            return;
        m_dataSet->choices.DependentColumn = m_controls->dependentList->itemData(index).toInt();
        // The dependent variable is never offered as an X variable.
        loadVariableLists();
        edit([](AnalysisChoices&) {});
    });
    connect(c.independentList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int column = item->data(Qt::UserRole).toInt();
        const bool checked = item->checkState() == Qt::Checked;
        if (core::DataTable::isValidColumn(column))
            edit([column, checked](AnalysisChoices& a) { a.IndependentColumns[column] = checked; });
    });
    layout->addStretch(1);
    return page;
}

ChooseTestPage ChooseTestStep::enterStep()
{
    load(workflow::prepareChooseTest(*m_dataSet));
    return m_page;
}

void ChooseTestStep::load(ChooseTestPage page)
{
    Controls& c = *m_controls;
    const AnalysisChoices& a = m_dataSet->choices;
    const bool wasLoading = std::exchange(m_loading, true);
    m_page = page;
    c.stack->setCurrentIndex(static_cast<int>(page));

    const bool columnPage = page == ChooseTestPage::OneColumn || page == ChooseTestPage::TwoColumns ||
                            page == ChooseTestPage::ThreeOrMoreColumns;
    c.columnStrip->setVisible(columnPage);
    c.allColumns->setChecked(a.AllColumns);
    QStringList names;
    for (const AnalysedColumn& column : analysedColumns(m_dataSet->table))
        names.append(shortColumnCaption(column.column, column.title));
    c.analysedColumns->setText(tr("Columns analyzed: %1").arg(names.join(QStringLiteral(", "))));

    c.noTest->setText(m_dataSet->format == core::DataFormat::LargerTable
                          ? tr("A contingency table larger than two by two is analyzed with the chi-square "
                               "test. There is nothing to choose: go on to the results.")
                          : tr("No column holds data yet. Enter data, then choose a test."));

    (a.OneColNonParametric ? c.oneColWilcoxon : c.oneColTTest)->setChecked(true);
    c.hypothetical[static_cast<std::size_t>(std::clamp(static_cast<int>(a.HypotheticalChoice), 0, 3))]->setChecked(
        true);
    c.hypotheticalValue->setText(numberText(a.HypotheticalValue));
    (a.OneColTwoSided ? c.oneColTwoTailed : c.oneColOneTailed)->setChecked(true);

    (a.TwoColUnpaired ? c.twoColUnpaired : c.twoColPaired)->setChecked(true);
    (a.TwoColNonParametric ? c.twoColNonParametric : c.twoColParametric)->setChecked(true);
    (a.TwoColEqualSD ? c.twoColEqualSD : c.twoColWelch)->setChecked(true);
    (a.TwoColTwoSided ? c.twoColTwoTailed : c.twoColOneTailed)->setChecked(true);

    (a.OrdinaryAnova ? c.ordinaryAnova : c.repeatedMeasures)->setChecked(true);
    (a.MultiColNonParametric ? c.multiColNonParametric : c.multiColParametric)->setChecked(true);
    c.onlyIfSignificant->setChecked(a.PostTestState == core::PostTestState::OnlyIfSignificant);
    loadPostTestList();
    loadControlColumnList();

    c.xyTest[static_cast<std::size_t>(std::clamp(static_cast<int>(a.XYTest), 0, 2))]->setChecked(true);
    c.forceThroughPoint->setChecked(a.ForceThroughPoint);
    c.forceX->setText(numberText(a.ForceX));
    c.forceY->setText(numberText(a.ForceY));
    c.runsTest->setChecked(a.RunsTest);
    c.standardCurve->setChecked(a.StandardCurve);

    (a.TwoByTwoTest == core::TwoByTwoTest::ChiSquare ? c.chiSquareTest : c.fisherTest)->setChecked(true);
    c.yates->setChecked(a.TwoByTwoYates);
    (a.TwoByTwoTwoSided ? c.twoByTwoTwoSided : c.twoByTwoOneSided)->setChecked(true);
    c.proportions->setChecked(a.TwoByTwoProportions);
    c.relativeRisk->setChecked(a.TwoByTwoRelativeRisk);
    c.oddsRatio->setChecked(a.TwoByTwoOddsRatio);
    c.sensitivity->setChecked(a.TwoByTwoSensitivity);

    (a.MultRegAnalysis ? c.multipleRegression : c.correlationMatrix)->setChecked(true);
    loadVariableLists();

    m_loading = wasLoading;
    refresh();
}

void ChooseTestStep::loadPostTestList()
{
    QComboBox* list = m_controls->postTestList;
    const bool wasLoading = std::exchange(m_loading, true);
    const bool nonParametric = m_dataSet->choices.MultiColNonParametric;
    list->clear();
    for (const std::string& item : workflow::postTestListItems(nonParametric))
        list->addItem(fromUtf8(item));
    list->setCurrentIndex(workflow::postTestListIndex(m_dataSet->choices, nonParametric));
    m_loading = wasLoading;
}

void ChooseTestStep::loadControlColumnList()
{
    QComboBox* list = m_controls->controlColumnList;
    const bool wasLoading = std::exchange(m_loading, true);
    list->clear();
    const std::vector<AnalysedColumn> columns = analysedColumns(m_dataSet->table);
    for (const AnalysedColumn& column : columns)
        list->addItem(columnCaption(column.column, column.title));
    // Unset (-1) means the first analysed column.
    const int control = m_dataSet->choices.ControlColumn < 0 ? 0 : m_dataSet->choices.ControlColumn;
    list->setCurrentIndex(control < static_cast<int>(columns.size()) ? control : -1);
    m_loading = wasLoading;
}

void ChooseTestStep::loadVariableLists()
{
    Controls& c = *m_controls;
    const AnalysisChoices& a = m_dataSet->choices;
    const core::DataTable& table = m_dataSet->table;
    const bool wasLoading = std::exchange(m_loading, true);

    c.dependentList->clear();
    for (int column = 0; column < core::TableColumns; ++column)
        if (table.column(column).n > 0)
            c.dependentList->addItem(columnCaption(column, table.column(column).title), column);
    c.dependentList->setCurrentIndex(c.dependentList->findData(a.DependentColumn));

    c.independentLabel->setText(a.MultRegAnalysis ? tr("Independent variables (X):") : tr("Variables:"));
    c.independentList->clear();
    for (int column = 0; column < core::TableColumns; ++column) {
        if (table.column(column).n <= 0 || (a.MultRegAnalysis && column == a.DependentColumn))
            continue;
        auto* item = new QListWidgetItem(columnCaption(column, table.column(column).title), c.independentList);
        item->setData(Qt::UserRole, column);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(a.IndependentColumns[static_cast<std::size_t>(column)] ? Qt::Checked : Qt::Unchecked);
    }
    m_loading = wasLoading;
}

// Labels and the controls whose state follows other choices.
void ChooseTestStep::refresh()
{
    Controls& c = *m_controls;
    const AnalysisChoices& a = m_dataSet->choices;

    c.hypotheticalLabel->setText(fromUtf8(workflow::hypotheticalValueLabel(a)));
    c.hypotheticalValue->setEnabled(a.HypotheticalChoice == core::HypotheticalChoice::Typed);

    c.twoColEqualSD->setEnabled(a.TwoColUnpaired && !a.TwoColNonParametric);
    c.twoColWelch->setEnabled(a.TwoColUnpaired && !a.TwoColNonParametric);
    c.twoColWillPerform->setText(fromUtf8(workflow::UpdateSelTest2(a)));

    const int listIndex = c.postTestList->currentIndex();
    const workflow::PostTestControls post =
        workflow::postTestControls(listIndex, m_dataSet->table.countSelectedColumnsWithData());
    c.selectPairs->setVisible(post.selectPairsVisible);
    c.selectPairs->setEnabled(post.selectPairsEnabled);
    c.controlColumnLabel->setVisible(post.controlColumnVisible);
    c.controlColumnList->setVisible(post.controlColumnVisible);
    c.controlColumnLabel->setEnabled(post.controlColumnEnabled);
    c.controlColumnList->setEnabled(post.controlColumnEnabled);
    // With no post test there is nothing to make conditional on P.
    c.onlyIfSignificant->setEnabled(listIndex > 0);
    c.multiColWillPerform->setText(fromUtf8(workflow::UpdateSelTest3(a)));

    c.regressionOptions->setEnabled(a.XYTest == core::XYTest::LinearRegression);
    c.forceX->setEnabled(a.ForceThroughPoint);
    c.forceY->setEnabled(a.ForceThroughPoint);

    c.yates->setEnabled(a.TwoByTwoTest == core::TwoByTwoTest::ChiSquare);

    c.dependentLabel->setEnabled(a.MultRegAnalysis);
    c.dependentList->setEnabled(a.MultRegAnalysis);
}

void ChooseTestStep::selectColumns()
{
    SelectColumnsDialog dialog(m_dataSet->table, this);
    if (!m_runDialog(dialog))
        return;
    const bool selectionChanged = dialog.apply(m_dataSet->table);
    if (!selectionChanged && !m_dataSet->choices.AllColumns)
        return;
    m_dataSet->choices.AllColumns = false;
    m_dataSet->markChanged();
    enterStep();
    Q_EMIT changed();
}

void ChooseTestStep::selectPairs()
{
    SelectPairsDialog dialog(analysedColumns(m_dataSet->table), m_dataSet->choices.SelectedPairs, this);
    if (!m_runDialog(dialog))
        return;
    const std::array<bool, core::SelectedPairCount> pairs = dialog.pairs();
    if (pairs == m_dataSet->choices.SelectedPairs)
        return;
    edit([&pairs](AnalysisChoices& a) { a.SelectedPairs = pairs; });
}

}  // namespace ombrix::app
