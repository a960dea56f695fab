#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analyses/report_chars.h"
#include "app/choose_test_step.h"
#include "app/results_step.h"
#include "app/selection_dialogs.h"
#include "app/step_text.h"
#include "core/text.h"
#include "tests/app/step_test_support.h"

namespace ombrix::app::testing {
namespace {

using core::AnalysisChoices;
using workflow::ChooseTestPage;

// A document window's worth of state around the choose-test page.
struct ChooseFixture {
    explicit ChooseFixture(const char* example)
        : dataSet(example ? openExample(example) : std::make_unique<core::DataSet>()), page(*dataSet)
    {
        QObject::connect(&page, &ChooseTestStep::changed, [this] { ++changes; });
    }

    // Entering the step, then forgetting what the file and the preparation did.
    ChooseTestPage enter()
    {
        const ChooseTestPage shown = page.enterStep();
        dataSet->modified = false;
        dataSet->resultsStale = false;
        changes = 0;
        return shown;
    }

    std::unique_ptr<core::DataSet> dataSet;
    ChooseTestStep page;
    int changes = 0;
};

TEST(ChooseTestStep, ShowsOnePagePerCase)
{
    const struct {
        const char* example;
        ChooseTestPage page;
    } cases[] = {
        {"plant_weight_one_column.OXD", ChooseTestPage::OneColumn},
        {"sleep_paired.OXD", ChooseTestPage::TwoColumns},
        {"plant_growth_mean_sem.OXD", ChooseTestPage::ThreeOrMoreColumns},
        {"light_speed_mean_sd.OXD", ChooseTestPage::ThreeOrMoreColumns},
        {"car_stopping_xy.OXD", ChooseTestPage::XYFit},
        {"tea_tasting_2x2.OXD", ChooseTestPage::TwoByTwo},
        {"stack_loss_multiple_regression.OXD", ChooseTestPage::MultipleRegression},
        {"hair_eye_colour_table.OXD", ChooseTestPage::None},
        {nullptr, ChooseTestPage::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.example ? c.example : "empty document");
        ChooseFixture f(c.example);
        EXPECT_EQ(f.enter(), c.page);
        EXPECT_EQ(f.page.pages()->currentIndex(), static_cast<int>(c.page));
        const bool columnPage = c.page == ChooseTestPage::OneColumn || c.page == ChooseTestPage::TwoColumns ||
                                c.page == ChooseTestPage::ThreeOrMoreColumns;
        EXPECT_EQ(child<QCheckBox>(f.page, "allColumns")->isVisibleTo(&f.page), columnPage);
        if (c.page == ChooseTestPage::None) {
            EXPECT_FALSE(child<QLabel>(f.page, "noTestExplanation")->text().isEmpty());
        }
    }
}

// The report's title: the first line with text after the data set's title.
std::string reportTitle(const analyses::ResultsBuffer& results)
{
    for (int i = 2; i < results.indexedLineCount(); ++i) {
        const std::string line(core::trimmed(analyses::stripMarks(results.line(i))));
        if (!line.empty())
            return line;
    }
    return {};
}

TEST(ChooseTestStep, EachTwoColumnTestGivesItsLabelAndReport)
{
    const struct {
        std::vector<const char*> clicks;
        const char* label;
        const char* reportTitle;
    } cases[] = {
        {{"twoColUnpaired", "twoColParametric", "twoColEqualSD"}, "Unpaired t test", "Unpaired t test"},
        {{"twoColUnpaired", "twoColParametric", "twoColWelch"}, "Unpaired t test, Welch corrected",
         "Unpaired t test with Welch correction"},
        {{"twoColUnpaired", "twoColNonParametric"}, "Mann-Whitney test", "Mann-Whitney Test"},
        {{"twoColPaired", "twoColNonParametric"}, "Wilcoxon matched pairs test",
         "Wilcoxon matched-pairs signed-ranks test"},
        {{"twoColPaired", "twoColParametric"}, "Paired t test", "Paired t test"},
    };
    ChooseFixture f("sleep_paired.OXD");
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress(clock);
    ResultsStep resultsPage(*f.dataSet, results, regression, progress);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(f.enter(), ChooseTestPage::TwoColumns);
        for (const char* name : c.clicks)
            child<QRadioButton>(f.page, name)->click();
        EXPECT_EQ(child<QLabel>(f.page, "twoColWillPerform")->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(resultsPage.enterStep(), workflow::CalculateOutcome::Calculated);
        EXPECT_EQ(reportTitle(results), c.reportTitle);
    }
}

TEST(ChooseTestStep, PostTestListShowsTheIndexOfTheStoredChoices)
{
    const struct {
        int state, method, pairs;
        bool nonParametric;
        int index, items;
    } cases[] = {
        {1, 1, 0, false, 0, 7}, {0, 0, 1, false, 1, 7}, {2, 0, 0, false, 2, 7}, {0, 1, 0, false, 3, 7},
        {0, 3, 0, false, 4, 7}, {2, 2, 2, false, 5, 7}, {0, 4, 0, false, 6, 7},
        // The nonparametric list has three items; the index is capped.
        {0, 1, 0, true, 2, 3},  {0, 0, 1, true, 1, 3},  {1, 2, 2, true, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "state " << c.state << ", method " << c.method << ", pairs " << c.pairs
                                          << (c.nonParametric ? ", nonparametric" : ""));
        ChooseFixture f("plant_growth_mean_sem.OXD");
        AnalysisChoices& a = f.dataSet->choices;
        a.PostTestState = c.state;
        a.PostTestMethod = c.method;
        a.PostTestPairs = c.pairs;
        a.MultiColNonParametric = c.nonParametric;
        ASSERT_EQ(f.enter(), ChooseTestPage::ThreeOrMoreColumns);
        auto* list = child<QComboBox>(f.page, "postTestList");
        EXPECT_EQ(list->count(), c.items);
        EXPECT_EQ(list->currentIndex(), c.index);
        EXPECT_EQ(child<QCheckBox>(f.page, "onlyIfSignificant")->isChecked(), c.state == 2);
        EXPECT_EQ(child<QLabel>(f.page, "multiColWillPerform")->text().endsWith(QStringLiteral(" without post-test")),
                  c.index == 0);
        EXPECT_FALSE(f.dataSet->modified) << "showing the list changes nothing";
    }
}

TEST(ChooseTestStep, ChoosingAPostTestSetsMethodPairsAndState)
{
    const struct {
        int index, method, pairs;
    } items[] = {{1, 0, 1}, {2, 0, 0}, {3, 1, 0}, {4, 3, 0}, {5, 2, 2}, {6, 4, 0}};
    for (const bool onlyIfSignificant : {true, false}) {
        for (const auto& item : items) {
            SCOPED_TRACE(::testing::Message() << "item " << item.index << (onlyIfSignificant ? ", only if P<0.05" : ""));
            ChooseFixture f("plant_growth_mean_sem.OXD");
            f.enter();
            auto* box = child<QCheckBox>(f.page, "onlyIfSignificant");
            if (box->isChecked() != onlyIfSignificant)
                box->click();
            f.dataSet->modified = f.dataSet->resultsStale = false;
            auto* list = child<QComboBox>(f.page, "postTestList");
            const bool moved = list->currentIndex() != item.index;
            list->setCurrentIndex(item.index);
            const AnalysisChoices& a = f.dataSet->choices;
            EXPECT_EQ(a.PostTestMethod, item.method);
            EXPECT_EQ(a.PostTestPairs, item.pairs);
            EXPECT_EQ(a.PostTestState, onlyIfSignificant ? 2 : 0);
            EXPECT_EQ(child<QPushButton>(f.page, "selectPairsButton")->isVisibleTo(&f.page), item.index == 1);
            EXPECT_EQ(child<QComboBox>(f.page, "controlColumnList")->isVisibleTo(&f.page), item.index == 5);
            EXPECT_EQ(f.dataSet->modified && f.dataSet->resultsStale, moved);
        }
    }

    // "(No post test)" clears the check box, which then has nothing to qualify.
    ChooseFixture f("plant_growth_mean_sem.OXD");
    f.enter();
    child<QComboBox>(f.page, "postTestList")->setCurrentIndex(0);
    EXPECT_EQ(f.dataSet->choices.PostTestState, 1);
    EXPECT_FALSE(child<QCheckBox>(f.page, "onlyIfSignificant")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(f.page, "onlyIfSignificant")->isEnabled());
    EXPECT_EQ(child<QLabel>(f.page, "multiColWillPerform")->text(), QStringLiteral("One-way ANOVA without post-test"));
}

TEST(ChooseTestStep, SwitchingToNonparametricRebuildsTheListOnly)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    f.enter();
    auto* list = child<QComboBox>(f.page, "postTestList");
    list->setCurrentIndex(5);  // Dunnett
    auto* control = child<QComboBox>(f.page, "controlColumnList");
    ASSERT_EQ(control->count(), 3);
    EXPECT_EQ(control->itemText(1), QStringLiteral("B: Treatment 1"));
    control->setCurrentIndex(2);
    EXPECT_EQ(f.dataSet->choices.ControlColumn, 2);

