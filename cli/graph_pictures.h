#pragma once

#include "cli/report_command.h"

namespace ombrix::cli {

// The --graph writer of the desktop build: starts Qt without a display the
// first time a picture is asked for and draws it as the graph step does.
GraphWriter offscreenGraphWriter();

}  // namespace ombrix::cli
