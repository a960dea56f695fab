#pragma once

#include <array>
#include <string_view>

namespace ombrix::core {

// The seven table layouts a data set can have.
enum class DataFormat {
    XY,
    Raw,
    MeanSDN,
    MeanSEMN,
    TwoByTwo,
    LargerTable,
    MultipleRegression,
};

inline constexpr std::array<DataFormat, 7> AllDataFormats = {
    DataFormat::XY,
    DataFormat::Raw,
    DataFormat::MeanSDN,
    DataFormat::MeanSEMN,
    DataFormat::TwoByTwo,
    DataFormat::LargerTable,
    DataFormat::MultipleRegression,
};

// The caption shown in the format step; "&&" is the label convention for a literal "&".
std::string_view formatCaption(DataFormat format);

// The format code written in the data file (multiple regression shares code 1
// with raw data and is told apart by its sub-format).
int formatFileCode(DataFormat format);
int formatFileSubFormat(DataFormat format);

// True for the formats whose numbers are columns of groups (raw or summary).
bool isColumnFormat(DataFormat format);

}  // namespace ombrix::core
