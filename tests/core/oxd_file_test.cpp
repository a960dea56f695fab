#include "core/oxd_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>

#include <sys/stat.h>

#include "core/choice_table.h"

namespace ombrix::core {
namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

TEST(FileNumbers, ShortestTextThatReadsBack)
{
    // Cells and summary numbers are written alike.
    const struct {
        Real value;
        const char* text;
    } cases[] = {
        {0.1L, "0.1"},
        {100, "100"},
        {0, "0"},
        {-2.5L, "-2.5"},
        {1e-5L, "1.000E-05"},
        {1e150L, "1.000E+150"},           // every exponent digit kept
        {12345678.9L, "1.23456789E+07"},  // once cut to four digits
        {0.000123456L, "0.000123456"},    // once cut to eight decimals
        {1e7L, "10000000"},
        {0.0001L, "0.0001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cellFileText(c.value), c.text);
}

TEST(DataFile, LayoutTests)
{
    const struct {
        DataFormat format;
        int row, column;
        bool extraTitle;
        bool extraN;
        bool current;
        int code;
    } cases[] = {
        {DataFormat::Raw, 2, 1, false, false, false, 1},
        {DataFormat::Raw, 0, 27, false, false, true, 101},    // data in column AB
        {DataFormat::Raw, 1000, 0, false, false, true, 101},  // 1001 rows
        {DataFormat::Raw, 0, 0, true, false, true, 101},
        {DataFormat::Raw, 0, 0, false, true, true, 101},
        {DataFormat::MeanSDN, -1, 0, false, false, false, 2},     // no cells: the summary test only
        {DataFormat::MeanSDN, 1000, 0, false, false, true, 102},  // cells kept beyond 1000 rows
        {DataFormat::MeanSEMN, 0, 0, false, true, true, 103},
        {DataFormat::XY, 0, 0, false, true, false, 6},  // size test only
        {DataFormat::XY, 1500, 0, false, false, true, 106},
        {DataFormat::LargerTable, 0, 30, false, false, true, 104},
        {DataFormat::MultipleRegression, 0, 0, true, false, true, 101},
        {DataFormat::MultipleRegression, 3, 3, false, false, false, 1},
        {DataFormat::TwoByTwo, 5000, 40, true, true, false, 5},
    };
    for (const auto& c : cases) {
        auto dataSet = std::make_unique<DataSet>();
        dataSet->format = c.format;
        dataSet->table.setValue(c.row, c.column, 1);
        if (c.extraTitle)
            dataSet->table.setColumnTitle(30, "far");
        if (c.extraN)
            dataSet->table.column(40).n = 3;
        EXPECT_EQ(needsCurrentLayout(*dataSet), c.current) << static_cast<int>(c.format) << " " << c.row;
        const std::vector<std::string> lines = linesOf(writeDataSetText(*dataSet));
        EXPECT_EQ(lines[1], c.current ? "3.10" : "3.00");
        EXPECT_EQ(lines[2], std::to_string(c.code));
        EXPECT_EQ(lines[3], c.format == DataFormat::MultipleRegression ? "1" : "");
    }
}

TEST(DataFile, ThousandAndOneRows)
{
    auto dataSet = std::make_unique<DataSet>();
    for (int r = 0; r <= 1000; ++r)
        dataSet->table.setValue(r, 0, r);
    const std::vector<std::string> lines = linesOf(writeDataSetText(*dataSet));
    const auto start = std::find(lines.begin(), lines.end(), "<<START EXCLUDE FLAGS>>");
    const auto end = std::find(lines.begin(), lines.end(), "<<END EXCLUDE FLAGS>>");
    EXPECT_EQ(end - start - 1, 1000);  // rows 0..999 only
    const auto extraStart = std::find(lines.begin(), lines.end(), "<<BEGIN EXCLUDE FLAGS EXTRA>>");
    const auto extraEnd = std::find(lines.begin(), lines.end(), "<<END EXCLUDE FLAGS EXTRA>>");
    EXPECT_EQ(extraEnd - extraStart - 1, 1001);
}

TEST(DataFile, VersionAndFormatChecks)
{
    auto dataSet = std::make_unique<DataSet>();
    dataSet->table.setValue(0, 0, 1);
    std::string text = writeDataSetText(*dataSet);
    auto withVersion = [&](const char* version) {
        std::string changed = text;
        changed.replace(changed.find("3.00"), 4, version);
        return readDataSetText(changed);
    };
    EXPECT_TRUE(withVersion("3.1").dataSet);
    EXPECT_TRUE(withVersion("abc").dataSet);  // an unreadable version does not stop reading
    const OpenResult newer = withVersion("3.2");
    EXPECT_FALSE(newer.dataSet);
    EXPECT_EQ(newer.message, NewerVersionMessage);

    EXPECT_EQ(detectFormatOfText("x\r\n3.10\r\n101\r\n1\r\n"), 7);
    EXPECT_EQ(detectFormatOfText("x\n3.00\n1\n\n"), 1);
    EXPECT_EQ(detectFormatOfText("x\n3.00\n106\n\n"), 6);
    EXPECT_EQ(detectFormatOfText("x\n3.00\n8\n\n"), 0);
    EXPECT_EQ(detectFormatOfText("x\n3.00\nfive\n\n"), 0);
    EXPECT_EQ(detectFormatOfText(""), 0);
    const OpenResult notOurs = readDataSetText("hello\nworld\n");
    EXPECT_FALSE(notOurs.dataSet);
    EXPECT_EQ(notOurs.message, NotADataFileMessage);
}

TEST(DataFile, MissingPartsKeepTheDefaultsOfANewDocument)
{
    auto dataSet = std::make_unique<DataSet>();
    dataSet->table.setValue(0, 0, 1);
    dataSet->table.setValue(0, 1, 2);
    dataSet->table.setFixedDecimals(0, 3);
    dataSet->table.setSelected(1, false);
    dataSet->notes.setText("line one\r\nline two\r\n");
    dataSet->choices.TwoColUnpaired = false;
    const std::string text = writeDataSetText(*dataSet);
    const auto cutAfter = [&](const std::string& marker) {
        return readDataSetText(text.substr(0, text.find(marker + "\r\n") + marker.size() + 2));
    };
    OpenResult back = cutAfter("<<END NOTES>>");
    ASSERT_TRUE(back.dataSet);
    EXPECT_EQ(back.dataSet->notes.text(), "line one\r\nline two\r\n");
    EXPECT_TRUE(back.dataSet->table.isSelected(1));
    EXPECT_EQ(back.dataSet->table.fixedDecimals(0), -1);
    EXPECT_EQ(back.dataSet->table.value(0, 1), 2);

    // Cut before the choices: each is that of a new document, not the
    // "false" an empty line would read as.
    back = cutAfter("<<END STAT DATA>>");
    ASSERT_TRUE(back.dataSet);
    EXPECT_TRUE(back.dataSet->choices == AnalysisChoices{});

    // A choice block ended early by its marker: the rest keep their defaults
    // and the sections after it are still read.
    const size_t choices = text.find("<<END STAT DATA>>\r\n") + 19;
    std::string shortBlock = text;
    shortBlock.erase(choices, shortBlock.find("<<END CHOICES>>") - choices);
    back = readDataSetText(shortBlock);
    ASSERT_TRUE(back.dataSet);
    EXPECT_TRUE(back.dataSet->choices.TwoColUnpaired);
    EXPECT_EQ(back.dataSet->notes.text(), "line one\r\nline two\r\n");

    auto xy = std::make_unique<DataSet>();
    xy->format = DataFormat::XY;
    xy->table.setValue(0, 0, 1);
    std::string xyText = writeDataSetText(*xy);
    xyText.resize(xyText.find("T\r\n"));  // cut before the first choice
    back = readDataSetText(xyText);
    ASSERT_TRUE(back.dataSet);
    EXPECT_TRUE(back.dataSet->choices == AnalysisChoices{});
}

TEST(DataFile, RowsBeyondTheTableAreReportedNotLostSilently)
{
    // Line feeds alone end the lines as well as carriage return and line feed.
    for (const int rows : {MaxFileRows, MaxFileRows + 2}) {
        std::string text = "x\n3.00\n1\n\n\n\ntitle\n";
        for (int r = 0; r < rows; ++r)
            text += std::to_string(r) + ",\n";
        const OpenResult back = readDataSetText(text + "<<END RAW DATA>>\n");
        ASSERT_TRUE(back.dataSet);
        EXPECT_EQ(back.dataSet->table.title(), "title");
        EXPECT_EQ(back.dataSet->table.value(MaxFileRows - 1, 0), MaxFileRows - 1);
        EXPECT_EQ(back.warning, rows > MaxFileRows ? TooManyRowsMessage : "");
    }
}

bool keptBy(DataFormat format, const ChoiceDescriptor& choice)
{
    switch (format) {
    case DataFormat::XY: return choice.group == ChoiceGroup::XY;
    case DataFormat::TwoByTwo:
        return choice.group == ChoiceGroup::TwoByTwo || choice.group == ChoiceGroup::TwoByTwoTail;
    case DataFormat::MultipleRegression:
        return choice.group == ChoiceGroup::MultipleRegression || choice.kind == ChoiceKind::ColumnFlags;
    case DataFormat::LargerTable: return false;
    default:
        return choice.group == ChoiceGroup::ColumnFormats || choice.group == ChoiceGroup::ColumnFormatsTail ||
               choice.kind == ChoiceKind::PairFlags;
    }
}

// Fills a data set with everything its format saves, at random.
void fillRandomly(DataSet& d, std::mt19937& random, bool large)
{
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> exponent(-300, 300);
    auto randomValue = [&]() -> Real {
        switch (random() % 5) {
        case 0: return std::round(unit(random) * 1000);
        case 1: return std::round(unit(random) * 1e4) / 100;
        case 2: return (coin(random) ? -1 : 1) * static_cast<Real>(unit(random)) * std::pow(10.0L, exponent(random));
        case 3: return static_cast<Real>(random()) / 3;
        default: return 0;
        }
    };
    DataTable& t = d.table;
    const int rows = large ? 1200 : 20;
    const int columns = large ? 40 : 6;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (random() % 4 != 0) {
                t.setValue(r, c, randomValue());
                if (random() % 10 == 0)
                    t.setExcluded(r, c, true);
            }
    for (int c = 0; c < columns; ++c) {
        t.setColumnTitle(c, "Col " + std::to_string(c) + (coin(random) ? " \xc3\xa9t\xc3\xa9" : ""));
        t.setFixedDecimals(c, static_cast<int>(random() % 8) - 1);
        t.setSelected(c, coin(random));
    }
    for (int r = 0; r < rows; r += 7) {
        std::string title = "R";  // appended: GCC 12 misreads "R" + std::string in Release
        title += std::to_string(r * 3);
        t.setRowTitle(r, title);
    }
    t.setTitle("Random table " + std::to_string(random() % 1000));
    d.notes.setText("First line\r\nSecond, with a comma\r\n\r\n<<END NOTES>>\r\nlast");

    // Only the choices the format keeps: the others read back as defaults.
    for (const ChoiceDescriptor& choice : choiceTable()) {
        if (!keptBy(d.format, choice))
            continue;
        if (choice.kind == ChoiceKind::Number)
            d.choices.*choice.number = randomValue();
        else if (choice.kind == ChoiceKind::PairFlags || choice.kind == ChoiceKind::ColumnFlags)
            for (bool& flag : choice.kind == ChoiceKind::PairFlags ? std::span<bool>(d.choices.SelectedPairs)
                                                                   : std::span<bool>(d.choices.IndependentColumns))
                flag = coin(random);
        else
            choice.set(d.choices, choice.low + static_cast<int>(random() % unsigned(choice.high - choice.low + 1)));
    }
    d.choices.ShowSD = d.format != DataFormat::MeanSEMN;
    d.twoByTwo.counts = {12, 5, 3, MissingValue};
    d.twoByTwo.titles = {"Exposed", "Unexposed", "Sick", ""};
    d.graph.analysedDataOnly = coin(random);
    d.graph.multipleRegressionX = "Col 1";
    d.graph.multipleRegressionY = "Col 0";
}

void expectCellsEqual(const DataTable& a, const DataTable& b)
{
    for (int r = 0; r <= std::max(a.lastUsedRow(), b.lastUsedRow()); ++r)
        for (int c = 0; c < TableColumns; ++c) {
            ASSERT_EQ(a.value(r, c), b.value(r, c)) << r << "," << c;
            ASSERT_EQ(a.isExcluded(r, c), b.isExcluded(r, c)) << r << "," << c;
        }
}

TEST(DataFile, RandomRoundTripsOfEveryFormat)
{
    std::mt19937 random(20261207);
    for (const DataFormat format : AllDataFormats) {
        for (const bool large : {false, true}) {
            auto d = std::make_unique<DataSet>();
            d->format = format;
            fillRandomly(*d, random, large);
            if (format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN) {
                d->table.setAllMeanEntry(true);
                for (int c = 0; c < TableColumns; c += 3) {
                    d->table.column(c).n = 5 + c;
                    d->table.column(c).mean = 1.0L / (c + 3);
                    d->table.column(c).sd = 0.000123456L;
                    d->table.column(c).sem = MissingValue;
                    d->table.column(c).median = 2.5L;
                }
            }
            SCOPED_TRACE(std::string(formatCaption(format)) + (large ? " large" : " small"));
            OpenResult read = readDataSetText(writeDataSetText(*d));
            ASSERT_TRUE(read.dataSet) << read.message;
            const std::unique_ptr<DataSet>& back = read.dataSet;
            EXPECT_EQ(back->format, format);
            EXPECT_TRUE(back->choices == d->choices);
            EXPECT_FALSE(back->modified);
            EXPECT_TRUE(back->resultsStale);
            EXPECT_EQ(back->notes.text(), "First line\r\nSecond, with a comma\r\n\r\n <<END NOTES>>\r\nlast\r\n");
            if (format != DataFormat::TwoByTwo)
                expectCellsEqual(d->table, back->table);
            // Titles, statistics, decimals, selection, row titles and the
            // rest: what was read writes the same file again.
            EXPECT_EQ(writeDataSetText(*back), writeDataSetText(*d));
        }
    }
}

TEST(DataFile, OldPairLineFollowsTheSelectedColumns)
{
    // Selected columns A, C, D and AB: the older program's line holds the
    // pairs among A, C and D (positions 0..2), padded with F to 351.
    auto d = std::make_unique<DataSet>();
    for (int c = 0; c < TableColumns; ++c)
        d->table.setSelected(c, c == 0 || c == 2 || c == 3 || c == 27);
    d->choices.SelectedPairs.fill(false);
    d->choices.SelectedPairs[selectedPairIndex(0, 2)] = true;  // A-D
    d->choices.SelectedPairs[selectedPairIndex(2, 3)] = true;  // D-AB: not in the old line
    const std::vector<std::string> lines = linesOf(writeDataSetText(*d));
    const auto end = std::find(lines.begin(), lines.end(), "<<END CHOICES>>");
    ASSERT_NE(end, lines.end());
    const std::string& pairs = *(end - 1);
    EXPECT_EQ(pairs.size(), 351u - 3u);  // 6 pairs counted, 3 written, F up to 351
    EXPECT_EQ(pairs.substr(0, 3), "FTF");
    EXPECT_EQ(pairs.find('T', 3), std::string::npos);

    // A file of the older program has no EXTRA pair line: the old line is used.
    std::string text = writeDataSetText(*d);
    text.resize(text.find("<<BEGIN COLUMN STATISTIC EXTRA>>"));
    OpenResult back = readDataSetText(text);
    ASSERT_TRUE(back.dataSet);
    EXPECT_TRUE(back.dataSet->choices.SelectedPairs[selectedPairIndex(0, 2)]);
    EXPECT_FALSE(back.dataSet->choices.SelectedPairs[selectedPairIndex(0, 1)]);
}

class SaveTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-save-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string read(const std::filesystem::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    int entries() const { return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir), {})); }
};

