#include "analyses/linear_regression.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/accuracy.h"

namespace ombrix::analyses {
namespace {

// A NIST StRD regression file: the certified estimates and standard
// deviations by parameter name, the residual SD and R squared, and the
// (y, x) data after the "Data:" line.
struct Certified {
    std::map<std::string, std::pair<Real, Real>> parameters;
    Real residualSd = 0;
    Real rSquared = 0;
    std::vector<std::pair<Real, Real>> data;
};

Certified readStrd(const std::string& name)
{
    std::ifstream in(std::string(OMBRIX_TEST_DATA_DIR) + "/data/nist-strd/regression/" + name + ".dat");
    Certified c;
    std::string line;
    bool data = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first, second;
        words >> first;
        if (data) {
            Real y = 0, x = 0;
            std::istringstream values(line);
            if (values >> y >> x)
                c.data.push_back({y, x});
        } else if (first == "Data:" && line.find(" y ") != std::string::npos) {
            data = true;
        } else if (first.size() == 2 && first[0] == 'B' && std::isdigit(static_cast<unsigned char>(first[1]))) {
            Real estimate = 0, sd = 0;
            if (words >> estimate >> sd)
                c.parameters[first] = {estimate, sd};
        } else if (first == "Standard" && line.find("Deviation") != std::string::npos) {
            words >> second >> c.residualSd;
        } else if (first == "R-Squared") {
            words >> c.rSquared;
        }
    }
    return c;
}

// Norris (a line with intercept) and NoInt1, NoInt2 (through the origin):
// the certified values to at least 9 significant digits.
TEST(LinearRegressionNist, CertifiedValues)
{
    for (const char* name : {"Norris", "NoInt1", "NoInt2"}) {
        const Certified c = readStrd(name);
        ASSERT_FALSE(c.data.empty()) << name;
        const bool throughOrigin = c.parameters.count("B0") == 0;
        DataTable table;
        for (std::size_t i = 0; i < c.data.size(); ++i) {
            table.setValue(static_cast<int>(i), 0, c.data[i].second);
            table.setValue(static_cast<int>(i), 1, c.data[i].first);
        }
        LinearRegressionInput input;
        input.forceThroughPoint = throughOrigin;
        input.standardCurve = false;
        const LinearRegressionResult r = computeLinearRegression(table, input);
        ASSERT_EQ(r.errorCode, 0) << name;
        using ombrix::testing::logRelativeError;
        EXPECT_GE(logRelativeError(r.slope, c.parameters.at("B1").first), 9) << name;
        EXPECT_GE(logRelativeError(r.seSlope, c.parameters.at("B1").second), 9) << name;
        if (!throughOrigin) {
            EXPECT_GE(logRelativeError(r.intercept, c.parameters.at("B0").first), 9) << name;
            EXPECT_GE(logRelativeError(r.seIntercept, c.parameters.at("B0").second), 9) << name;
        }
        EXPECT_GE(logRelativeError(r.syx, c.residualSd), 9) << name;
        EXPECT_GE(logRelativeError(r.rSquared, c.rSquared), 9) << name;
    }
}

// The runs probability from log-binomials against the counts of R's
// choose() at small sizes (and, for 6 and 4, a listing of every order), and
// R's lchoose() at 600 points on each side, where the counts are beyond any
// integer type. The tolerance allows the rounding of the logarithms.
TEST(LinearRegression, RunsProbability)
{
    const struct {
        int above, below, runs;
        Real p;
    } cases[] = {
        {3, 3, 2, 0.1L},                    // 2 of 20 orders
        {5, 5, 3, 10.0L / 252},             // 10 of 252
        {6, 4, 5, 85.0L / 210},             // 85 of 210, also by listing the 210 orders
        {600, 600, 560, 0.0096432049076L},  // lchoose in R
        {600, 600, 600, 0.488490723893L},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(runsProbability(c.above, c.below, c.runs), c.p, 1e-6 * c.p + 1e-12)
            << c.above << " " << c.below << " " << c.runs;
}

}  // namespace
}  // namespace ombrix::analyses
