#include <QDialogButtonBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>

#include <map>
#include <set>

#include "app/about_dialog.h"
#include "app/data_exchange.h"
#include "app/help_window.h"
#include "tests/app/app_test_support.h"
#include "workflow/dispatcher.h"

namespace ombrix::app {
namespace {

using namespace ombrix::app::testing;

QStringList capturesOf(const QString& text, const QString& pattern)
{
    QStringList found;
    auto matches = QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption).globalMatch(text);
    while (matches.hasNext())
        found.append(matches.next().captured(1));
    return found;
}

TEST(GuideTest, EveryLinkResolvesAndEveryPageIsReachable)
{
    std::set<QString> listed;
    for (const HelpPage& page : helpPages())
        listed.insert(QLatin1String(page.file));
    std::set<QString> reached{QLatin1String(HelpContentsPage)};
    std::set<QString> examplesNamed;
    std::vector<QString> queue{QLatin1String(HelpContentsPage)};
    while (!queue.empty()) {
        const QString page = queue.back();
        queue.pop_back();
        const QString html = helpPageText(page);
        ASSERT_FALSE(html.isEmpty()) << page.toStdString();
        for (const QString& link : capturesOf(html, QStringLiteral("href=\"([^\"]*)\""))) {
            SCOPED_TRACE(page.toStdString() + " -> " + link.toStdString());
            if (link.startsWith(QLatin1String("example:"))) {
                const QString name = link.mid(8);
                examplesNamed.insert(name);
                EXPECT_TRUE(QFileInfo::exists(QStringLiteral(OMBRIX_EXAMPLES_DIR "/") + name + QLatin1String(".OXD")));
                const QByteArray text = exampleFileText(name);
                EXPECT_TRUE(workflow::openDocumentText(std::string_view(text.constData(), text.size())).dataSet);
                continue;
            }
            const QString target = link.section(QLatin1Char('#'), 0, 0);
            const QString anchor = link.section(QLatin1Char('#'), 1);
            const QString targetHtml = helpPageText(target);
            ASSERT_FALSE(targetHtml.isEmpty());
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(targetHtml.contains(QStringLiteral("name=\"%1\"").arg(anchor)));
            }
            if (target.endsWith(QLatin1String(".html")) && reached.insert(target).second) {
                EXPECT_TRUE(listed.count(target)) << "not in the contents list";
                queue.push_back(target);
            }
        }
    }
    EXPECT_EQ(reached, listed);
    // Every shipped page is listed, and every shipped example is offered.
    for (const QString& file : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}))
        EXPECT_TRUE(listed.count(file)) << file.toStdString();
    for (const QString& file : QDir(QStringLiteral(OMBRIX_EXAMPLES_DIR)).entryList({QStringLiteral("*.OXD")}))
        EXPECT_TRUE(examplesNamed.count(QFileInfo(file).baseName())) << file.toStdString();
}

// The report titles, as the reviewed golden reports show them.
const std::map<std::string, std::string> ReportTitleOfLink = {
    {"one_sample_t_test.html", "One sample t test"},
    {"wilcoxon_signed_rank.html", "Wilcoxon signed rank test"},
    {"unpaired_t_test.html", "Unpaired t test"},
    {"unpaired_t_test.html#welch", "Unpaired t test with Welch correction"},
    {"mann_whitney.html", "Mann-Whitney Test"},
    {"paired_t_test.html", "Paired t test"},
    {"wilcoxon_matched_pairs.html", "Wilcoxon matched-pairs signed-ranks test"},
    {"one_way_anova.html", "One-way Analysis of Variance (ANOVA)"},
    {"kruskal_wallis.html", "Kruskal-Wallis Test (Nonparametric ANOVA)"},
    {"repeated_measures_anova.html", "Repeated Measures Analysis of Variance"},
    {"friedman.html", "Friedman Test (Nonparametric Repeated Measures ANOVA)"},
    {"linear_regression.html", "Linear Regression"},
    {"pearson_correlation.html", "Linear Correlation"},
    {"spearman_correlation.html", "Spearman Rank Correlation"},
    {"two_by_two.html#fisher", "Fisher's Exact Test"},
    {"two_by_two.html#chi_square", "Chi-square Test"},
    {"larger_table.html", "Chi-squared Test for Independence"},
    {"multiple_regression.html", "Multiple Regression Results"},
    {"correlation_matrix.html", "Correlation Matrix Results"},
};