    child<QRadioButton>(f.page, "multiColNonParametric")->click();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(f.dataSet->choices.PostTestMethod, 2);
    EXPECT_EQ(f.dataSet->choices.PostTestPairs, 2);
    EXPECT_EQ(child<QLabel>(f.page, "multiColWillPerform")->text(), QStringLiteral("Kruskal-Wallis test with post-test"));

    child<QRadioButton>(f.page, "multiColParametric")->click();
    EXPECT_EQ(list->count(), 7);
    EXPECT_EQ(list->currentIndex(), 5);
}

// Each control writes its field, marks the document and tells the window.
TEST(ChooseTestStep, EveryChangeMarksTheDocument)
{
    using Field = std::function<long double(const AnalysisChoices&)>;
    const struct {
        const char* example;
        const char* control;
        Field field;
    } cases[] = {
        {"plant_weight_one_column.OXD", "oneColWilcoxon", [](auto& a) { return a.OneColNonParametric; }},
        {"plant_weight_one_column.OXD", "hypothetical100", [](auto& a) { return a.HypotheticalChoice; }},
        {"plant_weight_one_column.OXD", "oneColOneTailed", [](auto& a) { return a.OneColTwoSided; }},
        {"sleep_paired.OXD", "twoColUnpaired", [](auto& a) { return a.TwoColUnpaired; }},
        {"sleep_paired.OXD", "twoColNonParametric", [](auto& a) { return a.TwoColNonParametric; }},
        {"sleep_paired.OXD", "twoColOneTailed", [](auto& a) { return a.TwoColTwoSided; }},
        {"plant_growth_mean_sem.OXD", "repeatedMeasures", [](auto& a) { return a.OrdinaryAnova; }},
        {"plant_growth_mean_sem.OXD", "multiColNonParametric", [](auto& a) { return a.MultiColNonParametric; }},
        {"plant_growth_mean_sem.OXD", "onlyIfSignificant", [](auto& a) { return a.PostTestState; }},
        {"car_stopping_xy.OXD", "xyPearson", [](auto& a) { return a.XYTest + 10 * a.DoRegression; }},
        {"car_stopping_xy.OXD", "forceThroughPoint", [](auto& a) { return a.ForceThroughPoint; }},
        {"car_stopping_xy.OXD", "runsTest", [](auto& a) { return a.RunsTest; }},
        {"car_stopping_xy.OXD", "standardCurve", [](auto& a) { return a.StandardCurve; }},
        {"tea_tasting_2x2.OXD", "chiSquareTest", [](auto& a) { return a.TwoByTwoTest; }},
        {"tea_tasting_2x2.OXD", "twoByTwoOneSided", [](auto& a) { return a.TwoByTwoTwoSided; }},
        {"tea_tasting_2x2.OXD", "proportions", [](auto& a) { return a.TwoByTwoProportions; }},
        {"tea_tasting_2x2.OXD", "relativeRisk", [](auto& a) { return a.TwoByTwoRelativeRisk; }},
        {"tea_tasting_2x2.OXD", "oddsRatio", [](auto& a) { return a.TwoByTwoOddsRatio; }},
        {"tea_tasting_2x2.OXD", "sensitivity", [](auto& a) { return a.TwoByTwoSensitivity; }},
        {"stack_loss_multiple_regression.OXD", "correlationMatrix", [](auto& a) { return a.MultRegAnalysis; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        ChooseFixture f(c.example);
        f.enter();
        const long double before = c.field(f.dataSet->choices);
        auto* button = child<QAbstractButton>(f.page, c.control);
        ASSERT_TRUE(button->isEnabled());
        ASSERT_FALSE(button->isChecked() && button->autoExclusive()) << "the example already has this choice";
        button->click();
        EXPECT_NE(c.field(f.dataSet->choices), before);
        EXPECT_TRUE(f.dataSet->modified);
        EXPECT_TRUE(f.dataSet->resultsStale);
        EXPECT_EQ(f.changes, 1);
    }
}

TEST(ChooseTestStep, ControlsThatDependOnOthersFollowThem)
{
    ChooseFixture xy("car_stopping_xy.OXD");
    xy.enter();
    EXPECT_TRUE(child<QGroupBox>(xy.page, "regressionOptions")->isEnabled());
    child<QRadioButton>(xy.page, "xySpearman")->click();
    EXPECT_FALSE(child<QGroupBox>(xy.page, "regressionOptions")->isEnabled());
    EXPECT_EQ(xy.dataSet->choices.XYTest, 2);
    EXPECT_FALSE(xy.dataSet->choices.DoRegression);

    ChooseFixture table("tea_tasting_2x2.OXD");
    table.enter();
    auto* yates = child<QCheckBox>(table.page, "yatesCorrection");
    EXPECT_EQ(yates->isEnabled(), table.dataSet->choices.TwoByTwoTest == 1);
    child<QRadioButton>(table.page, "chiSquareTest")->click();
    ASSERT_TRUE(yates->isEnabled());
    const bool yatesBefore = table.dataSet->choices.TwoByTwoYates;
    yates->click();
    EXPECT_NE(table.dataSet->choices.TwoByTwoYates, yatesBefore);

    ChooseFixture two("sleep_paired.OXD");
    two.enter();
    EXPECT_FALSE(child<QRadioButton>(two.page, "twoColWelch")->isEnabled()) << "paired: no SD choice";
}

TEST(ChooseTestStep, HypotheticalValueReachesTheReport)
{
    ChooseFixture f("plant_weight_one_column.OXD");
    f.enter();
    child<QRadioButton>(f.page, "oneColWilcoxon")->click();
    EXPECT_EQ(child<QLabel>(f.page, "hypotheticalLabel")->text(), QStringLiteral("Hypothetical median="));
    child<QRadioButton>(f.page, "oneColTTest")->click();
    EXPECT_EQ(child<QLabel>(f.page, "hypotheticalLabel")->text(), QStringLiteral("Hypothetical mean="));

    child<QRadioButton>(f.page, "hypothetical0")->click();
    auto* value = child<QLineEdit>(f.page, "hypotheticalValue");
    EXPECT_FALSE(value->isEnabled());
    child<QRadioButton>(f.page, "hypotheticalOther")->click();
    ASSERT_TRUE(value->isEnabled());
    EXPECT_EQ(f.dataSet->choices.HypotheticalChoice, 3);

    value->selectAll();
    typeText(value, QStringLiteral("12") + systemDecimalSeparator() + QStringLiteral("5"));
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    // A text that is no number leaves the value alone and is put right on leaving.
    typeText(value, QStringLiteral("x"));
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    Q_EMIT value->editingFinished();
    EXPECT_EQ(value->text(), QStringLiteral("12") + systemDecimalSeparator() + QStringLiteral("5"));

    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress(clock);
    ResultsStep resultsPage(*f.dataSet, results, regression, progress);
    resultsPage.enterStep();
    EXPECT_NE(std::string(results.text()).find("differ significantly from 12.500?"), std::string::npos);
}

TEST(ChooseTestStep, SelectColumnsChangesTheCase)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    ASSERT_EQ(f.enter(), ChooseTestPage::ThreeOrMoreColumns);

    // Cancel changes nothing.
    f.page.setDialogRunner([](QDialog&) { return false; });
    f.page.selectColumns();
    EXPECT_EQ(f.changes, 0);
    EXPECT_TRUE(f.dataSet->choices.AllColumns);

    QStringList listed;
    f.page.setDialogRunner([&](QDialog& dialog) {
        auto& columns = dynamic_cast<SelectColumnsDialog&>(dialog);
        for (int row = 0; row < columns.list()->count(); ++row)
            listed.append(columns.list()->item(row)->text());
        columns.list()->item(2)->setCheckState(Qt::Unchecked);
        return true;
    });
    child<QPushButton>(f.page, "selectColumnsButton")->click();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("A: Control"), QStringLiteral("B: Treatment 1"),
                                   QStringLiteral("C: Treatment 2")}));
    EXPECT_EQ(f.page.currentPage(), ChooseTestPage::TwoColumns);
    EXPECT_FALSE(f.dataSet->choices.AllColumns);
    EXPECT_FALSE(f.dataSet->table.isSelected(2));
    EXPECT_TRUE(f.dataSet->modified);
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(child<QLabel>(f.page, "analysedColumns")->text(),
              QStringLiteral("Columns analyzed: A: Control, B: Treatment 1"));

    child<QCheckBox>(f.page, "allColumns")->click();
    EXPECT_EQ(f.page.currentPage(), ChooseTestPage::ThreeOrMoreColumns);
    EXPECT_TRUE(f.dataSet->choices.AllColumns);
    EXPECT_EQ(f.changes, 2);
}

