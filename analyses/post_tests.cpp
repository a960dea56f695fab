#include "analyses/post_tests.h"

#include "analyses/report_writers.h"

namespace ombrix::analyses {

namespace {

int notAvailableYet(ResultsBuffer& out)
{
    out.NewLine();
    out.AppendLine("This post test is not available yet.");
    return 0;
}

}  // namespace

int WriteBonferroniPostTest(ResultsBuffer& out, const PostTestContext&, bool,
                            const std::array<bool, core::SelectedPairCount>&)
{
    return notAvailableYet(out);
}

int WriteTukeyPostTest(ResultsBuffer& out, const PostTestContext&, bool)
{
    return notAvailableYet(out);
}

int WriteDunnettPostTest(ResultsBuffer& out, const PostTestContext&, int, bool)
{
    return notAvailableYet(out);
}

int WriteLinearTrendPostTest(ResultsBuffer& out, const PostTestContext&, const AnovaSums&)
{
    return notAvailableYet(out);
}

PostTestChoice postTestChoiceOf(const MultiColumnTestInput& input)
{
    PostTestChoice choice;
    choice.method = input.postTestMethod;
    choice.selectedPairsOnly = input.selectedPairsOnly;
    choice.selectedPairs = input.selectedPairs;
    choice.controlColumn = input.controlColumn < 0 ? 0 : input.controlColumn;
    return choice;
}

bool postTestRuns(core::PostTestState state, Real p)
{
    return state == core::PostTestState::Perform || (state == core::PostTestState::OnlyIfSignificant && p <= 0.05L);
}

void WritePostTestsNotCalculated(ResultsBuffer& out)
{
    WriteReportHeading(out, "Post tests");
    out.AppendLine("Post tests were not calculated because the P value was greater");
    out.AppendLine("than 0.05.");
}

int WritePostTest(ResultsBuffer& out, const PostTestContext& context, const PostTestChoice& choice,
                  const AnovaSums& sums)
{
    using core::PostTestMethod;
    switch (choice.method) {
    case PostTestMethod::Bonferroni:
        return WriteBonferroniPostTest(out, context, choice.selectedPairsOnly, choice.selectedPairs);
    case PostTestMethod::Tukey: return WriteTukeyPostTest(out, context, false);
    case PostTestMethod::StudentNewmanKeuls: return WriteTukeyPostTest(out, context, true);
    case PostTestMethod::Dunnett:
        return WriteDunnettPostTest(out, context, choice.controlColumn, choice.dunnettTwoSided);
    case PostTestMethod::LinearTrend: return WriteLinearTrendPostTest(out, context, sums);
    }
    return 0;
}

}  // namespace ombrix::analyses
