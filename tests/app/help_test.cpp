#include <QDialogButtonBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>

#include <map>
#include <set>

#include "app/data_exchange.h"
#include "app/help_window.h"
#include "tests/app/app_test_support.h"
#include "workflow/dispatcher.h"

namespace ombrix::app {
namespace {

using namespace ombrix::app::testing;

QStringList capturesOf(const QString& text, const char* pattern)
{
    QStringList found;
    auto matches =
        QRegularExpression(QLatin1String(pattern), QRegularExpression::DotMatchesEverythingOption).globalMatch(text);
    while (matches.hasNext())
        found.append(matches.next().captured(1));
    return found;
}

TEST(GuideTest, EveryLinkResolvesAndEveryPageIsReachable)
{
    std::set<QString> listed, reached{QLatin1String(HelpContentsPage)}, examples;
    for (const HelpPage& page : helpPages())
        listed.insert(QLatin1String(page.file));
    std::vector<QString> queue{QLatin1String(HelpContentsPage)};
    while (!queue.empty()) {
        const QString page = helpPageText(queue.back());
        queue.pop_back();
        for (const QString& link : capturesOf(page, "href=\"([^\"]*)\"")) {
            SCOPED_TRACE(link.toStdString());
            if (link.startsWith(QLatin1String("example:"))) {
                examples.insert(link.mid(8));
                const QByteArray text = exampleFileText(link.mid(8));
                EXPECT_TRUE(workflow::openDocumentText(std::string_view(text.constData(), text.size())).dataSet);
                continue;
            }
            const QString target = link.section(QLatin1Char('#'), 0, 0), html = helpPageText(target);
            const QString anchor = QStringLiteral("name=\"%1\"").arg(link.section(QLatin1Char('#'), 1));
            EXPECT_TRUE(!html.isEmpty() && (!link.contains(QLatin1Char('#')) || html.contains(anchor)));
            if (target.endsWith(QLatin1String(".html")) && reached.insert(target).second)
                queue.push_back(target);
        }
    }
    EXPECT_EQ(reached, listed);
    // Every shipped page is listed, and every example is offered by the guide.
    for (const QString& file : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}))
        EXPECT_TRUE(listed.count(file)) << file.toStdString();
    for (const QFileInfo& file : QDir(QStringLiteral(OMBRIX_EXAMPLES_DIR)).entryInfoList({QStringLiteral("*.OXD")}))
        EXPECT_TRUE(examples.count(file.baseName())) << file.fileName().toStdString();
}

// The data of each format of the table, from the examples of that format.
const std::map<std::string, std::vector<const char*>> ExamplesOfFormat = {
    {"Raw data", {"plant_growth_three_groups.OXD"}},
    {"Raw or averaged data", {"plant_growth_three_groups.OXD", "light_speed_mean_sd.OXD", "plant_growth_mean_sem.OXD"}},
    {"X and Y", {"car_stopping_xy.OXD"}},
    {"Two rows, two columns", {"tea_tasting_2x2.OXD"}},
    {"Larger contingency table", {"hair_eye_colour_table.OXD"}},
    {"Y and 2 or more X variables", {"stack_loss_multiple_regression.OXD"}},
};

// Makes the choices a row of the table names, in the words of the table.
void chooseAsRowSays(core::DataSet& d, const QString& columns, const QString& design, const QString& gaussian)
{
    core::AnalysisChoices& c = d.choices;
    const bool nonParametric = c.OneColNonParametric = c.TwoColNonParametric = c.MultiColNonParametric =
        gaussian == QLatin1String("No");
    c.TwoColUnpaired = design.startsWith(QLatin1String("Unpaired"));
    c.TwoColEqualSD = design != QLatin1String("Unpaired, unequal SDs");
    c.OrdinaryAnova = design != QLatin1String("Matched rows");
    c.DoRegression = design == QLatin1String("Fit a line");
    using X = core::XYTest;
    c.XYTest = c.DoRegression ? X::LinearRegression : (nonParametric ? X::Spearman : X::Pearson);
    using T = core::TwoByTwoTest;
    c.TwoByTwoTest = design == QLatin1String("Exact P value") ? T::Fisher : T::ChiSquare;
    c.MultRegAnalysis = design == QLatin1String("Predict Y from the X variables");
    c.AllColumns = columns == QLatin1String("3 or more");
    for (int column = 0; column < core::TableColumns; ++column)
        d.table.setSelected(column, c.AllColumns || column < columns.toInt());
    d.markChanged();
}

