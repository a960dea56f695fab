#include "cli/report_command.h"

#include <algorithm>
#include <cctype>
#include <ostream>

#include "analyses/column_statistics.h"
#include "analyses/report_chars.h"
#include "cli/choice_setter.h"
#include "core/atomic_file.h"
#include "core/oxd_file.h"
#include "core/text_export.h"
#include "core/text_import.h"
#include "graphs/chart_model.h"
#include "workflow/dispatcher.h"
#include "workflow/document_io.h"

namespace ombrix::cli {

namespace {

struct Options {
    bool stats = false;
    bool help = false;
    bool version = false;
    std::vector<std::pair<std::string, std::string>> sets;
    std::string select;
    bool hasSelect = false;
    std::string save;
    std::string graph;
    std::string pdf;
    std::string exportData;
    std::string exportReport;
    char decimalSeparator = 0;  // 0: the locale's
    std::string file;
};

// A file name's extension in lower case, empty when it has none.
std::string lowerSuffix(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string suffix = path.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix;
}

// The picture formats --graph writes, by the file name's extension.
bool isPictureName(const std::string& path)
{
    const std::string suffix = lowerSuffix(path);
    return suffix == "svg" || suffix == "png" || suffix == "pdf";
}

// Parses the command line; returns an error text, empty when it is fine.
std::string parse(const std::vector<std::string>& args, Options& options)
{
    // The option whose value was the last argument: when no file name is left
    // over, the user gave that option no value and its "value" is the file.
    std::string lastValueError;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        lastValueError.clear();
        auto value = [&](const char* missing) -> const std::string* {
            if (i + 1 >= args.size())
                return nullptr;
            if (i + 2 == args.size())
                lastValueError = missing;
            return &args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "--set") {
            const std::string* text = value("--set needs NAME=VALUE");
            if (!text)
                return "--set needs NAME=VALUE";
            const size_t equals = text->find('=');
            if (equals == std::string::npos || equals == 0)
                return "--set needs NAME=VALUE, not '" + *text + "'";
            options.sets.emplace_back(text->substr(0, equals), text->substr(equals + 1));
        } else if (arg == "--select") {
            const std::string* text = value("--select needs column letters such as A,C");
            if (!text)
                return "--select needs column letters such as A,C";
            options.select = *text;
            options.hasSelect = true;
        } else if (arg == "--save") {
            const std::string* text = value("--save needs a file name");
            if (!text || text->empty())
                return "--save needs a file name";
            options.save = *text;
        } else if (arg == "--pdf") {
            const std::string* text = value("--pdf needs a file name ending in .pdf");
            if (!text || lowerSuffix(*text) != "pdf")
                return "--pdf needs a file name ending in .pdf";
            options.pdf = *text;
        } else if (arg == "--graph") {
            const std::string* text = value("--graph needs a file name ending in .svg, .png or .pdf");
            if (!text || !isPictureName(*text))
                return "--graph needs a file name ending in .svg, .png or .pdf";
            options.graph = *text;
        } else if (arg == "--export-data" || arg == "--export-report") {
            const std::string missing = arg + " needs a file name";
            const std::string* text = value(missing.c_str());
            if (!text || text->empty())
                return missing;
            (arg == "--export-data" ? options.exportData : options.exportReport) = *text;
        } else if (arg == "--decimal-separator") {
            const std::string* text = value("--decimal-separator needs '.' or ','");
            if (!text || (*text != "." && *text != ","))
                return "--decimal-separator needs '.' or ','";
            options.decimalSeparator = (*text)[0];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            return "only one data file can be given";
        }
    }
    if (!options.help && !options.version && options.file.empty())
        return lastValueError.empty() ? "no data file given" : lastValueError;
    return {};
}

std::vector<std::string> statisticsLines(const core::DataSet& dataSet)
{
    std::vector<std::string> lines;
    const core::DataTable& table = dataSet.table;
    const int lastColumn = std::max(table.lastUsedColumn(), table.highestColumnWithData());
    analyses::StatisticsGridOptions options;
    options.sdFirst = dataSet.choices.ShowSD;
    options.format = dataSet.format;
    for (int row = 0; row < analyses::StatisticsGridRows; ++row) {
        std::string line = row == 0 ? std::string() : analyses::statisticsGridLabel(row, options);
        for (int column = 0; column <= lastColumn; ++column) {
            line += '\t';
            if (row == 0) {
                const std::string& title = table.column(column).title;
                line += title.empty() ? core::columnName(column) : title;
            } else {
                line += analyses::statisticsGridCell(table, column, row, options);
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// A delimited text file as the Import command reads it with the dialog's
// defaults (every row and column, titles from the header lines), into a new
// raw-data set. What the import left out is said on err.
core::OpenResult importTextFile(const std::string& path, char decimalSeparator, std::ostream& err)
{
    core::OpenResult result;
    const core::ImportText text = core::readImportFile(path);
    if (!text.ok) {
        result.message = text.message;
        return result;
    }
    const core::TextTable table = core::readTextTable(text.text, decimalSeparator);
    if (table.tooManyRows)
        err << "ombrix-report: " << path << ": " << core::TooManyImportRowsMessage << '\n';
    if (table.unreadableTokens > 0)
        err << "ombrix-report: " << path << ": " << table.unreadableTokens
            << (table.unreadableTokens == 1 ? " field was" : " fields were") << " not a number and left blank\n";
    result.dataSet = std::make_unique<core::DataSet>();
    result.dataSet->format = core::DataFormat::Raw;
    core::copyIntoDataSet(table, core::defaultImportOptions(table), *result.dataSet);
    return result;
}

std::string writeFile(const std::string& path, std::string_view text, std::ostream& err)
{
    const std::string error = core::replaceFileAtomically(path, text);
    if (!error.empty())
        err << "ombrix-report: " << path << ": " << error << '\n';
    return error;
}

}  // namespace

std::string usageText()
{
    std::string text = "Usage: ombrix-report [options] FILE\n"
                       "\n"
                       "Opens an Ombrix data file (FILE.OXD), calculates the analysis its choices\n"
                       "select and prints the report as the results step shows it. Any other FILE\n"
                       "is imported as delimited text (numbers separated by tabs, semicolons,\n"
                       "blanks or commas; header lines give the titles) into a new raw-data set.\n"
                       "\n"
                       "Options:\n"
                       "  --stats            print the column statistics grid instead (TAB between cells)\n"
                       "  --set NAME=VALUE   change one analysis choice (listed below) before\n"
                       "                     calculating (repeatable)\n"
                       "  --select A,C       select exactly these columns, each holding data\n"
                       "                     (AllColumns becomes 0)\n"
                       "  --save OUT.OXD     write the data set with the changed choices to a new file\n"
                       "  --graph OUT.svg    also write the graph step's graph as a picture\n"
                       "                     (.svg, .png or .pdf)\n"
                       "  --pdf OUT.pdf      also write the report followed by the graph as a PDF\n"
                       "  --export-data OUT  write the table as text: TAB-separated for OUT.TXT,\n"
                       "                     comma-separated otherwise, with the titles\n"
                       "  --export-report OUT.TXT\n"
                       "                     write the printed lines to a text file\n"
                       "  --decimal-separator C\n"
                       "                     the decimal separator ('.' or ',') for import and\n"
                       "                     export; the default is the locale's\n"
                       "  --help             show this text\n"
                       "  --version          show the version\n"
                       "\n"
                       "Exit status: 0 a report was printed, 1 the report is a validation or error\n"
                       "message, 2 the file cannot be read or the command line is wrong.\n"
                       "During a long exact calculation Ctrl+C uses the approximate P value; a second\n"
                       "Ctrl+C ends the program.\n"
                       "\n"
                       "Choices (--set NAME=VALUE):\n";
    return text + choicesHelp();
}

int runReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, workflow::Clock& clock,
                     workflow::StatusView* view, workflow::CalculationProgress** progressOut,
                     char systemDecimalSeparator, const DocumentWriters& writers)
{
    Options options;
    if (const std::string error = parse(args, options); !error.empty()) {
        err << "ombrix-report: " << error << "\nTry 'ombrix-report --help'.\n";
        return ExitFailure;
    }
    if (options.help) {
        out << usageText();
        return ExitReport;
    }
    if (options.version) {
        out << "ombrix-report (Ombrix) 3.10\n";
        return ExitReport;
    }

    if ((!options.graph.empty() && !writers.graph) || (!options.pdf.empty() && !writers.pdf)) {
        err << "ombrix-report: " << (options.graph.empty() ? "--pdf" : "--graph")
            << ": this build draws no pictures (it was built without Qt)\n";
        return ExitFailure;
    }

    const char decimalSeparator = options.decimalSeparator != 0 ? options.decimalSeparator : systemDecimalSeparator;
    core::OpenResult opened = lowerSuffix(options.file) == "oxd" ? workflow::openDocument(options.file)
                                                                 : importTextFile(options.file, decimalSeparator, err);
    if (!opened.dataSet) {
        err << "ombrix-report: " << options.file << ": " << opened.message << '\n';
        return ExitFailure;
    }
    core::DataSet& dataSet = *opened.dataSet;
    if (!opened.warning.empty())
        err << "ombrix-report: " << options.file << ": " << opened.warning << '\n';

    if (options.hasSelect) {
        if (const std::string error = selectColumns(dataSet, options.select); !error.empty()) {
            err << "ombrix-report: --select: " << error << '\n';
            return ExitFailure;
        }
    }
    for (const auto& [name, value] : options.sets) {
        if (const std::string error = setChoice(dataSet, name, value); !error.empty()) {
            err << "ombrix-report: --set: " << error << '\n';
            return ExitFailure;
        }
    }

    int status = ExitReport;
    // The graph step calculates first, so the graph shows the current fit;
    // with --stats the report is calculated but not printed.
    std::vector<std::string> lines;
    if (options.stats) {
        analyses::UpdateColumnStatistics(dataSet.table);
        lines = statisticsLines(dataSet);
    }
    analyses::RegressionForGraph regression;
    std::vector<std::string> markedLines;  // for --pdf, with their bold, underline and italic
    if (!options.stats || !options.graph.empty() || !options.pdf.empty()) {
        auto results = std::make_unique<analyses::ResultsBuffer>();
        workflow::CalculationProgress progress(clock);
        if (progressOut)
            *progressOut = &progress;
        workflow::CalculationTarget target{*results, regression, progress, view};
        const workflow::CalculateOutcome outcome = workflow::Calculate(dataSet, target);
        if (progressOut)
            *progressOut = nullptr;
        if (!options.stats) {
            if (outcome == workflow::CalculateOutcome::Message || target.reportCode != 0 || results->hasNoResult())
                status = ExitMessage;
            for (int i = 0; i < results->indexedLineCount(); ++i)
                lines.push_back(analyses::stripMarks(results->line(i)));
        }
        for (int i = 0; i < results->indexedLineCount(); ++i)
            markedLines.emplace_back(results->line(i));
    }
    for (const std::string& line : lines)
        out << line << '\n';

    if (!options.graph.empty() || !options.pdf.empty()) {
        const graphs::Chart chart = graphs::buildChart(dataSet, {}, regression);
        if (!options.graph.empty()) {
            if (const std::string error = writers.graph(chart, options.graph); !error.empty()) {
                err << "ombrix-report: " << options.graph << ": " << error << '\n';
                return ExitFailure;
            }
        }
        if (!options.pdf.empty()) {
            // The report as the results step shows it (or the statistics
            // printed), then the graph.
            const PrintedReport report{options.stats ? lines : markedLines, &chart, dataSet.table.title(),
                                       options.file};
            const std::string pdf = writers.pdf(report);
            if (pdf.empty()) {
                err << "ombrix-report: " << options.pdf << ": the document could not be drawn\n";
                return ExitFailure;
            }
            if (!writeFile(options.pdf, pdf, err).empty())
                return ExitFailure;
        }
    }

    if (!options.exportData.empty()) {
        core::ExportOptions exportOptions;
        exportOptions.separator = core::exportSeparatorFor(options.exportData);
        exportOptions.decimalSeparator = decimalSeparator == ',' ? ',' : '.';
        if (!writeFile(options.exportData, core::exportDataText(dataSet.table, exportOptions), err).empty())
            return ExitFailure;
    }
    if (!options.exportReport.empty() && !writeFile(options.exportReport, core::exportReportText(lines), err).empty())
        return ExitFailure;

    if (!options.save.empty()) {
        const core::SaveResult saved = workflow::saveDocument(dataSet, options.save);
        if (!saved.ok) {
            err << "ombrix-report: " << options.save << ": " << saved.error << '\n';
            return ExitFailure;
        }
    }
    return status;
}

}  // namespace ombrix::cli
