#pragma once

#include <span>
#include <string_view>

#include "core/analysis_choices.h"
#include "core/real.h"

// Every analysis choice described once: its name (as the data file's readers
// and --set know it), its type and allowed values, where the data file keeps
// it and what it means. The file reader and writer, --set and its help text
// all go through this table, so a new choice is one row here plus its use.
namespace ombrix::core {

enum class ChoiceKind {
    Flag,         // 0 or 1
    Integer,      // a whole number from low to high
    Named,        // one of the named values low..high
    Column,       // a column index from low to 51
    Number,       // any number
    PairFlags,    // one flag per pair of analysed columns
    ColumnFlags,  // one flag per column
};

// How the choice's line in the data file reads.
enum class ChoiceLine {
    Letter,   // "T" or "F"; anything else reads as false
    Integer,  // decimal; out of range keeps the default
    Number,   // a summary number; a blank keeps the default
    None,     // kept by a section of its own, or not at all
};

// The block of the data file a choice belongs to. Inside a block the choices
// follow one another in table order, one line each.
enum class ChoiceGroup {
    ColumnFormats,      // Raw and averaged data: the block before the older pair line
    ColumnFormatsTail,  // Raw and averaged data: after the decimals
    XY,
    TwoByTwo,            // before the counts
    TwoByTwoTail,        // after the notes
    MultipleRegression,  // before the graph flag
    Elsewhere,
};

struct ChoiceValueName {
    int value;
    const char* meaning;
};

struct ChoiceDescriptor {
    const char* name;
    ChoiceKind kind;
    ChoiceGroup group;
    ChoiceLine line;
    int low = 0;
    int high = 1;
    std::span<const ChoiceValueName> values;  // Named only
    const char* meaning = "";
    // Set from the column selection whenever the analysis is calculated: a
    // value given from outside would be overwritten.
    bool derived = false;
    // Every kind but Number, PairFlags and ColumnFlags reads and writes
    // through these, as the integer the file keeps.
    int (*get)(const AnalysisChoices&) = nullptr;
    void (*set)(AnalysisChoices&, int) = nullptr;
    Real AnalysisChoices::*number = nullptr;  // Number only
};

std::span<const ChoiceDescriptor> choiceTable();

// The descriptor of a name; null when there is none.
const ChoiceDescriptor* findChoice(std::string_view name);

}  // namespace ombrix::core
