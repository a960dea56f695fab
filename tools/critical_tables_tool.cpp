// ombrix-critical-tables: computes the studentized range and Dunnett tables
// compiled into numeric/, or prints the committed ones.
//
//   ombrix-critical-tables --generate SOURCE_DIR
//       computes every entry, puts back the values printed in the published
//       tables (a few differ from the computation in the last digit), and
//       writes SOURCE_DIR/numeric/critical_table_data.cpp and
//       SOURCE_DIR/tools/kept_printed_values.csv, the list of those few.
//   ombrix-critical-tables --print
//       prints the committed tables as CSV lines "table,df,k,value".

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "numeric/critical_tables.h"
#include "tools/range_distributions.h"

namespace {

using ombrix::Real;
using ombrix::numeric::Sides;
using ombrix::tools::kInfiniteDf;
using ombrix::tools::StudentizedStatistic;
namespace detail = ombrix::numeric::detail;
using detail::DunnettLevel;

// Row key of the infinity rows.
constexpr int kInfinityKey = 500;

// One table in a uniform form: every entry as an integer count of units in its
// last decimal, with those decimals. The infinite-df Dunnett rows have a
// single row with df 0 (printed empty).
struct Table {
    std::string name;
    std::vector<int> dfs;
    std::vector<int> columns;
    std::vector<std::vector<long>> scaled;
    std::vector<std::vector<int>> decimals;
    std::vector<std::vector<Real>> computed;

