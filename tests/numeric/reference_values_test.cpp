// Every numeric function against its independent reference values: R, the
// published tables and hand calculations, one call a line in
// tests/data/numeric_reference.txt with its source and tolerance.

#include "numeric/critical_tables.h"
#include "numeric/probability.h"
#include "tools/range_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ombrix::numeric {
namespace {

using Arguments = std::vector<Real>;

Sides sides(Real code)
{
    return code == 1 ? Sides::One : Sides::Two;
}

// Building a statistic integrates its tail once; one per kind and size.
Real studentizedQuantile(const std::string& kind, const Arguments& a)
{
    static std::map<std::pair<std::string, int>, tools::StudentizedStatistic> built;
    const int size = int(a[0]);
    auto at = built.find({kind, size});
    if (at == built.end()) {
        std::function<Real(Real)> tail = [size](Real w) { return tools::rangeTail(size, w); };
        if (kind == "DunnettOneSidedQuantile")
            tail = [size](Real w) { return tools::dunnettOneSidedTail(size, w); };
        else if (kind == "DunnettTwoSidedQuantile")
            tail = [size](Real w) { return tools::dunnettTwoSidedTail(size, w); };
        at = built.emplace(std::pair{kind, size}, tools::StudentizedStatistic(tail)).first;
    }
    return at->second.quantile(int(a[1]), a[2]);
}

TEST(ReferenceValues, EveryFunctionMatchesItsSource)
{
    const std::map<std::string, std::function<Real(const Arguments&)>> functions = {
        {"TProbability", [](const Arguments& a) { return TProbability(int(a[0]), a[1]); }},
        {"FProbability", [](const Arguments& a) { return FProbability(int(a[0]), int(a[1]), a[2]); }},
        {"ChiSquareProbability", [](const Arguments& a) { return ChiSquareProbability(int(a[0]), a[1]); }},
        {"ZProbability", [](const Arguments& a) { return ZProbability(a[0]); }},
        {"GammaQ", [](const Arguments& a) { return GammaQ(a[0], a[1]); }},
        {"IncompleteBeta", [](const Arguments& a) { return IncompleteBeta(a[0], a[1], a[2]); }},
        {"LogGamma", [](const Arguments& a) { return LogGamma(a[0]); }},
        {"InverseT", [](const Arguments& a) { return InverseT(int(a[0]), a[1]); }},
        {"InverseF", [](const Arguments& a) { return InverseF(int(a[0]), int(a[1]), a[2]); }},
        {"InverseZ", [](const Arguments& a) { return InverseZ(a[0]); }},
        {"CriticalT95", [](const Arguments& a) { return CriticalT95(int(a[0])); }},
        {"critical_z", [](const Arguments& a) { return critical_z(int(a[0]), a[1]); }},
        {"QCritical", [](const Arguments& a) { return QCritical(int(a[0]), int(a[1]), a[2]); }},
        {"DunnettCritical",
         [](const Arguments& a) { return DunnettCritical(int(a[0]), int(a[1]), sides(a[2]), a[3]); }},
        {"DunnettCriticalInfinite",
         [](const Arguments& a) { return DunnettCriticalInfinite(int(a[0]), sides(a[1]), a[2]); }},
    };
    std::ifstream in(std::string(OMBRIX_TEST_DATA_DIR) + "/data/numeric_reference.txt");
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, scale;
        Real tolerance = 0, expected = 0;
        fields >> name >> scale >> tolerance >> expected;
        Arguments arguments;
        for (Real a; fields >> a;)
            arguments.push_back(a);
        const Real actual =
            functions.count(name) ? functions.at(name)(arguments) : studentizedQuantile(name, arguments);
        EXPECT_NEAR(actual, expected, scale == "rel" ? tolerance * std::fabs(expected) : tolerance) << line;
        ++checked;
    }
    EXPECT_GT(checked, 290);  // the whole file was read
}

}  // namespace
}  // namespace ombrix::numeric
