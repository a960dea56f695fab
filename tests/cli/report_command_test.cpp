#include "cli/report_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/oxd_file.h"
#include "core/text_import.h"
#include "graphs/chart_model.h"
#include "tests/support/golden_file.h"
#include "workflow/document_io.h"

namespace ombrix::cli {
namespace {

const std::string Examples = OMBRIX_EXAMPLES_DIR;

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> args)
{
    workflow::SteadyClock clock;
    std::ostringstream out, err;
    const int status = runReportCommand(args, out, err, clock, nullptr);
    return {status, out.str(), err.str()};
}

// The examples are the golden data files: reading one and writing it again
// gives the same bytes, for every format. The file is compared as read: the
// statistics a recomputation would write may differ in their last digits
// from one optimiser to another.
TEST(Examples, ReadAndWrittenAgainByteForByte)
{
    const std::vector<std::string> names = testing::dataFileNames(Examples);
    ASSERT_GE(names.size(), 7u);
    std::set<core::DataFormat> formats;
    for (const std::string& name : names) {
        const std::string path = Examples + "/" + name + ".OXD";
        core::OpenResult opened = core::openDataFile(path);
        ASSERT_TRUE(opened.dataSet) << name << ": " << opened.message;
        formats.insert(opened.dataSet->format);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(core::writeDataSetText(*opened.dataSet), std::string(std::istreambuf_iterator<char>(in), {})) << name;
    }
    EXPECT_EQ(formats.size(), 7u);
}

// Each example as it is, then some with other tests chosen on the command
// line, and the column statistics grid of two.
TEST(Examples, ReportsAsTheResultsStepShowsThem)
{
    struct Case {
        std::string file;
        std::vector<std::string> options;
        std::string golden;
    };
    std::vector<Case> cases = {
        {"sleep_paired", {"--set", "TwoColNonParametric=1"}, "sleep_wilcoxon_matched_pairs"},
        {"sleep_paired", {"--set", "TwoColUnpaired=1"}, "sleep_unpaired_t"},
        {"sleep_paired",
         {"--set", "TwoColUnpaired=1", "--set", "TwoColEqualSD=0", "--set", "TwoColTwoSided=0"},
         "sleep_welch_one_tailed"},
        {"sleep_paired", {"--set", "TwoColUnpaired=1", "--set", "TwoColNonParametric=1"}, "sleep_mann_whitney"},
        {"plant_weight_one_column", {"--set", "OneColNonParametric=1"}, "plant_weight_wilcoxon"},
        {"car_stopping_xy", {"--set", "DoRegression=0", "--set", "XYTest=1"}, "car_stopping_pearson"},
        {"car_stopping_xy",
         {"--set", "RunsTest=1", "--set", "StandardCurve=0", "--set", "ForceThroughPoint=1"},
         "car_stopping_forced_runs"},
        {"car_stopping_xy", {"--set", "DoRegression=0", "--set", "XYTest=2"}, "car_stopping_spearman"},
        {"plant_growth_mean_sem", {"--set", "AllColumns=0", "--select", "A,C"}, "plant_growth_selected_unpaired"},
        {"plant_growth_three_groups", {"--set", "PostTestPairs=2"}, "plant_growth_dunn_versus_control"},
        {"rounding_times_matched",
         {"--set", "PostTestPairs=2", "--set", "PostTestState=0"},
         "rounding_times_versus_control"},
        {"tea_tasting_2x2",
         {"--set", "TwoByTwoTest=1", "--set", "TwoByTwoYates=0", "--set", "TwoByTwoSensitivity=1"},
         "tea_tasting_chi_square"},
        {"stack_loss_multiple_regression",
         {"--set", "MultRegAnalysis=0", "--set", "IndependentColumns=A,B,C,D"},
         "stack_loss_correlation_matrix"},
        {"stack_loss_multiple_regression",
         {"--set", "DependentColumn=B", "--set", "IndependentColumns=C"},
         "stack_loss_air_flow_on_water_temperature"},
        {"sleep_paired", {"--stats"}, "sleep_paired_stats"},
        {"light_speed_mean_sd", {"--stats"}, "light_speed_mean_sd_stats"},
    };
    for (const std::string& name : testing::dataFileNames(Examples))
        cases.push_back({name, {}, name});
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.push_back(Examples + "/" + c.file + ".OXD");
        const CommandRun r = run(args);
        EXPECT_EQ(r.status, ExitReport) << c.golden << r.err;
        EXPECT_TRUE(r.err.empty()) << c.golden;
        EXPECT_EQ(r.out.find('\x80'), std::string::npos) << c.golden;  // no marks
        EXPECT_TRUE(testing::matchesGolden(r.out, "cli/" + c.golden + ".txt")) << c.golden;
    }
}