    Table(std::string tableName, std::vector<int> rowKeys, std::vector<int> columnKeys)
        : name(std::move(tableName))
        , dfs(std::move(rowKeys))
        , columns(std::move(columnKeys))
        , scaled(dfs.size(), std::vector<long>(columns.size()))
        , decimals(dfs.size(), std::vector<int>(columns.size()))
        , computed(dfs.size(), std::vector<Real>(columns.size()))
    {
    }
};

long powerOfTen(int decimals)
{
    long result = 1;
    while (decimals-- > 0) {
        result *= 10;
    }
    return result;
}

std::string formatScaled(long scaled, int decimals)
{
    const long unit = powerOfTen(decimals);
    std::ostringstream out;
    out << scaled / unit;
    if (decimals > 0) {
        std::string fraction = std::to_string(scaled % unit);
        out << '.' << std::string(decimals - fraction.size(), '0') << fraction;
    }
    return out.str();
}

std::string rangeName(int level)
{
    static const char* const kNames[] = {"q0.05", "q0.01", "q0.001"};
    return kNames[level];
}

std::string dunnettName(Sides sides, DunnettLevel level, bool infinite)
{
    return std::string("dunnett-") + (infinite ? "inf-" : "") + (sides == Sides::One ? "one" : "two") +
           (level == DunnettLevel::P05 ? "-0.05" : "-0.01");
}

std::vector<int> dunnettColumnKeys(Sides sides)
{
    return {detail::kDunnettComparisons.begin(), detail::kDunnettComparisons.begin() + detail::dunnettColumns(sides)};
}

constexpr Sides kSides[] = {Sides::One, Sides::Two};
constexpr DunnettLevel kDunnettLevels[] = {DunnettLevel::P05, DunnettLevel::P01};

// The tables in the order of the CSV, empty.
std::vector<Table> emptyTables()
{
    std::vector<Table> tables;
    for (int level = 0; level < detail::kRangeLevels; ++level) {
        Table table(rangeName(level), {detail::kRangeDf.begin(), detail::kRangeDf.end()},
                    {detail::kRangeMeans.begin(), detail::kRangeMeans.end()});
        for (std::size_t row = 0; row < table.dfs.size(); ++row) {
            std::fill(table.decimals[row].begin(), table.decimals[row].end(), detail::rangeDecimals(level, int(row)));
        }
        tables.push_back(std::move(table));
    }
    for (const bool infinite : {false, true}) {
        for (const DunnettLevel level : kDunnettLevels) {
            for (const Sides sides : kSides) {
                std::vector<int> dfs = infinite
                                           ? std::vector<int>{0}
                                           : std::vector<int>(detail::kDunnettDf.begin(), detail::kDunnettDf.end());
                Table table(dunnettName(sides, level, infinite), std::move(dfs),
                            infinite ? dunnettColumnKeys(Sides::Two) : dunnettColumnKeys(sides));
                for (auto& row : table.decimals) {
                    std::fill(row.begin(), row.end(), 2);
                }
                tables.push_back(std::move(table));
            }
        }
    }
    return tables;
}

template <class Tables> auto& findTable(Tables& tables, const std::string& name)
{
    for (auto& table : tables) {
        if (table.name == name) {
            return table;
        }
    }
    std::cerr << "unknown table " << name << '\n';
    std::exit(1);
}

std::vector<Table> committedTables()
{
    std::vector<Table> tables = emptyTables();
    for (int level = 0; level < detail::kRangeLevels; ++level) {
        Table& table = tables[level];
        for (std::size_t row = 0; row < table.dfs.size(); ++row) {
            for (std::size_t column = 0; column < table.columns.size(); ++column) {
                table.scaled[row][column] = detail::kStudentizedRange[level][row][column];
            }
        }
    }
    for (const DunnettLevel level : kDunnettLevels) {
        for (const Sides sides : kSides) {
            Table& table = findTable(tables, dunnettName(sides, level, false));
            for (std::size_t row = 0; row < table.dfs.size(); ++row) {
                for (std::size_t column = 0; column < table.columns.size(); ++column) {
                    table.scaled[row][column] = detail::dunnettEntry(sides, level, int(row), int(column)) +
                                                detail::dunnettBase(sides, level, int(row));
                }
            }
            Table& infinite = findTable(tables, dunnettName(sides, level, true));
            const auto& values = detail::kDunnettInfinite[int(level)][int(sides)];
            for (std::size_t column = 0; column < values.size(); ++column) {
                infinite.scaled[0][column] = std::lround(values[column] * 100);
            }
        }
    }
    return tables;
}

int printTables()
{
    for (const Table& table : committedTables()) {
        for (std::size_t row = 0; row < table.dfs.size(); ++row) {
            for (std::size_t column = 0; column < table.columns.size(); ++column) {
                std::cout << table.name << ',' << (table.dfs[row] == 0 ? std::string() : std::to_string(table.dfs[row]))
                          << ',' << table.columns[column] << ','
                          << formatScaled(table.scaled[row][column], table.decimals[row][column]) << '\n';
            }
        }
    }
    return 0;
}

// The entries printed in the published tables that are the program's telling
// values. The tables hold each of them exactly as printed, even where an
// accurate computation rounds differently in the last digit.
struct Printed {
    const char* table;
    int df;
    std::vector<int> columns;
    std::vector<const char*> values;
};

const std::vector<Printed>& printedValues()
{
    static const std::vector<Printed> kPrinted = {
        {"q0.05", 1, {2, 3, 10, 100}, {"17.97", "26.98", "49.07", "79.98"}},
        {"q0.05", 10, {2, 3, 10, 100}, {"3.151", "3.877", "5.599", "8.276"}},
        {"q0.05", 500, {2, 3, 10, 100}, {"2.772", "3.314", "4.474", "6.085"}},
        {"q0.01", 1, {2, 3, 10, 100}, {"90.03", "135.0", "245.6", "400.1"}},
        {"q0.01", 10, {2, 3, 10, 100}, {"4.482", "5.270", "7.213", "10.39"}},
        {"q0.01", 500, {2, 3, 10, 100}, {"3.643", "4.120", "5.157", "6.636"}},
        {"q0.001", 1, {2, 3, 10, 100}, {"900.3", "1351", "2455", "4002"}},
        {"q0.001", 2, {2, 3, 10, 100}, {"44.69", "60.42", "100.5", "159.7"}},
        {"q0.001", 500, {2, 3, 10, 100}, {"4.654", "5.063", "5.973", "7.314"}},
        {"dunnett-one-0.05", 5, {1, 2, 3, 9}, {"2.02", "2.44", "2.68", "3.30"}},
        {"dunnett-one-0.05", 500, {1, 2, 3, 9}, {"1.64", "1.92", "2.06", "2.42"}},
        {"dunnett-two-0.05", 5, {1, 2, 3, 9, 20}, {"2.57", "3.03", "3.29", "3.97", "4.42"}},
        {"dunnett-two-0.05", 500, {1, 2, 3, 9, 20}, {"1.96", "2.21", "2.35", "2.69", "2.91"}},
        {"dunnett-one-0.01", 5, {1, 2, 3, 9}, {"3.37", "3.90", "4.21", "5.03"}},
        {"dunnett-one-0.01", 6, {1, 2, 3, 9}, {"3.14", "3.61", "3.88", "4.59"}},
        {"dunnett-one-0.01", 500, {1, 2, 3, 9}, {"2.33", "2.56", "2.68", "3.00"}},
        {"dunnett-two-0.01", 5, {1, 2, 3, 9, 20}, {"4.03", "4.63", "4.98", "5.89", "6.52"}},
        {"dunnett-two-0.01", 120, {1, 2, 3, 9, 20}, {"2.62", "2.85", "2.97", "3.29", "3.51"}},
        {"dunnett-two-0.01", 500, {1, 2, 3, 9, 20}, {"2.58", "2.79", "2.92", "3.22", "3.42"}},
        {"dunnett-inf-one-0.05",
         0,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20},
         {"1.65", "1.92", "2.06", "2.16", "2.24", "2.29", "2.34", "2.38", "2.42", "2.45", "2.48", "2.50", "2.57",
          "2.64"}},
        {"dunnett-inf-two-0.05",
         0,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20},
         {"1.96", "2.21", "2.35", "2.44", "2.51", "2.57", "2.61", "2.65", "2.69", "2.72", "2.74", "2.77", "2.83",
          "2.91"}},
        {"dunnett-inf-one-0.01",
         0,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20},
         {"2.33", "2.56", "2.69", "2.77", "2.84", "2.89", "2.94", "2.97", "3.00", "3.03", "3.06", "3.08", "3.14",
          "3.21"}},
        {"dunnett-inf-two-0.01",
         0,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20},
         {"2.58", "2.79", "2.92", "3.00", "3.06", "3.11", "3.15", "3.19", "3.22", "3.25", "3.27", "3.29", "3.35",
          "3.42"}},
    };
    return kPrinted;
}

