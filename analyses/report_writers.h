#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/real.h"

// The sentences, words and frame that every report shares.
namespace ombrix::analyses {

// One line: "The two-tailed P value is 0.0034, considered very significant."
// tails 1 and 2 name the test's tails, any other value leaves the word out.
// P at or below 0.0001 reads "< 0.0001", at or above 0.9999 "> 0.9999",
// otherwise it has four decimals. Without the verdict the line ends in ". ".
void WritePValueSentence(ResultsBuffer& buffer, int tails, bool withVerdict, Real p);

// The P sentence of the contingency tables: sides 1 and 2 read "one-sided"
// and "two-sided", any other value leaves the word out. P below 0.0001 reads
// "< 0.0001", otherwise it has four decimals (no "> 0.9999" here).
void WriteContingencyPSentence(ResultsBuffer& buffer, int sides, bool withVerdict, Real p);

// The sentence with its verdict for a test of one or two tails, from the
// one-tailed P (doubled for two tails).
void WriteTailedPValue(ResultsBuffer& buffer, Tails tails, Real oneTailedP);

// The adverb before "significant": "extremely " below 0.001, "very " below
// 0.01, nothing below 0.05, "not quite " below 0.10, else "not ". Each
// boundary belongs to the weaker verdict (P = 0.05 is not quite significant).
void AppendSignificanceWords(ResultsBuffer& buffer, Real p);

// "Unknown" right-justified in width for MissingValue, else the number with
// about five significant figures in that width.
void AppendValueOrUnknown(ResultsBuffer& buffer, int width, Real x);
// "Infinity" for MissingValue, "-Infinity" for its negative (an unbounded
// confidence limit), else the number with about five significant figures.
void AppendLimitOrInfinity(ResultsBuffer& buffer, Real x);
// " (" right-justified in width - 5, the percentage as a whole number in 3
// characters, "%)": in width 10, 0.95 gives "    ( 95%)".
void AppendPercentLabel(ResultsBuffer& buffer, int width, Real fraction);

// Stars for a post-test row, right-justified in 11 characters. Here each
// boundary belongs to the stronger class: P = 0.05 gives "*   P<0.05".
std::string SignificanceSummary(Real p);

// A whole report made of one message, used when the data do not allow the
// calculation: empty line, message, empty line, then closed as usual.
void WriteMessageReport(ResultsBuffer& buffer, std::string_view message);
// The same report left open, for an analysis whose frame closes it.
void WriteMessageLines(ResultsBuffer& buffer, std::string_view message);

// For code 0 (or below) nothing. Otherwise the report written so far, the
// title included, is replaced by an empty line, the code's message lines and
// an empty line; a code without a message gives only the two empty lines.
void WriteCalculationError(ResultsBuffer& buffer, int code);

// A report's title, centred in 65 columns and underlined, on a line of its own.
void WriteReportTitle(ResultsBuffer& buffer, std::string_view title);
// A section heading: the text underlined on a line of its own.
void WriteReportHeading(ResultsBuffer& buffer, std::string_view heading);
// The text in bold on a line of its own.
void WriteBoldLine(ResultsBuffer& buffer, std::string_view text);

// The frame of every calculated report. BeginReport starts a new report with
// the data set's title (when it is not blank) and an empty line below it;
// FinishReport replaces the report by the error message when code is not 0,
// then ends and closes it.
void BeginReport(ResultsBuffer& buffer, std::string_view title);
void FinishReport(ResultsBuffer& buffer, int code);

// BeginReport, the analysis run under the fault guard, FinishReport. The
// analysis returns its own error code (0 when it wrote its report); the code
// that decided the report is returned.
int WriteReport(ResultsBuffer& buffer, std::string_view title, const std::function<int(ResultsBuffer&)>& analysis);

}  // namespace ombrix::analyses
