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
#include <vector>

#include "app/choose_test_step.h"
#include "app/selection_dialogs.h"
#include "app/step_text.h"
#include "tests/app/app_test_support.h"

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
        EXPECT_EQ(child<QCheckBox>(f.page, "allColumns")->isVisibleTo(&f.page), 
                  c.page != ChooseTestPage::None && c.page <= ChooseTestPage::ThreeOrMoreColumns);
    }
}

TEST(ChooseTestStep, PostTestListShowsAndSetsTheChoices)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    AnalysisChoices& a = f.dataSet->choices;
    a.PostTestState = core::PostTestState::OnlyIfSignificant;
    a.PostTestMethod = core::PostTestMethod::Dunnett;
    a.PostTestPairs = core::PostTestPairs::VersusControl;
    f.enter();
    auto* list = child<QComboBox>(f.page, "postTestList");
    auto* onlyIfSignificant = child<QCheckBox>(f.page, "onlyIfSignificant");
    EXPECT_EQ(list->count(), 7);
    EXPECT_EQ(list->currentIndex(), 5);
    EXPECT_TRUE(onlyIfSignificant->isChecked());
    EXPECT_TRUE(child<QComboBox>(f.page, "controlColumnList")->isVisibleTo(&f.page));
    EXPECT_FALSE(f.dataSet->modified) << "showing the list changes nothing";

    list->setCurrentIndex(1);
    EXPECT_EQ(a.PostTestMethod, core::PostTestMethod::Bonferroni);
    EXPECT_EQ(a.PostTestPairs, core::PostTestPairs::Selected);
    EXPECT_EQ(a.PostTestState, core::PostTestState::OnlyIfSignificant);
    EXPECT_TRUE(f.dataSet->modified && f.dataSet->resultsStale);
    EXPECT_TRUE(child<QPushButton>(f.page, "selectPairsButton")->isVisibleTo(&f.page));
    EXPECT_FALSE(child<QComboBox>(f.page, "controlColumnList")->isVisibleTo(&f.page));

    // "(No post test)" clears the check box, which then has nothing to qualify.
    list->setCurrentIndex(0);
    EXPECT_EQ(a.PostTestState, core::PostTestState::None);
    EXPECT_FALSE(onlyIfSignificant->isChecked());
    EXPECT_FALSE(onlyIfSignificant->isEnabled());
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
    EXPECT_EQ(f.dataSet->choices.PostTestMethod, core::PostTestMethod::Dunnett);
    EXPECT_EQ(f.dataSet->choices.PostTestPairs, core::PostTestPairs::VersusControl);
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
        {"plant_weight_one_column.OXD", "hypothetical100", [](auto& a) { return static_cast<int>(a.HypotheticalChoice); }},
        {"plant_weight_one_column.OXD", "oneColOneTailed", [](auto& a) { return a.OneColTwoSided; }},
        {"sleep_paired.OXD", "twoColUnpaired", [](auto& a) { return a.TwoColUnpaired; }},
        {"sleep_paired.OXD", "twoColNonParametric", [](auto& a) { return a.TwoColNonParametric; }},
        {"sleep_paired.OXD", "twoColOneTailed", [](auto& a) { return a.TwoColTwoSided; }},
        {"plant_growth_mean_sem.OXD", "repeatedMeasures", [](auto& a) { return a.OrdinaryAnova; }},
        {"plant_growth_mean_sem.OXD", "multiColNonParametric", [](auto& a) { return a.MultiColNonParametric; }},
        {"plant_growth_mean_sem.OXD", "onlyIfSignificant", [](auto& a) { return static_cast<int>(a.PostTestState); }},
        {"car_stopping_xy.OXD", "xyPearson", [](auto& a) { return static_cast<int>(a.XYTest) + 10 * a.DoRegression; }},
        {"car_stopping_xy.OXD", "forceThroughPoint", [](auto& a) { return a.ForceThroughPoint; }},
        {"car_stopping_xy.OXD", "runsTest", [](auto& a) { return a.RunsTest; }},
        {"car_stopping_xy.OXD", "standardCurve", [](auto& a) { return a.StandardCurve; }},
        {"tea_tasting_2x2.OXD", "chiSquareTest", [](auto& a) { return static_cast<int>(a.TwoByTwoTest); }},
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
    EXPECT_EQ(xy.dataSet->choices.XYTest, core::XYTest::Spearman);
    EXPECT_FALSE(xy.dataSet->choices.DoRegression);

    ChooseFixture table("tea_tasting_2x2.OXD");
    table.enter();
    auto* yates = child<QCheckBox>(table.page, "yatesCorrection");
    EXPECT_EQ(yates->isEnabled(), table.dataSet->choices.TwoByTwoTest == core::TwoByTwoTest::ChiSquare);
    child<QRadioButton>(table.page, "chiSquareTest")->click();
    ASSERT_TRUE(yates->isEnabled());
    const bool yatesBefore = table.dataSet->choices.TwoByTwoYates;
    yates->click();
    EXPECT_NE(table.dataSet->choices.TwoByTwoYates, yatesBefore);

    ChooseFixture two("sleep_paired.OXD");
    two.enter();
    auto* welch = child<QRadioButton>(two.page, "twoColWelch");
    EXPECT_FALSE(welch->isEnabled()) << "paired: no SD choice";
    child<QRadioButton>(two.page, "twoColUnpaired")->click();
    ASSERT_TRUE(welch->isEnabled());
    welch->click();
    EXPECT_FALSE(two.dataSet->choices.TwoColEqualSD);
    EXPECT_EQ(child<QLabel>(two.page, "twoColWillPerform")->text(), QStringLiteral("Unpaired t test, Welch corrected"));
}

TEST(ChooseTestStep, HypotheticalValueIsTypedAndKept)
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
    EXPECT_EQ(f.dataSet->choices.HypotheticalChoice, core::HypotheticalChoice::Typed);

    value->selectAll();
    typeText(value, QStringLiteral("12") + systemDecimalSeparator() + QStringLiteral("5"));
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    // A text that is no number leaves the value alone and is put right on leaving.
    typeText(value, QStringLiteral("x"));
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    Q_EMIT value->editingFinished();
    EXPECT_EQ(value->text(), QStringLiteral("12") + systemDecimalSeparator() + QStringLiteral("5"));
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

// Which pairs the dialog lists and edits is its own test; here its answer
// reaches the choices.
TEST(ChooseTestStep, SelectPairsStoresTheDialogsAnswer)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    f.enter();
    child<QComboBox>(f.page, "postTestList")->setCurrentIndex(1);
    f.changes = 0;
    f.page.setDialogRunner([](QDialog& dialog) {
        dynamic_cast<SelectPairsDialog&>(dialog).deselectAllButton()->click();
        return true;
    });
    child<QPushButton>(f.page, "selectPairsButton")->click();
    EXPECT_FALSE(f.dataSet->choices.SelectedPairs[core::selectedPairIndex(0, 1)]);
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