int indexOf(const std::vector<int>& keys, int key)
{
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return int(i);
        }
    }
    std::cerr << "no key " << key << '\n';
    std::exit(1);
}

// Fills in `computed` and its rounding for every table.
void computeTables(std::vector<Table>& tables)
{
    auto solve = [](const StudentizedStatistic& statistic, int df, Real alpha) {
        return statistic.quantile(df == kInfinityKey ? kInfiniteDf : df, alpha);
    };
    for (std::size_t column = 0; column < detail::kRangeMeans.size(); ++column) {
        const int k = detail::kRangeMeans[column];
        const StudentizedStatistic range([k](Real w) { return ombrix::tools::rangeTail(k, w); });
        for (int level = 0; level < detail::kRangeLevels; ++level) {
            Table& table = tables[level];
            for (std::size_t row = 0; row < table.dfs.size(); ++row) {
                table.computed[row][column] = solve(range, table.dfs[row], detail::kRangeAlpha[level]);
            }
        }
    }
    for (const Sides sides : kSides) {
        const std::vector<int> comparisons = dunnettColumnKeys(Sides::Two);
        for (std::size_t column = 0; column < comparisons.size(); ++column) {
            const int p = comparisons[column];
            const StudentizedStatistic dunnett([p, sides](Real w) {
                return sides == Sides::One ? ombrix::tools::dunnettOneSidedTail(p, w)
                                           : ombrix::tools::dunnettTwoSidedTail(p, w);
            });
            for (const DunnettLevel level : kDunnettLevels) {
                const Real alpha = level == DunnettLevel::P05 ? 0.05L : 0.01L;
                Table& infinite = findTable(tables, dunnettName(sides, level, true));
                infinite.computed[0][column] = solve(dunnett, kInfinityKey, alpha);
                if (int(column) >= detail::dunnettColumns(sides)) {
                    continue;
                }
                Table& table = findTable(tables, dunnettName(sides, level, false));
                for (std::size_t row = 0; row < table.dfs.size(); ++row) {
                    table.computed[row][column] = solve(dunnett, table.dfs[row], alpha);
                }
            }
        }
    }
    for (Table& table : tables) {
        for (std::size_t row = 0; row < table.dfs.size(); ++row) {
            for (std::size_t column = 0; column < table.columns.size(); ++column) {
                const Real units = table.computed[row][column] * powerOfTen(table.decimals[row][column]);
                table.scaled[row][column] = std::lround(units);
                if (std::fabs(units - std::floor(units) - 0.5L) < 1e-6L) {
                    std::cerr << "warning: " << table.name << " df " << table.dfs[row] << " column "
                              << table.columns[column] << " lies within 1e-6 units of a rounding tie\n";
                }
            }
        }
    }
}

