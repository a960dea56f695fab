// The choose-test page over example documents (which page, each control
// writing its choice) and the dialogs that select columns and pairs.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

#include "analyses/column_statistics.h"
#include "app/choose_test_step.h"
#include "app/selection_dialogs.h"
#include "app/step_text.h"
#include "core/choice_table.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

using workflow::ChooseTestPage;

// A document window's worth of state around the choose-test page.
struct ChooseFixture {
    explicit ChooseFixture(const char* example)
        : dataSet(example ? openExample(example) : std::make_unique<core::DataSet>())
        , page(*dataSet)
    {
        QObject::connect(&page, &ChooseTestStep::changed, [this] { ++changes; });
    }

    // Entering the step, then forgetting what the file and the preparation did.
    ChooseTestPage enter()
    {
        const ChooseTestPage shown = page.enterStep();
        dataSet->modified = dataSet->resultsStale = false;
        changes = 0;
        return shown;
    }
    template <typename Widget = QAbstractButton> Widget* get(const char* name) const
    {
        return child<Widget>(page, name);
    }

    std::unique_ptr<core::DataSet> dataSet;
    ChooseTestStep page;
    int changes = 0;
};

TEST(ChooseTestStep, ShowsOnePagePerCase)
{
    const std::pair<const char*, ChooseTestPage> cases[] = {
        {"plant_weight_one_column.OXD", ChooseTestPage::OneColumn},
        {"sleep_paired.OXD", ChooseTestPage::TwoColumns},
        {"light_speed_mean_sd.OXD", ChooseTestPage::ThreeOrMoreColumns},
        {"car_stopping_xy.OXD", ChooseTestPage::XYFit},
        {"tea_tasting_2x2.OXD", ChooseTestPage::TwoByTwo},
        {"stack_loss_multiple_regression.OXD", ChooseTestPage::MultipleRegression},
        {"hair_eye_colour_table.OXD", ChooseTestPage::None},
        {nullptr, ChooseTestPage::None},
    };
    for (const auto& [example, page] : cases) {
        SCOPED_TRACE(example ? example : "empty document");
        ChooseFixture f(example);
        EXPECT_EQ(f.enter(), page);
        EXPECT_EQ(f.page.pages()->currentIndex(), static_cast<int>(page));
        const bool columnPage = page != ChooseTestPage::None && page <= ChooseTestPage::ThreeOrMoreColumns;
        EXPECT_EQ(f.get("allColumns")->isVisibleTo(&f.page), columnPage);
    }
}

