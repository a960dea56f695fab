#include "core/data_format.h"

namespace ombrix::core {

std::string_view formatCaption(DataFormat format)
{
    switch (format) {
    case DataFormat::XY: return "X and Y (or two or more Y replicates). ";
    case DataFormat::Raw: return "Raw data.";
    case DataFormat::MeanSDN: return "Averaged data. Mean, SD && N.";
    case DataFormat::MeanSEMN: return "Averaged data. Mean, SEM && N.";
    case DataFormat::TwoByTwo: return "Two rows, two columns.";
    case DataFormat::LargerTable: return "Larger contingency table.";
    case DataFormat::MultipleRegression: return "Y and 2 or more X variables (multiple reg).";
    }
    return {};
}

int formatFileCode(DataFormat format)
{
    switch (format) {
    case DataFormat::XY: return 6;
    case DataFormat::Raw: return 1;
    case DataFormat::MeanSDN: return 2;
    case DataFormat::MeanSEMN: return 3;
    case DataFormat::TwoByTwo: return 5;
    case DataFormat::LargerTable: return 4;
    case DataFormat::MultipleRegression: return 1;
    }
    return 0;
}

int formatFileSubFormat(DataFormat format)
{
    return format == DataFormat::MultipleRegression ? 1 : 0;
}

bool isColumnFormat(DataFormat format)
{
    return format == DataFormat::Raw || format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN;
}

}  // namespace ombrix::core
