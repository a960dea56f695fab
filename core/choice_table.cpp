#include "core/choice_table.h"

#include <array>
#include <type_traits>

#include "core/data_table.h"

namespace ombrix::core {

namespace {

template <auto Member> int getMember(const AnalysisChoices& c)
{
    return static_cast<int>(c.*Member);
}

template <auto Member> void setMember(AnalysisChoices& c, int value)
{
    using Field = std::remove_cvref_t<decltype(c.*Member)>;
    c.*Member = static_cast<Field>(value);
}

template <auto Member>
constexpr ChoiceDescriptor flag(const char* name, ChoiceGroup group, ChoiceLine line, const char* meaning)
{
    return {name, ChoiceKind::Flag, group, line, 0, 1, {}, meaning, false, &getMember<Member>, &setMember<Member>};
}

template <auto Member>
constexpr ChoiceDescriptor named(const char* name, ChoiceGroup group, std::span<const ChoiceValueName> values,
                                 const char* meaning, bool derived = false)
{
    return {name,   ChoiceKind::Named, group,   ChoiceLine::Integer, values.front().value, values.back().value,
            values, meaning,           derived, &getMember<Member>,  &setMember<Member>};
}

template <auto Member>
constexpr ChoiceDescriptor integer(ChoiceKind kind, const char* name, ChoiceGroup group, int low, const char* meaning,
                                   bool derived = false)
{
    return {name,
            kind,
            group,
            ChoiceLine::Integer,
            low,
            TableColumns - 1,
            {},
            meaning,
            derived,
            &getMember<Member>,
            &setMember<Member>};
}

constexpr ChoiceDescriptor number(const char* name, Real AnalysisChoices::*member, ChoiceGroup group,
                                  const char* meaning)
{
    return {name, ChoiceKind::Number, group, ChoiceLine::Number, 0, 0, {}, meaning, false, nullptr, nullptr, member};
}

constexpr ChoiceValueName ColumnCategoryNames[] = {
    {0, "no column"}, {1, "one column"}, {2, "two columns"}, {3, "three or more columns"}};
constexpr ChoiceValueName HypotheticalChoiceNames[] = {{0, "0.0"}, {1, "1.0"}, {2, "100"}, {3, "HypotheticalValue"}};
constexpr ChoiceValueName PostTestStateNames[] = {{0, "perform"}, {1, "no post test"}, {2, "only when P < 0.05"}};
constexpr ChoiceValueName PostTestPairsNames[] = {
    {0, "all pairs"}, {1, "selected pairs"}, {2, "all versus the control column"}};
constexpr ChoiceValueName PostTestMethodNames[] = {
    {0, "Bonferroni"}, {1, "Tukey"}, {2, "Dunnett"}, {3, "Student-Newman-Keuls"}, {4, "test for linear trend"}};
constexpr ChoiceValueName XYTestNames[] = {{0, "linear regression"}, {1, "Pearson"}, {2, "Spearman"}};
constexpr ChoiceValueName TwoByTwoTestNames[] = {{0, "Fisher's exact test"}, {1, "chi-square"}};

using C = AnalysisChoices;
using G = ChoiceGroup;
using L = ChoiceLine;

// In file order inside each group.
const ChoiceDescriptor Table[] = {
    named<&C::ColumnCategory>("ColumnCategory", G::ColumnFormats, ColumnCategoryNames, "columns analysed", true),
    flag<&C::OneColNonParametric>("OneColNonParametric", G::ColumnFormats, L::Integer,
                                  "one column: Wilcoxon test instead of the t test"),
    number("HypotheticalValue", &C::HypotheticalValue, G::ColumnFormats, "typed hypothetical mean or median"),
    flag<&C::OneColTwoSided>("OneColTwoSided", G::ColumnFormats, L::Integer, "one column: two-tailed P"),
    integer<&C::OneColColumn>(ChoiceKind::Column, "OneColColumn", G::ColumnFormats, -1,
                              "the column a one-column test analyses", true),
    named<&C::HypotheticalChoice>("HypotheticalChoice", G::ColumnFormats, HypotheticalChoiceNames,
                                  "hypothetical value"),
    flag<&C::TwoColNonParametric>("TwoColNonParametric", G::ColumnFormats, L::Integer,
                                  "two columns: nonparametric test"),
    flag<&C::TwoColUnpaired>("TwoColUnpaired", G::ColumnFormats, L::Integer, "two columns: unpaired"),
    flag<&C::TwoColTwoSided>("TwoColTwoSided", G::ColumnFormats, L::Integer, "two columns: two-tailed P"),
    integer<&C::TwoColFirst>(ChoiceKind::Column, "TwoColFirst", G::ColumnFormats, -1,
                             "the first column a two-column test analyses", true),
    integer<&C::TwoColSecond>(ChoiceKind::Column, "TwoColSecond", G::ColumnFormats, -1,
                              "the second column a two-column test analyses", true),
    flag<&C::TwoColEqualSD>("TwoColEqualSD", G::ColumnFormats, L::Letter,
                            "two columns: equal SDs (0: Welch-corrected t test)"),
    flag<&C::OrdinaryAnova>("OrdinaryAnova", G::ColumnFormats, L::Integer,
                            "three or more columns: ordinary (0: repeated measures)"),
    flag<&C::MultiColNonParametric>("MultiColNonParametric", G::ColumnFormats, L::Integer,
                                    "three or more columns: nonparametric"),
    named<&C::PostTestState>("PostTestState", G::ColumnFormats, PostTestStateNames, "post test"),
    named<&C::PostTestPairs>("PostTestPairs", G::ColumnFormats, PostTestPairsNames, "post-test pairs"),
    integer<&C::ControlColumn>(ChoiceKind::Integer, "ControlColumn", G::ColumnFormats, -1,
                               "Dunnett's control: position among analysed columns"),
    named<&C::PostTestMethod>("PostTestMethod", G::ColumnFormats, PostTestMethodNames, "post-test method"),

    flag<&C::AllColumns>("AllColumns", G::ColumnFormatsTail, L::Letter,
                         "analyse every column with data (0: the selected ones)"),

    flag<&C::DoRegression>("DoRegression", G::XY, L::Letter, "XY: linear regression"),
    flag<&C::RunsTest>("RunsTest", G::XY, L::Letter, "XY: runs test for departure from linearity"),
    flag<&C::ForceThroughPoint>("ForceThroughPoint", G::XY, L::Letter, "XY: line through (ForceX, ForceY)"),
    number("ForceX", &C::ForceX, G::XY, "XY: X of the fixed point"),
    number("ForceY", &C::ForceY, G::XY, "XY: Y of the fixed point"),
    named<&C::XYTest>("XYTest", G::XY, XYTestNames, "XY test"),
    flag<&C::StandardCurve>("StandardCurve", G::XY, L::Letter, "XY: interpolate unknowns"),

    named<&C::TwoByTwoTest>("TwoByTwoTest", G::TwoByTwo, TwoByTwoTestNames, "two-by-two test"),
    flag<&C::TwoByTwoYates>("TwoByTwoYates", G::TwoByTwo, L::Letter, "Yates' continuity correction"),
    flag<&C::TwoByTwoTwoSided>("TwoByTwoTwoSided", G::TwoByTwo, L::Integer, "two-by-two: two-sided P"),
    flag<&C::TwoByTwoProportions>("TwoByTwoProportions", G::TwoByTwo, L::Letter, "difference between proportions"),
    flag<&C::TwoByTwoOddsRatio>("TwoByTwoOddsRatio", G::TwoByTwo, L::Letter, "odds ratio"),
    flag<&C::TwoByTwoRelativeRisk>("TwoByTwoRelativeRisk", G::TwoByTwo, L::Letter, "relative risk"),
    flag<&C::TwoByTwoSensitivity>("TwoByTwoSensitivity", G::TwoByTwoTail, L::Letter,
                                  "sensitivity, specificity and predictive values"),

    flag<&C::MultRegAnalysis>("MultRegAnalysis", G::MultipleRegression, L::Integer,
                              "multiple regression (0: correlation matrix)"),
    integer<&C::DependentColumn>(ChoiceKind::Column, "DependentColumn", G::MultipleRegression, 0,
                                 "the dependent (Y) column"),

    {"SelectedPairs",
     ChoiceKind::PairFlags,
     G::Elsewhere,
     L::None,
     0,
     0,
     {},
     "pairs a post test on selected pairs compares (A-B)"},
    {"IndependentColumns",
     ChoiceKind::ColumnFlags,
     G::Elsewhere,
     L::None,
     0,
     0,
     {},
     "the independent (X) columns (B,C,D)"},
    // Kept by the data format, not in the file.
    flag<&C::ShowSD>("ShowSD", G::Elsewhere, L::None, "list SD before SEM and draw SD error bars"),
};

}  // namespace

std::span<const ChoiceDescriptor> choiceTable()
{
    return Table;
}

const ChoiceDescriptor* findChoice(std::string_view name)
{
    for (const ChoiceDescriptor& choice : Table)
        if (name == choice.name)
            return &choice;
    return nullptr;
}

}  // namespace ombrix::core