TEST_F(SaveTest, SaveAndOpen)
{
    auto d = std::make_unique<DataSet>();
    d->table.setValue(0, 0, 12345678.9L);
    d->modified = true;
    const std::string path = (dir / "a.OXD").string();
    const SaveResult saved = saveDataSet(*d, path);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_FALSE(d->modified);
    EXPECT_EQ(DetectFileFormat(path), 1);
    EXPECT_EQ(ReadFileVersion(path).value_or(0), 3.0L);
    EXPECT_EQ(read(path), writeDataSetText(*d));
    EXPECT_EQ(entries(), 1);  // no temporary file left

    // A symbolic link keeps pointing at the file, which gets the new text.
    std::filesystem::create_symlink("a.OXD", dir / "link.OXD");
    d->table.setValue(0, 0, 2);
    ASSERT_TRUE(saveDataSet(*d, (dir / "link.OXD").string()).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.OXD"));
    EXPECT_EQ(read(dir / "a.OXD"), writeDataSetText(*d));
    EXPECT_EQ(entries(), 2);
}

TEST_F(SaveTest, RefusedTargetsAreLeftAsTheyWere)
{
    auto d = std::make_unique<DataSet>();
    d->table.setValue(0, 0, 1);
    const std::filesystem::path readOnly = dir / "read_only.OXD";
    std::ofstream(readOnly) << "kept";
    // Refused even for the superuser, who may write any file: no write bit
    // at all is the user's own protection.
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ASSERT_EQ(::mkfifo((dir / "fifo.OXD").c_str(), 0644), 0);
    std::filesystem::create_directories(dir / "adir.OXD" / "inner");
    const struct {
        std::filesystem::path path;
        const char* error;
    } cases[] = {
        {readOnly, std::strerror(EACCES)},
        {dir / "fifo.OXD", std::strerror(EPERM)},
        {dir / "adir.OXD", std::strerror(EISDIR)},
        {dir / "missing" / "x.OXD", std::strerror(ENOENT)},
    };
    for (const auto& c : cases) {
        d->modified = true;
        const SaveResult failed = saveDataSet(*d, c.path.string());
        EXPECT_FALSE(failed.ok) << c.path;
        EXPECT_EQ(failed.error, c.error) << c.path;
        EXPECT_TRUE(d->modified);
    }
    EXPECT_EQ(read(readOnly), "kept");
    EXPECT_EQ(std::filesystem::status(dir / "fifo.OXD").type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(entries(), 3);  // no temporary file left
}

TEST_F(SaveTest, FilesTooLargeToReadSaySo)
{
    const std::filesystem::path path = dir / "huge.OXD";
    std::ofstream(path) << "x\r\n3.00\r\n1\r\n";
    std::filesystem::resize_file(path, MaxFileBytes + 1);  // sparse: takes no room
    EXPECT_EQ(openDataFile(path.string()).message, TooLargeMessage);
}

TEST(DataFile, CompatibilityWarningOncePerDocument)
{
    auto d = std::make_unique<DataSet>();
    const SaveResult current{true, "", true}, older{true, "", false};
    EXPECT_TRUE(compatibilityWarningDue(*d, current, true));
    EXPECT_FALSE(compatibilityWarningDue(*d, current, true));
    EXPECT_FALSE(compatibilityWarningDue(*d, older, true));
    EXPECT_TRUE(compatibilityWarningDue(*d, current, true));
    EXPECT_FALSE(compatibilityWarningDue(*std::make_unique<DataSet>(), current, false));
}

}  // namespace
}  // namespace ombrix::core