// Each control writes its own choice (named as the data file knows it),
// marks the document and tells the window.
TEST(ChooseTestStep, EveryChangeMarksTheDocument)
{
    const char* examples[] = {"plant_weight_one_column.OXD", "sleep_paired.OXD",
                              "plant_growth_mean_sem.OXD",   "car_stopping_xy.OXD",
                              "tea_tasting_2x2.OXD",         "stack_loss_multiple_regression.OXD"};
    const struct {
        int example;
        const char* control;
        const char* choice;
    } cases[] = {
        {0, "oneColWilcoxon", "OneColNonParametric"},
        {0, "hypothetical100", "HypotheticalChoice"},
        {0, "oneColOneTailed", "OneColTwoSided"},
        {1, "twoColUnpaired", "TwoColUnpaired"},
        {1, "twoColNonParametric", "TwoColNonParametric"},
        {1, "twoColOneTailed", "TwoColTwoSided"},
        {2, "repeatedMeasures", "OrdinaryAnova"},
        {2, "onlyIfSignificant", "PostTestState"},
        {3, "xyPearson", "XYTest"},
        {3, "forceThroughPoint", "ForceThroughPoint"},
        {3, "runsTest", "RunsTest"},
        {3, "standardCurve", "StandardCurve"},
        {4, "chiSquareTest", "TwoByTwoTest"},
        {4, "twoByTwoOneSided", "TwoByTwoTwoSided"},
        {4, "proportions", "TwoByTwoProportions"},
        {4, "relativeRisk", "TwoByTwoRelativeRisk"},
        {4, "oddsRatio", "TwoByTwoOddsRatio"},
        {4, "sensitivity", "TwoByTwoSensitivity"},
        {5, "correlationMatrix", "MultRegAnalysis"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        ChooseFixture f(examples[c.example]);
        f.enter();
        const core::ChoiceDescriptor* choice = core::findChoice(c.choice);
        ASSERT_NE(choice, nullptr);
        const int before = choice->get(f.dataSet->choices);
        QAbstractButton* button = f.get(c.control);
        ASSERT_TRUE(button->isEnabled());
        ASSERT_FALSE(button->isChecked() && button->autoExclusive()) << "the example already has this choice";
        button->click();
        EXPECT_NE(choice->get(f.dataSet->choices), before);
        EXPECT_TRUE(f.dataSet->modified && f.dataSet->resultsStale);
        EXPECT_EQ(f.changes, 1);
    }
}

TEST(ChooseTestStep, ControlsThatDependOnOthersFollowThem)
{
    ChooseFixture xy("car_stopping_xy.OXD");
    xy.enter();
    xy.get("xySpearman")->click();
    EXPECT_FALSE(xy.get<QGroupBox>("regressionOptions")->isEnabled());

    ChooseFixture table("tea_tasting_2x2.OXD");
    table.enter();
    table.get("chiSquareTest")->click();
    const bool yatesBefore = table.dataSet->choices.TwoByTwoYates;
    table.get("yatesCorrection")->click();
    EXPECT_NE(table.dataSet->choices.TwoByTwoYates, yatesBefore);

    ChooseFixture two("sleep_paired.OXD");
    two.enter();
    EXPECT_FALSE(two.get("twoColWelch")->isEnabled()) << "paired: no SD choice";
    two.get("twoColUnpaired")->click();
    two.get("twoColWelch")->click();
    EXPECT_EQ(two.get<QLabel>("twoColWillPerform")->text(), QStringLiteral("Unpaired t test, Welch corrected"));
}

TEST(ChooseTestStep, PostTestListFollowsTheTestAndSetsTheChoices)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    core::AnalysisChoices& a = f.dataSet->choices;
    a.PostTestState = core::PostTestState::OnlyIfSignificant;
    a.PostTestMethod = core::PostTestMethod::Dunnett;
    a.PostTestPairs = core::PostTestPairs::VersusControl;
    f.enter();
    auto* list = f.get<QComboBox>("postTestList");
    auto* control = f.get<QComboBox>("controlColumnList");
    QAbstractButton* onlyIfSignificant = f.get("onlyIfSignificant");
    EXPECT_EQ(list->currentIndex(), 5);
    EXPECT_TRUE(onlyIfSignificant->isChecked() && control->isVisibleTo(&f.page));
    EXPECT_FALSE(f.dataSet->modified) << "showing the list changes nothing";
    control->setCurrentIndex(2);
    EXPECT_EQ(a.ControlColumn, 2);
    // The nonparametric list is shorter; the choice is kept by its meaning.
    f.get("multiColNonParametric")->click();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), 2);
    f.get("multiColParametric")->click();
    EXPECT_EQ(list->currentIndex(), 5);

    list->setCurrentIndex(1);
    EXPECT_EQ(a.PostTestMethod, core::PostTestMethod::Bonferroni);
    EXPECT_EQ(a.PostTestPairs, core::PostTestPairs::Selected);
    EXPECT_TRUE(f.get("selectPairsButton")->isVisibleTo(&f.page) && !control->isVisibleTo(&f.page));
    // "(No post test)" clears the check box, which then has nothing to qualify.
    list->setCurrentIndex(0);
    EXPECT_EQ(a.PostTestState, core::PostTestState::None);
    EXPECT_FALSE(onlyIfSignificant->isChecked() || onlyIfSignificant->isEnabled());
    EXPECT_EQ(f.get<QLabel>("multiColWillPerform")->text(), QStringLiteral("One-way ANOVA without post-test"));
}

TEST(ChooseTestStep, HypotheticalValueIsTypedAndKept)
{
    ChooseFixture f("plant_weight_one_column.OXD");
    f.enter();
    f.get("hypotheticalOther")->click();
    auto* value = f.get<QLineEdit>("hypotheticalValue");
    const QString twelveAndAHalf = QStringLiteral("12") + systemDecimalSeparator() + QStringLiteral("5");
    value->selectAll();
    typeText(value, twelveAndAHalf);
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    // A text that is no number leaves the value alone and is put right on leaving.
    typeText(value, QStringLiteral("x"));
    EXPECT_EQ(f.dataSet->choices.HypotheticalValue, 12.5L);
    Q_EMIT value->editingFinished();
    EXPECT_EQ(value->text(), twelveAndAHalf);
}

