#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/data_set.h"

// The .OXD data file: a line-oriented text file holding one data set with
// its titles, notes, summary values, exclusion marks, decimals, selection and
// analysis choices. A file is written in the older layout ("3.00") whenever
// its content fits, so that the previous version can still open it; the
// current layout ("3.10") adds EXTRA sections for rows beyond 1000, columns
// beyond Z and the full pair selection.
namespace ombrix::core {

inline constexpr const char* NotADataFileMessage =
    "The file is not an Ombrix data file. If you want to import data, first create a new file, then Import.";
inline constexpr const char* NewerVersionMessage =
    "This file cannot be read because it was created by a newer version of Ombrix.";
inline constexpr const char* CompatibilityWarningMessage =
    "Because this data table is so large, this file cannot be opened by prior versions of Ombrix.";
inline constexpr const char* CompatibilityCheckBoxCaption = "Don't show this message again";

inline constexpr const char* TooManyRowsMessage =
    "This file holds more than 10000 rows of data. Only the first 10000 rows were read.";
inline constexpr const char* TooLargeMessage =
    "This file is too large to be opened. Ombrix data files are at most 256 MB.";

// Rows a data file holds at the most.
inline constexpr int MaxFileRows = 10000;
// Files are read whole; nothing larger is opened.
inline constexpr std::uintmax_t MaxFileBytes = 256u * 1024 * 1024;

// Format number of a file from its header: 0 not a data file, 1 Raw,
// 2 MeanSDN, 3 MeanSEMN, 4 LargerTable, 5 TwoByTwo, 6 XY, 7 MultipleRegression.
int DetectFileFormat(const std::string& path);
int detectFormatOfText(std::string_view text);
std::optional<DataFormat> dataFormatOfNumber(int formatNumber);

// The second line as a number; nothing when it is not one.
std::optional<Real> ReadFileVersion(const std::string& path);

// Whether the data set needs the current layout (older versions cannot read it).
bool needsCurrentLayout(const DataSet& dataSet);

// The whole file as text, lines ended by CR LF.
std::string writeDataSetText(DataSet& dataSet);

struct SaveResult {
    bool ok = false;
    std::string error;           // the system's text when writing failed
    bool currentLayout = false;  // the compatibility warning may be due
};

// Replaces the file at path as a whole (see replaceFileAtomically): a failed
// save never destroys the previous file. Clears the modified flag on success.
SaveResult saveDataSet(DataSet& dataSet, const std::string& path);

// Whether to show the compatibility warning after a save, and the bookkeeping
// of the per-document mark.
bool compatibilityWarningDue(DataSet& dataSet, const SaveResult& result, bool warningEnabled);

struct OpenResult {
    std::unique_ptr<DataSet> dataSet;  // null when the file was refused
    std::string message;               // the message to show when refused
    std::string warning;               // read, but not all of it: tell the user
};

// Reads a data file. Whatever cannot be read becomes blank or keeps the
// default of a new document; no input crashes or hangs the reader. The data
// set comes back stale and unmodified. Column statistics are as the file
// says; the caller recomputes the raw columns (see rawColumnsNeedingStatistics).
OpenResult openDataFile(const std::string& path);
OpenResult readDataSetText(std::string_view text);

// Number texts of the file: fixed notation with trailing zeros cut, the
// exponent form outside 0.0001 to 1E7, and as many digits as the value needs
// to read back exactly (a typed value keeps the digits it was typed with).
std::string cellFileText(Real value);
std::string summaryFileText(Real value);

}  // namespace ombrix::core
