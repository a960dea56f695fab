#pragma once

#include <string>

#include "core/oxd_file.h"

namespace ombrix::workflow {

// Opens a data file as the Open command does: the file's statistics of raw
// columns are not trusted but recomputed from the cells (a file edited by
// hand, or written by a faulty program, must not give wrong results); typed
// summary columns keep what the file says.
core::OpenResult openDocument(const std::string& path);

// The same for a file already read into memory.
core::OpenResult openDocumentText(std::string_view text);

// Saves as the Save command does: the column statistics are brought up to
// date first, so that the file (and older versions reading it) carries the
// statistics of the cells it holds.
core::SaveResult saveDocument(core::DataSet& dataSet, const std::string& path);

}  // namespace ombrix::workflow
