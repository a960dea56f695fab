#pragma once

#include <array>
#include <string>

#include "core/analysis_choices.h"
#include "core/data_format.h"
#include "core/data_table.h"
#include "core/notes.h"
#include "core/real.h"

namespace ombrix::core {

inline constexpr int MaxTwoByTwoTitleLength = 15;

// The four counts and titles of a two-by-two table:
//            column 1   column 2
//   row 1       A          B
//   row 2       C          D
// Totals are shown, never stored. The table title is the data table's title.
struct TwoByTwoRecord {
    enum Cell { A, B, C, D };
    enum Title { Column1, Column2, Row1, Row2 };

    std::array<Real, 4> counts{MissingValue, MissingValue, MissingValue, MissingValue};
    std::array<std::string, 4> titles;

    bool allBlank() const
    {
        for (const Real count : counts)
            if (!isMissing(count))
                return false;
        return true;
    }
};

// The graph choices kept with the data set and saved in its file.
struct GraphOptions {
    bool analysedDataOnly = false;    // the multiple-regression graph's "Analyzed data only"
    std::string multipleRegressionX;  // variables chosen for the multiple-regression graph
    std::string multipleRegressionY;
};

// One document: the table in one of seven formats, the two-by-two record,
// the notes and the analysis choices, with its modified and results-stale flags.
class DataSet {
public:
    DataFormat format = DataFormat::Raw;
    DataTable table;
    TwoByTwoRecord twoByTwo;
    Notes notes;
    AnalysisChoices choices;
    GraphOptions graph;

    bool modified = false;
    // A data set starts stale: the first visit of the results step calculates.
    bool resultsStale = true;
    // The warning that older versions cannot open the saved file was shown
    // for this document.
    bool compatibilityWarningShown = false;

    // Every edit of data or of a choice goes through here.
    void markChanged()
    {
        modified = true;
        resultsStale = true;
    }

    // The effects of choosing a format in the format step: the table is kept
    // and the results go stale; the averaged formats set which of SD and SEM
    // is shown first; switching to a two-by-two table while its counts are
    // blank takes them from the first two cells of columns A and B.
    void chooseFormat(DataFormat newFormat);

    // True when the document holds neither data nor a title (an untouched
    // document that opening a file may replace).
    bool isUntouched() const;
};

}  // namespace ombrix::core