// Puts the printed values in place and returns the CSV of those that differ
// from the computed rounding.
std::string keepPrintedValues(std::vector<Table>& tables)
{
    std::ostringstream csv;
    csv << "table,df,k,printed,computed,printed minus computed\n";
    char buffer[64];
    for (const Printed& printed : printedValues()) {
        Table& table = findTable(tables, printed.table);
        const int row = printed.df == 0 ? 0 : indexOf(table.dfs, printed.df);
        for (std::size_t i = 0; i < printed.columns.size(); ++i) {
            const int column = indexOf(table.columns, printed.columns[i]);
            const int decimals = table.decimals[row][column];
            const Real value = std::strtold(printed.values[i], nullptr);
            const long scaled = std::lround(value * powerOfTen(decimals));
            if (scaled == table.scaled[row][column]) {
                continue;
            }
            const Real computed = table.computed[row][column];
            csv << table.name << ',' << (printed.df == 0 ? std::string() : std::to_string(printed.df)) << ','
                << printed.columns[i] << ',' << printed.values[i] << ',';
            std::snprintf(buffer, sizeof buffer, "%.*Lf,%+.*Lf\n", decimals + 4, computed, decimals + 4,
                          value - computed);
            csv << buffer;
            table.scaled[row][column] = scaled;
        }
    }
    return csv.str();
}

// Rows of integers, one C++ braced row per line with a trailing comment.
template <class Entry>
void writeRows(std::ostream& out, const std::vector<std::string>& comments, Entry entry, int rows, int columns)
{
    for (int row = 0; row < rows; ++row) {
        out << "        {{";
        for (int column = 0; column < columns; ++column) {
            out << (column == 0 ? "" : ", ") << entry(row, column);
        }
        out << "}},  // " << comments[row] << '\n';
    }
}

std::string dfComment(int df)
{
    return df == kInfinityKey ? "infinity" : "df " + std::to_string(df);
}

void checkRange(const Table& table, long low, long high, long value)
{
    if (value < low || value > high) {
        std::cerr << table.name << ": " << value << " does not fit its stored form\n";
        std::exit(1);
    }
}