TEST(ReportCommand, CommandLineProblemsExitWithTwo)
{
    const std::string sleep = Examples + "/sleep_paired.OXD";
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no data file given"},
        {{"--bogus", sleep}, "unknown option '--bogus'"},
        {{sleep, sleep}, "only one data file"},
        {{"--set"}, "--set needs NAME=VALUE"},
        {{"--set", "TwoColUnpaired", sleep}, "--set needs NAME=VALUE"},
        {{"--set", "NoSuchChoice=1", sleep}, "unknown choice 'NoSuchChoice'"},
        {{"--set", "TwoColUnpaired=2", sleep}, "TwoColUnpaired expects 0 or 1"},
        {{"--set", "PostTestMethod=7", sleep}, "PostTestMethod expects a whole number from 0 to 4"},
        {{"--set", "IndependentColumns=B,?", sleep}, "'?' is not a column letter"},
        {{"--set", "SelectedPairs=A-Q", sleep}, "is not a pair of two analysed columns"},
        {{"--select", "A,BZ", sleep}, "'BZ' is not a column letter"},
        {{"--select", "A,C", sleep}, "column C holds no data"},
        {{"--select", sleep}, "--select needs column letters"},
        {{"--set", sleep}, "--set needs NAME=VALUE"},
        {{"--save", "", sleep}, "--save needs a file name"},
        {{"--set", "TwoColSecond=A", sleep},
         "TwoColSecond follows from the selected columns; choose them with --select"},
        {{"--set", "OneColColumn=B", sleep}, "OneColColumn follows from the selected columns"},
        {{"--set", "DependentColumn=C", sleep}, "DependentColumn names column C, which holds no data"},
        {{"--graph", "out.jpg", sleep}, "--graph needs a file name ending in .svg, .png or .pdf"},
        {{"--graph", "out.svg", sleep}, "this build draws no pictures"},  // no writer given
        {{"/no/such/file.OXD"}, "No such file or directory"},
        {{"--decimal-separator", ";", sleep}, "--decimal-separator needs '.' or ','"},
        {{"--export-data", sleep}, "--export-data needs a file name"},
    };
    for (const auto& c : cases) {
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.status, ExitFailure) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

// --graph hands the writer the graph of the data set as calculated (the XY
// example's fit gives the line and band), prints the report all the same,
// and a writer's failure is exit 2.
TEST(ReportCommand, GraphGoesToTheWriterAfterTheCalculation)
{
    std::vector<std::string> written;
    std::size_t seriesCount = 0;
    std::string failure;
    DocumentWriters writer;
    writer.graph = [&](const graphs::Chart& chart, const std::string& path) {
        written.push_back(path + " " + chart.title.at(0));
        seriesCount = chart.series.size();
        return failure;
    };
    workflow::SteadyClock clock;
    std::ostringstream out, err;
    const std::string xy = Examples + "/car_stopping_xy.OXD";
    EXPECT_EQ(runReportCommand({"--graph", "fit.PNG", xy}, out, err, clock, nullptr, nullptr, '.', writer), ExitReport);
    EXPECT_EQ(written, std::vector<std::string>{"fit.PNG Speed and stopping distance of cars"});
    EXPECT_EQ(seriesCount, 4u);  // points, line and the two edges of the band
    EXPECT_NE(out.str().find("Linear regression"), std::string::npos);

    std::ostringstream statsOut;
    EXPECT_EQ(
        runReportCommand({"--stats", "--graph", "fit.svg", xy}, statsOut, err, clock, nullptr, nullptr, '.', writer),
        ExitReport);
    EXPECT_EQ(seriesCount, 4u);
    EXPECT_EQ(statsOut.str().find("Linear regression"), std::string::npos);

    failure = "Permission denied";
    std::ostringstream failedErr;
    EXPECT_EQ(runReportCommand({"--graph", "fit.pdf", xy}, out, failedErr, clock, nullptr, nullptr, '.', writer),
              ExitFailure);
    EXPECT_NE(failedErr.str().find("fit.pdf: Permission denied"), std::string::npos);
}

TEST(ReportCommand, HelpAndVersion)
{
    for (const char* option : {"--help", "--version"})
        EXPECT_EQ(run({option}).status, ExitReport) << option;
    EXPECT_EQ(run({"--help"}).out.rfind("Usage: ombrix-report", 0), 0u);
}

