// ombrix.ini: defaults, caps, the rules of each key, and the round trip
// through the main window.
#include <QFile>

#include "app/grid_models.h"
#include "app/shell_settings.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

TEST(RecentFilesList, MostRecentFirstNineAtMost)
{
    RecentFiles recent;
    for (int i = 1; i <= 11; ++i)
        recent.add(QStringLiteral("/data/%1.OXD").arg(i));
    recent.add(QStringLiteral("/data/7.OXD"));
    EXPECT_EQ(recent.entries().size(), RecentFiles::Capacity);
    EXPECT_EQ(recent.entries().mid(0, 3), (QStringList{QStringLiteral("/data/7.OXD"), QStringLiteral("/data/11.OXD"),
                                                       QStringLiteral("/data/10.OXD")}));
    EXPECT_EQ(recent.entries().constLast(), QStringLiteral("/data/3.OXD"));
}

// Every setting in one line, so that a whole reading compares at once.
std::string describe(const ShellSettings& s)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6x%7 %8")
        .arg(int{s.compatibilityWarning})
        .arg(s.decimalSeparator)
        .arg(s.dataFolder, s.importFolder)
        .arg(int{s.showNewUserHints})
        .arg(s.windowSize.width())
        .arg(s.windowSize.height())
        .arg(s.recentFiles.entries().join(QLatin1Char(';')))
        .toStdString();
}

class SettingsFileTest : public ::testing::Test {
protected:
    QString iniPath() const { return folder.filePath(QStringLiteral("sub/dir/ombrix.ini")); }
    std::string read() { return describe(readSettings(*openSettingsFile(iniPath()), defaults)); }
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

TEST_F(SettingsFileTest, MissingUnreadableAndStoredValues)
{
    const std::string defaultReading = "1 , /home/user/Documents /home/user/Documents 1 640x480 ";
    EXPECT_EQ(read(), defaultReading);
    writeIni(QByteArray("\x00\xff garbage [[[ =\n=\n[Options\nCompatibilityWarning\n", 42));
    EXPECT_EQ(read(), defaultReading);
    // Anything but a point or a comma is a comma; the window fits the screen.
    writeIni("[Options]\nCompatibilityWarning=Yes\nDecimalSeparator=;\nShowNewUserHints=0\n"
             "[WindowSize]\nWidth=5000\nHeight=5000\n");
    EXPECT_EQ(read(), "1 , /home/user/Documents /home/user/Documents 0 1024x768 ");
    writeIni("[Options]\nDecimalSeparator=.\n[WindowSize]\nWidth=-5\nHeight=600\n");
    EXPECT_EQ(read(), "1 . /home/user/Documents /home/user/Documents 1 640x480 ");
}

TEST_F(SettingsFileTest, WrittenSettingsReadBack)
{
    ShellSettings settings;
    settings.compatibilityWarning = false;
    settings.dataFolder = QStringLiteral("/data/my files");
    settings.importFolder = QStringLiteral("/data/import");
    settings.showNewUserHints = false;
    settings.windowSize = QSize(900, 700);
    settings.recentFiles.setEntries({QStringLiteral("/a.OXD"), QStringLiteral("/b c.OXD")});
    writeSettings(*openSettingsFile(iniPath()), settings);
    EXPECT_EQ(read(), describe(settings));

    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("CompatibilityWarning=No")) << "the keys the program has always used";
}

using MainFormSettingsTest = ShellTest;

TEST_F(MainFormSettingsTest, ReadAtStartWrittenAtExitUnlessADocumentIsKept)
{
    asker.yesNoCancel = {Answer::Cancel};
    ASSERT_TRUE(mainForm->newDocument()->dataModel()->enterText(0, 0, QStringLiteral("1")));
    mainForm->exitProgram();
    EXPECT_TRUE(mainForm->isVisible());
    EXPECT_FALSE(settingsFile->contains(QStringLiteral("WindowSize/Width")));
    mainForm->documents().constFirst()->dataSet().modified = false;

    ASSERT_NE(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    mainForm->settings().compatibilityWarning = false;
    mainForm->resize(700, 500);
    mainForm->exitProgram();
    EXPECT_FALSE(mainForm->isVisible());
    mainForm.reset();
    createMainForm();
    EXPECT_FALSE(mainForm->settings().compatibilityWarning);
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("sleep_paired.OXD")});
    EXPECT_EQ(mainForm->size(), QSize(700, 500));
    EXPECT_EQ(mainForm->recentFileActions().size(), 1);
}

}  // namespace
}  // namespace ombrix::app::testing
