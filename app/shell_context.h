#pragma once

#include "app/asker.h"
#include "app/shell_settings.h"
#include "workflow/progress.h"

namespace ombrix::app {

// What the main window shares with its document windows: the questions,
// the busy state of the one calculation that can run, the settings and the
// user's regional decimal separator.
struct ShellContext {
    Asker& asker;
    workflow::CalculationProgress& progress;
    ShellSettings& settings;
    char decimalSeparator = '.';
    // Answering No to "is this number a data value?" for a column title turns
    // the question off until the program is started again.
    bool askAboutNumericTitles = true;
    // The data table's last export file, proposed again until the program ends.
    QString lastExportFile;
};

}  // namespace ombrix::app
