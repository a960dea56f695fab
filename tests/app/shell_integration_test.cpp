// The shell's meeting points with the desktop: menus and shortcuts, the
// second start handing its file to the running program (across two real
// processes), the command line, the file association, and ombrix.ini.
#include <QFile>
#include <QMenuBar>
#include <QProcess>

#include "app/file_association.h"
#include "app/grid_models.h"
#include "app/shell_settings.h"
#include "app/single_instance.h"
#include "tests/support/golden_file.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

using MenuTest = ShellTest;

// The menus as a user finds them with one document open: captions,
// shortcuts, and the commands of later work greyed out.
TEST_F(MenuTest, MenusMatchGolden)
{
    mainForm->newDocument();
    QString dump;
    for (QAction* menu : mainForm->menuBar()->actions()) {
        dump += menu->text() + QStringLiteral("\r\n");
        for (QAction* action : menu->menu()->actions()) {
            if (action->isSeparator() || action->text().isEmpty())
                continue;
            dump += QStringLiteral("  %1\t%2%3\r\n")
                        .arg(action->text(), action->shortcut().toString(),
                             action->isEnabled() ? QString() : QStringLiteral("\t(disabled)"));
        }
    }
    EXPECT_TRUE(ombrix::testing::matchesGolden(dump.toStdString(), "menus.txt"));
}

TEST(CommandLine, FileArgumentBecomesAFullPath)
{
    QTemporaryDir folder;
    QFile(folder.filePath(QStringLiteral("with blank.OXD"))).open(QIODevice::WriteOnly);
    const QString cwd = folder.path();
    EXPECT_EQ(commandLineFile({}, cwd), QString());
    EXPECT_EQ(commandLineFile({QStringLiteral("a.OXD")}, cwd), folder.filePath(QStringLiteral("a.OXD")));
    EXPECT_EQ(commandLineFile({QStringLiteral("/x/../y/b.OXD")}, cwd), QStringLiteral("/y/b.OXD"));
    // An unquoted name with a blank arrives as two arguments.
    EXPECT_EQ(commandLineFile({QStringLiteral("with"), QStringLiteral("blank.OXD")}, cwd),
              folder.filePath(QStringLiteral("with blank.OXD")));
    EXPECT_EQ(commandLineFile({QStringLiteral("one.OXD"), QStringLiteral("two.OXD")}, cwd),
              folder.filePath(QStringLiteral("one.OXD")));
}

// Run as the second process by HandOverBetweenTwoProcesses; skipped otherwise.
TEST(SecondStart, HandsOverAndEnds)
{
    const QString server = qEnvironmentVariable("OMBRIX_TEST_HANDOVER_SERVER");
    if (server.isEmpty())
        GTEST_SKIP() << "runs only as the second process of HandOverBetweenTwoProcesses";
    const QString fileName = commandLineFile({qEnvironmentVariable("OMBRIX_TEST_HANDOVER_FILE")}, QDir::currentPath());
    ASSERT_TRUE(SingleInstance::handOver(server, fileName));
}

TEST(SingleInstanceTest, HandOverBetweenTwoProcesses)
{
    QTemporaryDir folder;
    const QString server = folder.filePath(QStringLiteral("ombrix.socket"));
    SingleInstance first(server);
    ASSERT_TRUE(first.listen());
    EXPECT_FALSE(SingleInstance(server).listen()) << "a second program took the name";

    QStringList received;
    QObject::connect(&first, &SingleInstance::handedOver, [&](const QString& name) { received.append(name); });

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMBRIX_TEST_HANDOVER_SERVER"), server);
    environment.insert(QStringLiteral("OMBRIX_TEST_HANDOVER_FILE"), QStringLiteral("relative name.OXD"));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(folder.path());
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SecondStart.*")});
    ASSERT_TRUE(second.waitForStarted(10000));
    EXPECT_TRUE(waitUntil([&] { return !received.isEmpty() && second.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();
    // The second start's relative name is resolved in its own folder.
    EXPECT_EQ(received, QStringList{folder.filePath(QStringLiteral("relative name.OXD"))});

    // With nobody listening the program starts normally; it takes over a
    // socket file a crashed program left.
    const QString stale = folder.filePath(QStringLiteral("stale.socket"));
    EXPECT_FALSE(SingleInstance::handOver(stale, QStringLiteral("/a.OXD"), 500));
    QFile(stale).open(QIODevice::WriteOnly);
    EXPECT_TRUE(SingleInstance(stale).listen());
}

// Written when missing or different only; the installed files are the
// reviewed text of the entry and the type.
TEST(FileAssociation, WrittenWhenNeededAndAsInstalled)
{
    QTemporaryDir home;
    const QString program = QStringLiteral("/usr/bin/ombrix");
    AssociationResult result = registerFileAssociation(home.path(), program);
    EXPECT_TRUE(result.ok && result.changed);
    result = registerFileAssociation(home.path(), program);
    EXPECT_TRUE(result.ok && !result.changed);
    EXPECT_TRUE(registerFileAssociation(home.path(), QStringLiteral("/opt/my apps/ombrix")).changed);
    EXPECT_EQ(desktopExecQuoted(QStringLiteral("/a$b/c\"d")), QStringLiteral("\"/a\\\\$b/c\\\\\"d\""));

    const auto read = [](const QString& name) {
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return QString::fromUtf8(file.readAll());
    };
    EXPECT_TRUE(read(home.filePath(QStringLiteral("applications/ombrix.desktop")))
                    .contains(QStringLiteral("Exec=\"/opt/my apps/ombrix\" %f")));
    EXPECT_EQ(read(QStringLiteral(OMBRIX_TEST_DATA_DIR "/../app/ombrix.xml")), mimePackageText());
    EXPECT_EQ(read(home.filePath(QStringLiteral("mime/packages/ombrix.xml"))), mimePackageText());
    QString configured = read(QStringLiteral(OMBRIX_TEST_DATA_DIR "/../app/ombrix.desktop.in"));
    configured.replace(QStringLiteral("\"@OMBRIX_INSTALLED_PROGRAM@\""), desktopExecQuoted(program));
    EXPECT_EQ(configured + QLatin1String(WrittenAtStartKey) + QLatin1Char('\n'), desktopEntryText(program));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("icons/hicolor/scalable/apps/ombrix.svg"))));

    // An entry cmake --install wrote stays as it is; an installed program writes nothing.
    QFile installed(home.filePath(QStringLiteral("applications/ombrix.desktop")));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.write(configured.toUtf8());
    installed.close();
    EXPECT_FALSE(registerFileAssociation(home.path(), QStringLiteral("/home/me/build/bin/ombrix")).changed);
    EXPECT_EQ(read(installed.fileName()), configured);
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("share/applications"));
    QDir(prefix.path()).mkpath(QStringLiteral("bin"));
    QFile(prefix.filePath(QStringLiteral("share/applications/ombrix.desktop"))).open(QIODevice::WriteOnly);
    QTemporaryDir otherHome;
    EXPECT_FALSE(registerFileAssociation(otherHome.path(), prefix.filePath(QStringLiteral("bin/ombrix"))).changed);
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