TEST(ChooseTestStep, SelectPairsEditsTheListedPairs)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    f.enter();
    child<QComboBox>(f.page, "postTestList")->setCurrentIndex(1);
    auto* button = child<QPushButton>(f.page, "selectPairsButton");
    ASSERT_TRUE(button->isVisibleTo(&f.page) && button->isEnabled());
    f.changes = 0;
    f.page.setDialogRunner([](QDialog& dialog) {
        auto& pairs = dynamic_cast<SelectPairsDialog&>(dialog);
        pairs.deselectAllButton()->click();
        pairs.list()->item(2)->setCheckState(Qt::Checked);
        return true;
    });
    button->click();
    const auto& selected = f.dataSet->choices.SelectedPairs;
    EXPECT_FALSE(selected[core::selectedPairIndex(0, 1)]);
    EXPECT_FALSE(selected[core::selectedPairIndex(0, 2)]);
    EXPECT_TRUE(selected[core::selectedPairIndex(1, 2)]);
    EXPECT_TRUE(selected[core::selectedPairIndex(0, 3)]) << "pairs outside the analysed columns are kept";
    EXPECT_EQ(f.changes, 1);
    EXPECT_TRUE(f.dataSet->resultsStale);
}

TEST(ChooseTestStep, VariableListsOfMultipleRegression)
{
    ChooseFixture f("stack_loss_multiple_regression.OXD");
    ASSERT_EQ(f.enter(), ChooseTestPage::MultipleRegression);
    auto* dependent = child<QComboBox>(f.page, "dependentList");
    auto* independent = child<QListWidget>(f.page, "independentList");
    auto texts = [&] {
        QStringList items;
        for (int row = 0; row < independent->count(); ++row)
            items.append(independent->item(row)->text().left(1));
        return items.join(QString());
    };
    ASSERT_EQ(dependent->count(), 4);
    EXPECT_EQ(dependent->currentText(), QStringLiteral("A: Stack loss"));
    EXPECT_EQ(texts(), QStringLiteral("BCD"));

    dependent->setCurrentIndex(1);
    EXPECT_EQ(f.dataSet->choices.DependentColumn, 1);
    EXPECT_EQ(texts(), QStringLiteral("ACD")) << "the dependent variable is never an X variable";
    EXPECT_EQ(f.changes, 1);

    independent->item(1)->setCheckState(independent->item(1)->checkState() == Qt::Checked ? Qt::Unchecked
                                                                                            : Qt::Checked);
    EXPECT_EQ(f.dataSet->choices.IndependentColumns[2], independent->item(1)->checkState() == Qt::Checked);
    EXPECT_EQ(f.changes, 2);

    child<QRadioButton>(f.page, "correlationMatrix")->click();
    EXPECT_EQ(texts(), QStringLiteral("ABCD"));
    EXPECT_FALSE(dependent->isEnabled());
}

}  // namespace
}  // namespace ombrix::app::testing
