#include "core/text_export.h"

#include <gtest/gtest.h>

#include "core/text_import.h"

namespace ombrix::core {
namespace {

TEST(TextExport, Arrangements)
{
    DataTable table;
    table.setTitle("Weights");
    table.setColumnTitle(0, "Before");
    table.setColumnTitle(1, "After, kg");
    table.setValue(0, 0, 1.5L);
    table.setValue(1, 0, 2);
    table.setValue(2, 0, 3.25L);
    table.setValue(0, 1, 4);
    table.setValue(2, 1, 6);
    table.setExcluded(2, 1, true);

    const struct {
        ExportOptions options;
        const char* text;
    } cases[] = {
        {{ExportArrangement::Standard, true, true, '\t', '.'},
         "Weights\r\nBefore\t\"After, kg\"\r\n1.5\t4\r\n2\t\r\n3.25\t6\r\n"},
        {{ExportArrangement::Standard, false, true, ',', '.'}, "Before,\"After, kg\"\r\n1.5,4\r\n2,\r\n3.25,6\r\n"},
        {{ExportArrangement::Standard, false, false, ',', ','}, "1,5;4\r\n2;\r\n3,25;6\r\n"},
        {{ExportArrangement::Index, false, true, '\t', '.'},
         "value\tgroup\r\n1.5\t1\r\n2\t1\r\n3.25\t1\r\n4\t2\r\n6\t2\r\n"},
        {{ExportArrangement::Index, true, false, '\t', ','},
         "Weights\r\n1,5\t1\r\n2\t1\r\n3,25\t1\r\n4\t2\r\n6\t2\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exportDataText(table, c.options), c.text);

    // Titles that are all empty would read back as a row of blanks.
    DataTable untitled;
    untitled.setValue(0, 1, 7);
    EXPECT_EQ(exportDataText(untitled, {ExportArrangement::Standard, true, true, ',', '.'}), "\r\n,7\r\n");
}

// Exported and imported again, every value comes back digit for digit, for
// both separators and both decimal marks.
TEST(TextExport, ImportGivesEveryValueBack)
{
    const Real values[][3] = {
        {0.1L, 1234567.891234L, -2.5e20L},
        {3.14159265358979323846L, MissingValue, 1e-10L},
        {12345678901234567.0L, 0, -0.000012L},
        {MissingValue, 2.0L / 3, 123456789012.125L},
    };
    DataTable table;
    table.setTitle("Round trip");
    const char* titles[] = {"Dose (\xC2\xB5g/ml)", "Response; \"raw\"", "Time, h"};
    for (int c = 0; c < 3; ++c) {
        table.setColumnTitle(c, titles[c]);
        for (int r = 0; r < 4; ++r)
            table.setValue(r, c, values[r][c]);
    }
    for (const char separator : {'\t', ',', ';'}) {
        for (const char decimals : {'.', ','}) {
            const std::string text =
                exportDataText(table, {ExportArrangement::Standard, true, true, separator, decimals});
            const TextTable back = readTextTable(text, decimals);
            const std::string name = text.substr(0, 60);
            EXPECT_EQ(back.table.title(), "Round trip") << name;
            EXPECT_EQ(back.unreadableTokens, 0) << name;
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(back.table.column(c).title, titles[c]) << name;
                for (int r = 0; r < 4; ++r)
                    EXPECT_EQ(back.table.value(r, c), values[r][c]) << name << " row " << r << " column " << c;
            }
        }
    }
}

}  // namespace
}  // namespace ombrix::core