// Each format of the table's first column, as the example of that format.
const std::map<std::string, std::vector<const char*>> ExamplesOfFormat = {
    {"Raw data", {"plant_growth_three_groups.OXD"}},
    {"Raw or averaged data", {"plant_growth_three_groups.OXD", "light_speed_mean_sd.OXD", "plant_growth_mean_sem.OXD"}},
    {"X and Y", {"car_stopping_xy.OXD"}},
    {"Two rows, two columns", {"tea_tasting_2x2.OXD"}},
    {"Larger contingency table", {"hair_eye_colour_table.OXD"}},
    {"Y and 2 or more X variables", {"stack_loss_multiple_regression.OXD"}},
};

// A report line without its centring and its bold marks.
std::string plainLine(std::string_view line)
{
    std::string text(line);
    std::erase_if(text, [](unsigned char ch) { return ch < 0x20 || ch >= 0x80; });
    return QString::fromStdString(text).trimmed().toStdString();
}

void applyRow(core::DataSet& d, const QString& columns, const QString& design, const QString& gaussian)
{
    core::AnalysisChoices& c = d.choices;
    const bool nonParametric = gaussian == QLatin1String("No");
    c.OneColNonParametric = c.TwoColNonParametric = c.MultiColNonParametric = nonParametric;
    c.TwoColUnpaired = design.startsWith(QLatin1String("Unpaired"));
    c.TwoColEqualSD = design != QLatin1String("Unpaired, unequal SDs");
    c.OrdinaryAnova = design != QLatin1String("Matched rows");
    c.XYTest = design == QLatin1String("Fit a line") ? core::XYTest::LinearRegression
               : nonParametric                       ? core::XYTest::Spearman
                                                     : core::XYTest::Pearson;
    c.DoRegression = c.XYTest == core::XYTest::LinearRegression;
    c.TwoByTwoTest =
        design == QLatin1String("Exact P value") ? core::TwoByTwoTest::Fisher : core::TwoByTwoTest::ChiSquare;
    c.MultRegAnalysis = design == QLatin1String("Predict Y from the X variables");
    const int wanted = columns == QLatin1String("1") ? 1 : columns == QLatin1String("2") ? 2 : core::TableColumns;
    c.AllColumns = wanted == core::TableColumns;
    for (int column = 0; column < core::TableColumns; ++column)
        d.table.setSelected(column, column < wanted);
    d.markChanged();
}

