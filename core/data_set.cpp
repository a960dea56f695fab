#include "core/data_set.h"

#include "core/text.h"

namespace ombrix::core {

void DataSet::chooseFormat(DataFormat newFormat)
{
    if (newFormat == DataFormat::MeanSDN)
        choices.ShowSD = true;
    else if (newFormat == DataFormat::MeanSEMN)
        choices.ShowSD = false;

    if (newFormat == DataFormat::TwoByTwo && !table.isEmpty() && twoByTwo.allBlank()) {
        twoByTwo.counts[TwoByTwoRecord::A] = table.value(0, 0);
        twoByTwo.counts[TwoByTwoRecord::B] = table.value(1, 0);
        twoByTwo.counts[TwoByTwoRecord::C] = table.value(0, 1);
        twoByTwo.counts[TwoByTwoRecord::D] = table.value(1, 1);
    }

    if (newFormat != format)
        modified = true;
    format = newFormat;
    resultsStale = true;
}

bool DataSet::isUntouched() const
{
    return table.isEmpty() && trimmed(table.title()).empty() && twoByTwo.allBlank();
}

}  // namespace ombrix::core
