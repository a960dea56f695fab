// ombrix.ini: defaults, caps, the rules of each key, and the round trip
// through the main window.
#include <QFile>

#include "app/grid_models.h"
#include "app/shell_settings.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

TEST(WindowSizeSetting, DefaultsAndCaps)
{
    const struct {
        int width, height;
        QSize screen, expected;
    } cases[] = {
        {0, 0, {1024, 768}, {640, 480}},       {0, 600, {1024, 768}, {640, 480}},
        {800, 0, {1024, 768}, {640, 480}},     {-5, 600, {1024, 768}, {640, 480}},
        {5000, 600, {1024, 768}, {1024, 600}}, {800, 5000, {1024, 768}, {800, 768}},
        {800, 600, {1024, 768}, {800, 600}},   {5000, 5000, {0, 0}, {5000, 5000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowSizeSetting(c.width, c.height, c.screen), c.expected) << c.width << "x" << c.height;
}

TEST(DecimalSeparatorSetting, PointCommaAnythingElseAndMissing)
{
    const struct {
        const char* stored;
        QChar system;
        QChar expected;
    } cases[] = {
        {".", QLatin1Char(','), QLatin1Char('.')},
        {",", QLatin1Char('.'), QLatin1Char(',')},
        {";", QLatin1Char('.'), QLatin1Char(',')},
        {"", QLatin1Char('.'), QLatin1Char(',')},
        {nullptr, QLatin1Char('.'), QLatin1Char('.')},
        {nullptr, QLatin1Char(','), QLatin1Char(',')},
    };
    for (const auto& c : cases) {
        const QString stored = c.stored ? QString::fromUtf8(c.stored) : QString();
        EXPECT_EQ(decimalSeparatorSetting(c.stored ? &stored : nullptr, c.system), c.expected)
            << (c.stored ? c.stored : "(missing)");
    }
}

TEST(RecentFilesList, MostRecentFirstNineAtMost)
{
    RecentFiles recent;
    for (int i = 1; i <= 11; ++i)
        recent.add(QStringLiteral("/data/%1.OXD").arg(i));
    ASSERT_EQ(recent.entries().size(), RecentFiles::Capacity);
    EXPECT_EQ(recent.entries().constFirst(), QStringLiteral("/data/11.OXD"));
    EXPECT_EQ(recent.entries().constLast(), QStringLiteral("/data/3.OXD"));

    recent.add(QStringLiteral("/data/7.OXD"));
    EXPECT_EQ(recent.entries().mid(0, 6),
              (QStringList{QStringLiteral("/data/7.OXD"), QStringLiteral("/data/11.OXD"), QStringLiteral("/data/10.OXD"),
                           QStringLiteral("/data/9.OXD"), QStringLiteral("/data/8.OXD"), QStringLiteral("/data/6.OXD")}));
    EXPECT_EQ(recent.entries().size(), RecentFiles::Capacity);
}

class SettingsFileTest : public ::testing::Test {
protected:
    QString iniPath() const { return folder.filePath(QStringLiteral("sub/dir/ombrix.ini")); }
    ShellSettings read()
    {
        auto file = openSettingsFile(iniPath());
        return readSettings(*file, defaults);
    }
    void writeIni(const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir folder;
    SettingsDefaults defaults{QLatin1Char(','), QStringLiteral("/home/user/Documents"), {1024, 768}};
};

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesTheDefaults)
{
    for (const bool written : {false, true}) {
        if (written)
            writeIni(QByteArray("\x00\xff garbage [[[ =\n=\n[Options\nCompatibilityWarning\n", 42));
        const ShellSettings settings = read();
        EXPECT_TRUE(settings.compatibilityWarning);
        EXPECT_EQ(settings.decimalSeparator, QLatin1Char(','));
        EXPECT_EQ(settings.dataFolder, defaults.defaultFolder);
        EXPECT_EQ(settings.importFolder, defaults.defaultFolder);
        EXPECT_TRUE(settings.showNewUserHints);
        EXPECT_EQ(settings.windowSize, QSize(640, 480));
        EXPECT_TRUE(settings.recentFiles.entries().isEmpty());
    }
}

TEST_F(SettingsFileTest, WrittenSettingsReadBack)
{
    ShellSettings settings;
    settings.compatibilityWarning = false;
    settings.decimalSeparator = QLatin1Char('.');
    settings.dataFolder = QStringLiteral("/data/my files");
    settings.importFolder = QStringLiteral("/data/import");
    settings.showNewUserHints = false;
    settings.windowSize = QSize(900, 700);
    settings.recentFiles.setEntries({QStringLiteral("/a.OXD"), QStringLiteral("/b c.OXD")});
    {
        auto file = openSettingsFile(iniPath());
        writeSettings(*file, settings);
    }
    const ShellSettings back = read();
    EXPECT_FALSE(back.compatibilityWarning);
    EXPECT_EQ(back.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(back.dataFolder, settings.dataFolder);
    EXPECT_EQ(back.importFolder, settings.importFolder);
    EXPECT_FALSE(back.showNewUserHints);
    EXPECT_EQ(back.windowSize, QSize(900, 700));
    EXPECT_EQ(back.recentFiles.entries(), settings.recentFiles.entries());

    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("CompatibilityWarning=No"));
    EXPECT_TRUE(text.contains("[WindowSize]"));
    EXPECT_TRUE(text.contains("[Filenames]"));
}

TEST_F(SettingsFileTest, StoredValuesFollowTheirRules)
{
    writeIni("[Options]\nCompatibilityWarning=Yes\nDecimalSeparator=;\nShowNewUserHints=0\n"
             "[WindowSize]\nWidth=5000\nHeight=600\n");
    const ShellSettings settings = read();
    EXPECT_TRUE(settings.compatibilityWarning);
    EXPECT_EQ(settings.decimalSeparator, QLatin1Char(','));
    EXPECT_FALSE(settings.showNewUserHints);
    EXPECT_EQ(settings.windowSize, QSize(1024, 600));
}

TEST(SettingsLocation, UnderTheUsersConfigurationFolder)
{
    EXPECT_TRUE(settingsFilePath().endsWith(QStringLiteral("/Tarvenly Software/Ombrix/3.06/ombrix.ini")));
    EXPECT_TRUE(settingsFilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
}

using MainFormSettingsTest = ShellTest;

TEST_F(MainFormSettingsTest, ReadAtStartWrittenAtExit)
{
    TAnalysisForm* form = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_NE(form, nullptr);
    mainForm->settings().compatibilityWarning = false;
    mainForm->resize(700, 500);
    mainForm->exitProgram();
    EXPECT_FALSE(mainForm->isVisible());

    mainForm.reset();
    createMainForm();
    EXPECT_FALSE(mainForm->settings().compatibilityWarning);
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("sleep_paired.OXD")});
    EXPECT_EQ(mainForm->size(), QSize(700, 500));
    ASSERT_EQ(mainForm->recentFileActions().size(), 1);
}

TEST_F(MainFormSettingsTest, ExitStopsWhenADocumentIsKept)
{
    TAnalysisForm* form = mainForm->newDocument();
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("1")));
    asker.yesNoCancel = {Answer::Cancel};
    mainForm->exitProgram();
    EXPECT_TRUE(mainForm->isVisible());
    EXPECT_EQ(mainForm->documents().size(), 1);
    EXPECT_FALSE(settingsFile->contains(QStringLiteral("WindowSize/Width")));
}

}  // namespace
}  // namespace ombrix::app::testing
