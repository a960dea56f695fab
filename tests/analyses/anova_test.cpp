#include "analyses/anova.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"
#include "analyses/report_chars.h"
#include "core/cell_entry.h"
#include "core/data_set.h"
#include "tests/support/accuracy.h"

namespace ombrix::analyses {
namespace {

// NIST StRD one-way ANOVA sets, certified to 15 digits. SmLs07-09 hold values
// like 1000000000000.4: stored in 80 bits each is off by up to 6e-8, which
// bounds their sums of squares (about 0.1 per value) to 6 digits; the others
// must keep 10.
TEST(OneWayAnovaNist, CertifiedSumsOfSquaresMeanSquaresAndF)
{
    const std::string dir = std::string(OMBRIX_TEST_DATA_DIR) + "/data/nist-strd/anova/";
    const auto lre = ombrix::testing::logRelativeError;
    for (const auto& [name, minimumLre] : {std::pair{"SiRstv", 10.0},
                                           {"AtmWtAg", 10.0},
                                           {"SmLs01", 10.0},
                                           {"SmLs02", 10.0},
                                           {"SmLs03", 10.0},
                                           {"SmLs04", 10.0},
                                           {"SmLs05", 10.0},
                                           {"SmLs06", 10.0},
                                           {"SmLs07", 5.5},
                                           {"SmLs08", 5.5},
                                           {"SmLs09", 5.5}}) {
        std::ifstream in(dir + name + "t.dat");
        // Between: df SS MS F; within: df SS MS.
        std::vector<Real> between, within;
        auto dataSet = std::make_unique<core::DataSet>();
        bool inData = false;
        int row = 0, columns = 0;
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string word;
            if (line.rfind("Between ", 0) == 0 || line.rfind("Within ", 0) == 0) {
                std::vector<Real>& certified = line[0] == 'B' ? between : within;
                for (words >> word >> word; words >> word;)
                    certified.push_back(std::strtold(word.c_str(), nullptr));
            } else if (line.rfind("Data:", 0) == 0 && line.find("Factor") == std::string::npos) {
                inData = true;
            } else if (inData && line.find('.') != std::string::npos) {
                for (columns = 0; words >> word; ++columns)
                    core::enterCellText(*dataSet, row, columns, word, '.', nullptr);
                ++row;
            }
        }
        ASSERT_EQ(between.size(), 4u) << name;
        ASSERT_EQ(within.size(), 3u) << name;
        ASSERT_GT(row, 0) << name;
        UpdateColumnStatistics(dataSet->table);
        std::vector<core::ColumnRecord> records;
        for (int c = 0; c < columns; ++c)
            records.push_back(dataSet->table.column(c));
        const OneWayAnovaResult anova = oneWayAnova(records);
        ASSERT_EQ(anova.errorCode, 0) << name;
        EXPECT_EQ(anova.sums.dfTreatment, static_cast<int>(between[0])) << name;
        EXPECT_EQ(anova.sums.dfResidual, static_cast<int>(within[0])) << name;
        const double digits[] = {lre(anova.sums.ssTreatment, between[1]), lre(anova.msTreatment, between[2]),
                                 lre(anova.f, between[3]), lre(anova.sums.ssResidual, within[1]),
                                 lre(anova.sums.msResidual, within[2])};
        std::cout << name << ": LRE SS, MS, F between " << digits[0] << ", " << digits[1] << ", " << digits[2]
                  << "; SS, MS within " << digits[3] << ", " << digits[4] << '\n';
        for (const double d : digits)
            EXPECT_GE(d, minimumLre) << name;
    }
}

// The calculation never sends two columns here (they get a t test), but the
// report keeps its two-column form: Student's sleep data as two independent
// groups give F = t^2 = 1.8608^2 and the t test's two-tailed P 0.0792
// (R: t.test(extra ~ group, sleep, var.equal = TRUE)).
TEST(OneWayAnova, TwoColumnsReadAsAnUnpairedTTest)
{
    const char* drug1[] = {"0.7", "-1.6", "-0.2", "-1.2", "-0.1", "3.4", "3.7", "0.8", "0.0", "2.0"};
    const char* drug2[] = {"1.9", "0.8", "1.1", "0.1", "-0.1", "4.4", "5.5", "1.6", "4.6", "3.4"};
    auto dataSet = std::make_unique<core::DataSet>();
    for (int row = 0; row < 10; ++row) {
        core::enterCellText(*dataSet, row, 0, drug1[row], '.', nullptr);
        core::enterCellText(*dataSet, row, 1, drug2[row], '.', nullptr);
    }
    UpdateColumnStatistics(dataSet->table);
    DataTable table = dataSet->table;
    table.selectAllColumnsWithData();
    table.setAnalysisMode(true);
    table.buildColumnMap();
    MultiColumnTestInput input;
    input.postTestState = core::PostTestState::None;
    ResultsBuffer out;
    SilentProgress progress;
    ASSERT_EQ(MultiColumnTest(table, input, out, progress), 0);
    const std::string report = stripMarks(out.text());
    EXPECT_NE(report.find("The two-tailed P value is 0.0792"), std::string::npos) << report;
    EXPECT_NE(report.find("Because there are only two columns, this ANOVA is identical to\r\n"
                          "an unpaired two tailed t test."),
              std::string::npos);
    EXPECT_NE(report.find("F = 3.463"), std::string::npos);
}

}  // namespace
}  // namespace ombrix::analyses