std::string tableSource(const std::vector<Table>& tables)
{
    std::ostringstream out;
    out << "// Generated by `ombrix-critical-tables --generate`: change the generator in\n"
           "// tools/, not this file.\n"
           "//\n"
           "// Upper percentage points of the studentized range and of Dunnett's\n"
           "// many-to-one statistic, computed by numerical integration and rounded to\n"
           "// the stored decimals, except for the values printed in the published\n"
           "// tables that the program has always shown: those are kept as printed\n"
           "// (tools/kept_printed_values.csv lists where they differ).\n\n"
           "#include \"numeric/critical_tables.h\"\n\n"
           "namespace ombrix::numeric::detail {\n\n"
           "// clang-format off\n"
           "const std::array<RangeTable, kRangeLevels> kStudentizedRange = {{\n";
    for (int level = 0; level < detail::kRangeLevels; ++level) {
        const Table& table = tables[level];
        std::vector<std::string> comments;
        for (const int df : table.dfs) {
            comments.push_back(dfComment(df));
        }
        out << "    // " << table.name << ", columns k = 2 to 20, 22 to 40 by 2, 50 to 100 by 10\n    {{\n";
        writeRows(
            out, comments,
            [&](int row, int column) {
                const long value = table.scaled[row][column];
                checkRange(table, 0, 65535, value);
                return std::to_string(value);
            },
            int(table.dfs.size()), int(table.columns.size()));
        out << "    }},\n";
    }
    out << "}};\n";

    for (const Sides sides : kSides) {
        out << "\nconst std::array<Dunnett" << (sides == Sides::One ? "One" : "Two") << "SidedTable, 2> kDunnett"
            << (sides == Sides::One ? "One" : "Two") << "Sided = {{\n";
        for (const DunnettLevel level : kDunnettLevels) {
            const Table& table = findTable(tables, dunnettName(sides, level, false));
            std::vector<std::string> comments;
            for (std::size_t row = 0; row < table.dfs.size(); ++row) {
                comments.push_back(dfComment(table.dfs[row]) + ", base " +
                                   std::to_string(detail::dunnettBase(sides, level, int(row))));
            }
            out << "    // " << table.name << ", columns p = " << (sides == Sides::One ? "1 to 9" : "1 to 12, 15, 20")
                << "; value = (entry + base) / 100\n    {{\n";
            writeRows(
                out, comments,
                [&](int row, int column) {
                    const long value = table.scaled[row][column] - detail::dunnettBase(sides, level, row);
                    checkRange(table, 0, 255, value);
                    return std::to_string(value);
                },
                int(table.dfs.size()), int(table.columns.size()));
            out << "    }},\n";
        }
        out << "}};\n";
    }

    out << "\n// Indexed by level (0.05, 0.01), then one-sided, two-sided; p = 1 to 12, 15, 20.\n"
           "const std::array<std::array<DunnettInfiniteRow, 2>, 2> kDunnettInfinite = {{\n";
    for (const DunnettLevel level : kDunnettLevels) {
        out << "    {{\n";
        std::vector<std::string> comments;
        std::vector<const Table*> rows;
        for (const Sides sides : kSides) {
            comments.push_back(dunnettName(sides, level, true));
            rows.push_back(&findTable(tables, dunnettName(sides, level, true)));
        }
        writeRows(
            out, comments, [&](int row, int column) { return formatScaled(rows[row]->scaled[0][column], 2) + "L"; }, 2,
            int(rows[0]->columns.size()));
        out << "    }},\n";
    }
    out << "}};\n// clang-format on\n\n}  // namespace ombrix::numeric::detail\n";
    return out.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) {
        std::cerr << "cannot write " << path << '\n';
        std::exit(1);
    }
}

int generateTables(const std::string& sourceDir)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<Table> tables = emptyTables();
    computeTables(tables);
    const std::string kept = keepPrintedValues(tables);
    writeFile(sourceDir + "/numeric/critical_table_data.cpp", tableSource(tables));
    writeFile(sourceDir + "/tools/kept_printed_values.csv", kept);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cerr << "tables written in " << seconds << " s\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--print" && argc == 2) {
        return printTables();
    }
    if (command == "--generate" && argc == 3) {
        return generateTables(argv[2]);
    }
    std::cerr << "usage: ombrix-critical-tables --print\n"
                 "       ombrix-critical-tables --generate SOURCE_DIR\n";
    return 2;
}