TEST(GuideTest, DecisionTableAgreesWithTheAnalysisRun)
{
    const QStringList rows = capturesOf(helpPageText(QLatin1String(ChoosingTestPage)), "<tr>(<td>.*?)</tr>");
    ASSERT_EQ(rows.size(), 19);
    for (const QString& row : rows) {
        const QStringList cells = capturesOf(row, "<td>(.*?)</td>");
        const QString link = capturesOf(row, "href=\"([^\"]*)\"").value(0);
        const QString title = capturesOf(row, "\">(.*?)</a>").value(0);
        ASSERT_EQ(cells.size(), 5);
        for (const char* example : ExamplesOfFormat.at(cells[0].toStdString())) {
            SCOPED_TRACE(row.toStdString() + " on " + example);
            std::unique_ptr<core::DataSet> dataSet = openExample(example);
            chooseAsRowSays(*dataSet, cells[1], cells[2], cells[3]);
            analyses::ResultsBuffer results;
            analyses::RegressionForGraph regression;
            FakeClock clock;
            workflow::CalculationProgress progress{clock};
            workflow::CalculationTarget target{results, regression, progress, nullptr};
            ASSERT_EQ(workflow::Calculate(*dataSet, target), workflow::CalculateOutcome::Calculated);
            // The title alone on its line, between its centring blanks and bold marks.
            const QRegularExpression titleLine(
                QStringLiteral("\\n[^\\w\\n]*%1[^\\w\\n]*\\n").arg(QRegularExpression::escape(title)));
            EXPECT_TRUE(QString::fromStdString(std::string(results.text())).contains(titleLine)) << results.text();
            // F1 at the results step explains the analysis that ran.
            EXPECT_EQ(analysisHelpPage(*dataSet).toStdString(), link.section(QLatin1Char('#'), 0, 0).toStdString());
        }
    }
}

class HelpWindowTest : public ShellTest {
protected:
    HelpWindow* helpWindow() const { return mainForm->findChild<HelpWindow*>(); }
};

TEST_F(HelpWindowTest, F1OpensThePageOfEachStep)
{
    TAnalysisForm* form = mainForm->openFileByName(example("sleep_paired.OXD"));
    auto* f1 = mainForm->findChild<QShortcut*>();
    ASSERT_TRUE(form && f1 && f1->key() == QKeySequence(Qt::Key_F1));
    const std::pair<Step, std::string> expected[] = {
        {Step::DataFormat, "data_formats.html"},       {Step::EnterData, "entering_data.html#raw"},
        {Step::ColumnStats, "column_statistics.html"}, {Step::ChooseTest, "choosing_a_test.html"},
        {Step::Results, "paired_t_test.html"},         {Step::Graph, "graphs.html"},
    };
    for (const auto& [step, page] : expected) {
        ASSERT_TRUE(form->goToStep(step));
        Q_EMIT f1->activated();
        EXPECT_EQ(helpWindow()->currentPage().toStdString(), page);
        const QListWidgetItem* listed = helpWindow()->contentsList()->currentItem();
        EXPECT_EQ(listed ? listed->data(Qt::UserRole).toString().toStdString() : "none",
                  page.substr(0, page.find('#')));
    }
}

TEST_F(HelpWindowTest, ImportHelpExampleLinkAndSearch)
{
    mainForm->newDocument();
    core::TextTable source;
    ImportDialog dialog(source, QStringLiteral("values.txt"), mainForm.get());
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    EXPECT_EQ(helpWindow()->currentPage().toStdString(), ImportHelpPage);

    // An example opens in place of the empty document, untitled; the page stays.
    helpWindow()->browser()->setSource(QUrl(QStringLiteral("example:tea_tasting_2x2")));
    helpWindow()->browser()->setSource(QUrl(QStringLiteral("example:no_such_example")));
    EXPECT_EQ(helpWindow()->currentPage().toStdString(), ImportHelpPage);
    ASSERT_EQ(mainForm->documents().size(), 1);
    EXPECT_EQ(mainForm->documents().front()->dataSet().table.title(), "Lady tasting tea");
    EXPECT_TRUE(mainForm->documents().front()->hasDefaultName());

    // Only the post tests and the Friedman test speak of both.
    QListWidget* list = helpWindow()->contentsList();
    helpWindow()->search(QStringLiteral("dunn friedman"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toString(), QLatin1String("post_tests.html"));
    EXPECT_EQ(list->item(1)->data(Qt::UserRole).toString(), QLatin1String("friedman.html"));
}

}  // namespace
}  // namespace ombrix::app
