#include "cli/report_command.h"

#include <algorithm>
#include <cctype>
#include <ostream>

#include "analyses/column_statistics.h"
#include "analyses/report_chars.h"
#include "cli/choice_setter.h"
#include "core/oxd_file.h"
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
    std::string file;
};

// The picture formats --graph writes, by the file name's extension.
bool isPictureName(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string suffix = path.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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
        } else if (arg == "--graph") {
            const std::string* text = value("--graph needs a file name ending in .svg, .png or .pdf");
            if (!text || !isPictureName(*text))
                return "--graph needs a file name ending in .svg, .png or .pdf";
            options.graph = *text;
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

void printStatistics(const core::DataSet& dataSet, std::ostream& out)
{
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
        out << line << '\n';
    }
}

}  // namespace

std::string usageText()
{
    std::string text = "Usage: ombrix-report [options] FILE.OXD\n"
                       "\n"
                       "Opens an Ombrix data file, calculates the analysis its choices select and\n"
                       "prints the report as the results step shows it.\n"
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
                     const GraphWriter& graphWriter)
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

    if (!options.graph.empty() && !graphWriter) {
        err << "ombrix-report: --graph: this build draws no pictures (it was built without Qt)\n";
        return ExitFailure;
    }

    core::OpenResult opened = workflow::openDocument(options.file);
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
    if (options.stats) {
        analyses::UpdateColumnStatistics(dataSet.table);
        printStatistics(dataSet, out);
    }
    analyses::RegressionForGraph regression;
    if (!options.stats || !options.graph.empty()) {
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
                out << analyses::stripMarks(results->line(i)) << '\n';
        }
    }

    if (!options.graph.empty()) {
        const graphs::Chart chart = graphs::buildChart(dataSet, {}, regression);
        if (const std::string error = graphWriter(chart, options.graph); !error.empty()) {
            err << "ombrix-report: " << options.graph << ": " << error << '\n';
            return ExitFailure;
        }
    }

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