TEST(SettingsFile, MissingUnreadableStoredAndWrittenValues)
{
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("sub/dir/ombrix.ini"));
    const SettingsDefaults defaults{QLatin1Char(','), QStringLiteral("/home/user/Documents"), {1024, 768}};
    const auto read = [&] { return describe(readSettings(*openSettingsFile(ini), defaults)); };
    const auto write = [&](const QByteArray& text) {
        QDir().mkpath(QFileInfo(ini).absolutePath());
        QFile file(ini);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    const std::string defaultReading = "1 , /home/user/Documents /home/user/Documents 1 640x480 ";
    EXPECT_EQ(read(), defaultReading);
    write(QByteArray("\x00\xff garbage [[[ =\n=\n[Options\nCompatibilityWarning\n", 42));
    EXPECT_EQ(read(), defaultReading);
    // Anything but a point or a comma is a comma; the window fits the screen.
    write("[Options]\nCompatibilityWarning=Yes\nDecimalSeparator=;\nShowNewUserHints=0\n"
          "[WindowSize]\nWidth=5000\nHeight=5000\n");
    EXPECT_EQ(read(), "1 , /home/user/Documents /home/user/Documents 0 1024x768 ");
    write("[Options]\nDecimalSeparator=.\n[WindowSize]\nWidth=-5\nHeight=600\n");
    EXPECT_EQ(read(), "1 . /home/user/Documents /home/user/Documents 1 640x480 ");

    ShellSettings settings;
    settings.compatibilityWarning = settings.showNewUserHints = false;
    settings.dataFolder = QStringLiteral("/data/my files");
    settings.importFolder = QStringLiteral("/data/import");
    settings.windowSize = QSize(900, 700);
    settings.recentFiles.setEntries({QStringLiteral("/a.OXD"), QStringLiteral("/b c.OXD")});
    writeSettings(*openSettingsFile(ini), settings);
    EXPECT_EQ(read(), describe(settings));
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("CompatibilityWarning=No")) << "the keys the program has always used";
}

using MainFormSettingsTest = ShellTest;

TEST_F(MainFormSettingsTest, ReadAtStartWrittenAtExitUnlessADocumentIsKept)
{
    asker.yesNoCancel = {Answer::Cancel};
    ASSERT_TRUE(mainForm->newDocument()->dataModel()->enterText(0, 0, QStringLiteral("1")));
    mainForm->exitProgram();
    EXPECT_TRUE(mainForm->isVisible() && !settingsFile->contains(QStringLiteral("WindowSize/Width")));
    mainForm->documents().constFirst()->dataSet().modified = false;

    ASSERT_NE(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    mainForm->settings().compatibilityWarning = false;
    mainForm->resize(700, 500);
    mainForm->exitProgram();
    EXPECT_FALSE(mainForm->isVisible());
    mainForm.reset();
    createMainForm();
    EXPECT_TRUE(!mainForm->settings().compatibilityWarning && mainForm->size() == QSize(700, 500));
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("sleep_paired.OXD")});
    EXPECT_EQ(mainForm->recentFileActions().size(), 1);
}

}  // namespace
}  // namespace ombrix::app::testing
