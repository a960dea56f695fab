#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_set.h"

namespace ombrix::cli {

// Sets one field of the analysis choices from its name and a text, as
// --set NAME=VALUE does. Flags take 0 or 1; the column flag array takes
// column letters ("B,C,D"); SelectedPairs takes letter pairs ("A-B,A-C") of
// the columns the analysis will use. Returns an error text, empty on success.
std::string setChoice(core::DataSet& dataSet, std::string_view name, std::string_view value);

// The names setChoice knows, for the help text.
std::vector<std::string> choiceNames();

// Selects exactly the given columns ("A,C") and sets AllColumns to 0.
std::string selectColumns(core::DataSet& dataSet, std::string_view letters);

// Column index of a name such as "A" or "AB"; -1 when it is none.
int columnOfName(std::string_view name);

}  // namespace ombrix::cli
