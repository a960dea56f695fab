#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_set.h"

namespace ombrix::cli {

// Sets one field of the analysis choices from its name and a text, as
// --set NAME=VALUE does. Flags take 0 or 1; the column flag array takes
// column letters ("B,C,D"); SelectedPairs takes letter pairs ("A-B,A-C") of
// the columns the analysis will use. The choices the calculation derives
// from the column selection are refused. Returns an error text, empty on
// success.
std::string setChoice(core::DataSet& dataSet, std::string_view name, std::string_view value);

// Every choice setChoice takes: name, meaning, values and default, for the help text.
std::string choicesHelp();

// Selects exactly the given columns ("A,C") and sets AllColumns to 0. A
// column without data is refused: the analysis would quietly leave it out.
std::string selectColumns(core::DataSet& dataSet, std::string_view letters);

// Column index of a name such as "A" or "AB"; -1 when it is none.
int columnOfName(std::string_view name);

}  // namespace ombrix::cli
