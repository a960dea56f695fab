#pragma once

#include <memory>
#include <string>

#include "analyses/report_chars.h"
#include "core/cell_entry.h"
#include "core/data_set.h"
#include "workflow/dispatcher.h"

// Runs data sets through the dispatcher as the results step does, for report
// tests: fill columns, set choices, take the report text.
namespace ombrix::workflow::testing {

class ReportFixture {
public:
    std::unique_ptr<core::DataSet> dataSet = std::make_unique<core::DataSet>();
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    SteadyClock clock;
    CalculationProgress progress{clock};

    // Types the values into a column as a user would (text, so decimals follow).
    void column(int index, std::initializer_list<const char*> cells, const char* title = "")
    {
        int row = 0;
        for (const char* cell : cells)
            core::enterCellText(*dataSet, row++, index, cell, '.', nullptr);
        dataSet->table.setColumnTitle(index, title);
    }

    // The report as the results step shows it, marks included.
    std::string calculate(StatusView* view = nullptr)
    {
        dataSet->markChanged();
        CalculationTarget target{results, regression, progress, view};
        Calculate(*dataSet, target);
        return std::string(results.text());
    }
};

}  // namespace ombrix::workflow::testing
