#include "workflow/document_io.h"

#include "analyses/column_statistics.h"

namespace ombrix::workflow {

namespace {

core::OpenResult recomputed(core::OpenResult result)
{
    if (!result.dataSet)
        return result;
    core::DataTable& table = result.dataSet->table;
    for (int c = 0; c < core::TableColumns; ++c)
        table.setColumnChanged(c, !table.meanEntry(c));
    analyses::UpdateColumnStatistics(table);
    return result;
}

}  // namespace

core::OpenResult openDocument(const std::string& path)
{
    return recomputed(core::openDataFile(path));
}

core::OpenResult openDocumentText(std::string_view text)
{
    return recomputed(core::readDataSetText(text));
}

core::SaveResult saveDocument(core::DataSet& dataSet, const std::string& path)
{
    if (dataSet.format != core::DataFormat::TwoByTwo)
        analyses::UpdateColumnStatistics(dataSet.table);
    return core::saveDataSet(dataSet, path);
}

}  // namespace ombrix::workflow
