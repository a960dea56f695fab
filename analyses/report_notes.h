#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "analyses/results_buffer.h"
#include "core/notes.h"

// "Append to Notes": copying a closed report, or the part the user selected,
// to the end of the data set's notes.
namespace ombrix::analyses {

inline constexpr std::string_view TextTooLargeForNotes = "The text is too large to copy to notes.";

// A place between two characters of the report as the viewer shows it:
// line is 0-based among the report's lines, column counts the characters
// before the place (style marks take no column).
struct ReportPosition {
    int line = 0;
    int column = 0;
};

// The characters from start up to end (not included), in either order.
struct ReportSelection {
    ReportPosition start;
    ReportPosition end;
};

// Appends the selected text of a closed report to the notes, one notes line
// per report line, without style marks; the first and last lines give only
// their selected characters, and a selection that ends at the very start of
// a line does not bring that line along. No selection, an empty one, or one
// character within one line (what a click leaves) copies the whole report.
//
// All or nothing: when the notes' free room is below the copied characters
// plus their CR LF line ends plus 10, nothing is copied and the message for
// the user comes back; otherwise nothing comes back.
std::optional<std::string> appendReportToNotes(const ResultsBuffer& report,
                                               const std::optional<ReportSelection>& selection, core::Notes& notes);

}  // namespace ombrix::analyses