class ReportFiles : public ::testing::Test {
protected:
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("ombrix-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(ReportFiles, MessagesAndWarnings)
{
    auto empty = std::make_unique<core::DataSet>();
    ASSERT_TRUE(core::saveDataSet(*empty, (dir / "empty.OXD").string()).ok);
    std::ofstream rows(dir / "rows.OXD", std::ios::binary);
    rows << "x\r\n3.00\r\n1\r\n\r\n\r\n\r\n\r\n";
    for (int r = 0; r <= core::MaxFileRows; ++r)
        rows << r << ",\r\n";
    rows.close();
    const struct {
        std::string file;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {(dir / "empty.OXD").string(), ExitMessage, "\nUntil you enter data, you won't see any results!\n\n", ""},
        {std::string(OMBRIX_TEST_DATA_DIR) + "/fixtures/reports/t_test_paired_zero_sd.OXD", ExitMessage,
         "The t test cannot be performed", ""},
        {(dir / "rows.OXD").string(), ExitReport, "9999 degrees of freedom", core::TooManyRowsMessage},
    };
    for (const auto& c : cases) {
        const CommandRun r = run({c.file});
        EXPECT_EQ(r.status, c.status) << c.file;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.file;
    }
}

TEST_F(ReportFiles, SaveKeepsTheChangedChoices)
{
    const std::string out = (dir / "changed.OXD").string();
    const CommandRun r = run({"--set", "TwoColUnpaired=1", "--set", "TwoColEqualSD=0", "--select", "A,B", "--save", out,
                              Examples + "/sleep_paired.OXD"});
    EXPECT_EQ(r.status, ExitReport) << r.err;
    core::OpenResult back = core::openDataFile(out);
    ASSERT_TRUE(back.dataSet);
    EXPECT_TRUE(back.dataSet->choices.TwoColUnpaired);
    EXPECT_FALSE(back.dataSet->choices.TwoColEqualSD);
    EXPECT_FALSE(back.dataSet->choices.AllColumns);
    EXPECT_EQ(back.dataSet->table.value(9, 1), 3.4L);

    const CommandRun failed =
        run({"--save", (dir / "no" / "such" / "dir.OXD").string(), Examples + "/sleep_paired.OXD"});
    EXPECT_EQ(failed.status, ExitFailure);
    EXPECT_NE(failed.err.find("No such file or directory"), std::string::npos);
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(ReportFiles, TextFilesAreImported)
{
    std::string tooMany = "Count\n";
    for (int i = 1; i <= core::MaxImportRows + 1; ++i)
        tooMany += std::to_string(i % 2) + "\n";
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> options;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {"binary.dat", std::string("1\t2\n\0\0", 6), {}, ExitFailure, "", core::NotTextFileMessage},
        {"lower.oxd", "Time,Dose\n1,2\n", {}, ExitFailure, "", core::NotADataFileMessage},
        // Means by hand: (1 + 3) / 2 and 4 alone; NA and "-" are blank.
        {"blanks.TXT",
         "Trial\nA\tB\n1\t-\n3\tNA\n\t4\n",
         {"--stats"},
         ExitReport,
         "\tA\tB\n\t\t\nMean\t2\t4\n",
         "2 fields were not a number"},
        {"rows.csv", tooMany, {"--stats"}, ExitReport, "Sample size (N)\t10000\n", core::TooManyImportRowsMessage},
        {"comma.csv", "1;2,5\n3;4,5\n", {"--stats", "--decimal-separator", ","}, ExitReport, "Mean\t2\t3.5\n", ""},
        {"empty.txt", "Nothing here\n", {}, ExitMessage, "Until you enter data", ""},
    };
    for (const auto& c : cases) {
        std::ofstream(dir / c.name, std::ios::binary) << c.content;
        std::vector<std::string> args = c.options;
        args.push_back((dir / c.name).string());
        const CommandRun r = run(args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << c.name << ": " << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << ": " << r.err;
    }
}

// An example exported as text and imported again has the same titles and
// the same numbers: its statistics grid is the same line for line.
TEST_F(ReportFiles, ExportedDataImportAgain)
{
    const std::string sleep = Examples + "/sleep_paired.OXD";
    const CommandRun original = run({"--stats", sleep});
    ASSERT_EQ(original.status, ExitReport);
    const struct {
        const char* name;
        const char* separator;
        const char* firstLines;
    } cases[] = {
        {"sleep.TXT", ".", "Student's sleep data\r\nDrug 1\tDrug 2\r\n0.7\t1.9\r\n"},
        {"sleep.csv", ".", "Student's sleep data\r\nDrug 1,Drug 2\r\n0.7,1.9\r\n"},
        {"sleep_comma.csv", ",", "Student's sleep data\r\nDrug 1;Drug 2\r\n0,7;1,9\r\n"},
    };
    for (const auto& c : cases) {
        const std::string exported = (dir / c.name).string();
        ASSERT_EQ(run({"--decimal-separator", c.separator, "--export-data", exported, sleep}).status, ExitReport);
        EXPECT_EQ(readAll(exported).rfind(c.firstLines, 0), 0u) << readAll(exported);
        const CommandRun imported = run({"--decimal-separator", c.separator, "--stats", exported});
        EXPECT_EQ(imported.out, original.out) << c.name;
        EXPECT_EQ(imported.err, "") << c.name;
    }
    const CommandRun report = run({(dir / "sleep.TXT").string()});
    EXPECT_EQ(report.out.rfind("Student's sleep data\n", 0), 0u) << report.out;
}

TEST_F(ReportFiles, ReportExportedLineByLine)
{
    const std::string out = (dir / "report.txt").string();
    const CommandRun r = run({"--export-report", out, Examples + "/sleep_paired.OXD"});
    ASSERT_EQ(r.status, ExitReport);
    std::string expected;
    for (const char c : r.out)
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(readAll(out), expected);
    EXPECT_EQ(run({"--export-report", (dir / "no" / "dir.txt").string(), Examples + "/sleep_paired.OXD"}).status,
              ExitFailure);
}

}  // namespace
}  // namespace ombrix::cli
