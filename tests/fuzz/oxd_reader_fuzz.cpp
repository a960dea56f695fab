// Fuzz target for the data file reader: any bytes must read without crash,
// hang or out-of-range access, no cell may hold an infinity or NaN, and
// whatever is read must write and read back to the same file text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/oxd_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ombrix::core::OpenResult result = ombrix::core::readDataSetText(text);
    if (!result.dataSet)
        return 0;
    const ombrix::core::DataTable& table = result.dataSet->table;
    for (int r = 0; r <= table.lastUsedRow(); ++r)
        for (int c = 0; c < ombrix::core::TableColumns; ++c)
            if (!std::isfinite(table.value(r, c)))
                std::abort();
    const std::string written = ombrix::core::writeDataSetText(*result.dataSet);
    ombrix::core::OpenResult again = ombrix::core::readDataSetText(written);
    if (!again.dataSet || ombrix::core::writeDataSetText(*again.dataSet) != written)
        std::abort();
    return 0;
}