// What the dialogs list and edit is their own test; here their answers
// reach the choices and the page.
TEST(ChooseTestStep, SelectionDialogsChangeTheChoices)
{
    ChooseFixture f("plant_growth_mean_sem.OXD");
    ASSERT_EQ(f.enter(), ChooseTestPage::ThreeOrMoreColumns);
    f.page.setDialogRunner([](QDialog&) { return false; });  // Cancel changes nothing
    f.page.selectColumns();
    EXPECT_EQ(f.changes, 0);
    f.page.setDialogRunner([&](QDialog& dialog) {
        dynamic_cast<SelectColumnsDialog&>(dialog).list()->item(2)->setCheckState(Qt::Unchecked);
        return true;
    });
    f.get("selectColumnsButton")->click();
    EXPECT_EQ(f.page.currentPage(), ChooseTestPage::TwoColumns);
    EXPECT_FALSE(f.dataSet->choices.AllColumns || f.dataSet->table.isSelected(2));
    EXPECT_TRUE(f.dataSet->modified);
    EXPECT_EQ(f.get<QLabel>("analysedColumns")->text(), QStringLiteral("Columns analyzed: A: Control, B: Treatment 1"));
    f.get("allColumns")->click();
    EXPECT_EQ(f.page.currentPage(), ChooseTestPage::ThreeOrMoreColumns);
    EXPECT_TRUE(f.dataSet->choices.AllColumns);

    f.get<QComboBox>("postTestList")->setCurrentIndex(1);
    f.page.setDialogRunner([](QDialog& dialog) {
        dynamic_cast<SelectPairsDialog&>(dialog).deselectAllButton()->click();
        return true;
    });
    f.get("selectPairsButton")->click();
    EXPECT_FALSE(f.dataSet->choices.SelectedPairs[core::selectedPairIndex(0, 1)]);
    EXPECT_EQ(f.changes, 4);
}

TEST(ChooseTestStep, VariableListsOfMultipleRegression)
{
    ChooseFixture f("stack_loss_multiple_regression.OXD");
    ASSERT_EQ(f.enter(), ChooseTestPage::MultipleRegression);
    auto* dependent = f.get<QComboBox>("dependentList");
    auto* independent = f.get<QListWidget>("independentList");
    auto letters = [&] {
        QString text;
        for (int row = 0; row < independent->count(); ++row)
            text += independent->item(row)->text().left(1);
        return text;
    };
    EXPECT_EQ(letters(), QStringLiteral("BCD"));
    dependent->setCurrentIndex(1);
    EXPECT_EQ(f.dataSet->choices.DependentColumn, 1);
    EXPECT_EQ(letters(), QStringLiteral("ACD")) << "the dependent variable is never an X variable";
    const bool wasChecked = independent->item(1)->checkState() == Qt::Checked;
    independent->item(1)->setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
    EXPECT_EQ(f.dataSet->choices.IndependentColumns[2], !wasChecked);
    EXPECT_EQ(f.changes, 2);
    f.get("correlationMatrix")->click();
    EXPECT_TRUE(letters() == QStringLiteral("ABCD") && !dependent->isEnabled());
}

TEST(SelectColumnsDialog, ListsTheColumnsWithDataAndAppliesTheChecks)
{
    core::DataSet dataSet;
    typeColumn(dataSet, 0, {"1", "2"}, "Control");
    typeColumn(dataSet, 2, {"3", "4"});
    typeColumn(dataSet, 27, {"5"}, "Dose");
    analyses::UpdateColumnStatistics(dataSet.table);
    dataSet.table.selectAllColumnsWithData();
    SelectColumnsDialog dialog(dataSet.table);
    QStringList listed;
    for (const int row : {0, 1, 2}) {
        listed.append(dialog.list()->item(row)->text());
        dialog.list()->item(row)->setCheckState(Qt::Unchecked);
    }
    EXPECT_EQ(dialog.list()->count(), 3);
    EXPECT_EQ(listed.join(QStringLiteral("; ")), QStringLiteral("A: Control; C: ; AB: Dose"));
    EXPECT_FALSE(dialog.okButton()->isEnabled()) << "at least one column must be analysed";
    dialog.list()->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    dataSet.table.setSelected(5, true);  // no data: not listed, left alone
    EXPECT_TRUE(dialog.apply(dataSet.table));
    EXPECT_TRUE(!dataSet.table.isSelected(0) && dataSet.table.isSelected(2) && dataSet.table.isSelected(5));
    EXPECT_FALSE(dialog.apply(dataSet.table)) << "nothing left to change";
}

}  // namespace
}  // namespace ombrix::app::testing