TEST(GuideTest, DecisionTableAgreesWithTheAnalysisRun)
{
    const QString html = helpPageText(QLatin1String(ChoosingTestPage));
    const QStringList rows = capturesOf(html, QStringLiteral("<tr>(<td>.*?)</tr>"));
    ASSERT_EQ(rows.size(), 19);
    for (const QString& row : rows) {
        QStringList cells = capturesOf(row, QStringLiteral("<td>(.*?)</td>"));
        ASSERT_EQ(cells.size(), 5) << row.toStdString();
        const QString link = capturesOf(cells[4], QStringLiteral("href=\"([^\"]*)\"")).value(0);
        const std::string format = cells[0].toStdString();
        ASSERT_TRUE(ExamplesOfFormat.count(format) && ReportTitleOfLink.count(link.toStdString())) << row.toStdString();
        for (const char* example : ExamplesOfFormat.at(format)) {
            SCOPED_TRACE(row.toStdString() + " on " + example);
            std::unique_ptr<core::DataSet> dataSet = openExample(example);
            applyRow(*dataSet, cells[1], cells[2], cells[3]);
            analyses::ResultsBuffer results;
            analyses::RegressionForGraph regression;
            FakeClock clock;
            workflow::CalculationProgress progress{clock};
            workflow::CalculationTarget target{results, regression, progress, nullptr};
            ASSERT_EQ(workflow::Calculate(*dataSet, target), workflow::CalculateOutcome::Calculated);
            bool titled = false;
            for (int line = 0; line < results.lineCount(); ++line)
                titled |= plainLine(results.line(line)) == ReportTitleOfLink.at(link.toStdString());
            EXPECT_TRUE(titled) << results.text();
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
    ASSERT_NE(form, nullptr);
    auto* f1 = mainForm->findChild<QShortcut*>();
    ASSERT_TRUE(f1 && f1->key() == QKeySequence(Qt::Key_F1));
    const std::pair<Step, const char*> expected[] = {
        {Step::DataFormat, "data_formats.html"},       {Step::EnterData, "entering_data.html#raw"},
        {Step::ColumnStats, "column_statistics.html"}, {Step::ChooseTest, "choosing_a_test.html"},
        {Step::Results, "paired_t_test.html"},         {Step::Graph, "graphs.html"},
    };
    for (const auto& [step, page] : expected) {
        ASSERT_TRUE(form->goToStep(step));
        Q_EMIT f1->activated();
        ASSERT_NE(helpWindow(), nullptr);
        EXPECT_EQ(helpWindow()->currentPage().toStdString(), page);
        const QListWidgetItem* listed = helpWindow()->contentsList()->currentItem();
        ASSERT_NE(listed, nullptr);
        EXPECT_EQ(listed->data(Qt::UserRole).toString(), QString::fromUtf8(page).section(QLatin1Char('#'), 0, 0));
    }
}

TEST_F(HelpWindowTest, ExampleLinkOpensAnUntitledDocumentInPlaceOfAnEmptyOne)
{
    mainForm->newDocument();
    HelpWindow* help = showHelpPage(mainForm.get(), QStringLiteral("two_by_two.html"));
    help->browser()->setSource(QUrl(QStringLiteral("example:tea_tasting_2x2")));
    help->browser()->setSource(QUrl(QStringLiteral("example:no_such_example")));
    EXPECT_EQ(help->currentPage().toStdString(), "two_by_two.html");
    ASSERT_EQ(mainForm->documents().size(), 1);
    const TAnalysisForm* opened = mainForm->documents().front();
    EXPECT_EQ(opened->dataSet().table.title(), "Lady tasting tea");
    EXPECT_TRUE(opened->hasDefaultName());
}

TEST_F(HelpWindowTest, ImportHelpButtonAndSearch)
{
    core::TextTable source;
    ImportDialog dialog(source, QStringLiteral("values.txt"), mainForm.get());
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    ASSERT_NE(helpWindow(), nullptr);
    EXPECT_EQ(helpWindow()->currentPage().toStdString(), ImportHelpPage);

    QListWidget* list = helpWindow()->contentsList();
    EXPECT_EQ(list->count(), static_cast<int>(helpPages().size()));
    helpWindow()->search(QStringLiteral("dunn friedman"));
    QStringList found;
    for (int i = 0; i < list->count(); ++i)
        found.append(list->item(i)->data(Qt::UserRole).toString());
    EXPECT_TRUE(found.contains(QLatin1String("friedman.html")));
    EXPECT_FALSE(found.contains(QLatin1String("linear_regression.html")));
}

TEST(AboutTest, NamesVersionAndBothLicences)
{
    const QString text = aboutText();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Ombrix \\d+\\.\\d+"))));
    EXPECT_TRUE(text.contains(QLatin1String("GNU General Public License, version 3 or later")));
    EXPECT_TRUE(text.contains(QLatin1String(qVersion())));
    EXPECT_TRUE(text.contains(QLatin1String("GNU Lesser General Public License")));
}

}  // namespace
}  // namespace ombrix::app
