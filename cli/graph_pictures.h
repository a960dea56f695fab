#pragma once

#include "cli/report_command.h"

namespace ombrix::cli {

// The --graph and --pdf writers of the desktop build: they start Qt without
// a display the first time a picture is asked for and draw it as the graph
// step and the Export as PDF command do.
DocumentWriters offscreenWriters();

}  // namespace ombrix::cli
