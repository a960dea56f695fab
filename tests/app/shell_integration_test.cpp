// The shell's meeting points with the desktop: menus and shortcuts, the
// second start handing its file to the running program (across two real
// processes), the command line, and the file association.
#include <QFile>
#include <QMenuBar>
#include <QProcess>

#include "app/file_association.h"
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
    QObject::connect(&first, &SingleInstance::handedOver, [&received](const QString& name) { received.append(name); });

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMBRIX_TEST_HANDOVER_SERVER"), server);
    environment.insert(QStringLiteral("OMBRIX_TEST_HANDOVER_FILE"), QStringLiteral("relative name.OXD"));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(folder.path());
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SecondStart.*")});
    ASSERT_TRUE(second.waitForStarted(10000));
    EXPECT_TRUE(waitUntil([&] { return !received.isEmpty() && second.state() == QProcess::NotRunning; }, 30000))
        << second.readAllStandardOutput().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();
    // The second start's relative name is resolved in its own folder.
    EXPECT_EQ(received, QStringList{folder.filePath(QStringLiteral("relative name.OXD"))});
}

TEST(SingleInstanceTest, NobodyListeningOrASocketLeftByACrash)
{
    QTemporaryDir folder;
    EXPECT_FALSE(SingleInstance::handOver(folder.filePath(QStringLiteral("none.socket")), QStringLiteral("/a.OXD"), 500));
    const QString server = folder.filePath(QStringLiteral("stale.socket"));
    QFile(server).open(QIODevice::WriteOnly);  // a leftover socket file is taken over
    EXPECT_TRUE(SingleInstance(server).listen());
}

TEST(FileAssociation, WrittenWhenMissingOrDifferentOnly)
{
    QTemporaryDir home;
    const QString program = QStringLiteral("/usr/bin/ombrix");
    AssociationResult result = registerFileAssociation(home.path(), program);
    EXPECT_TRUE(result.ok && result.changed);
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("mime/packages/ombrix.xml"))));
    result = registerFileAssociation(home.path(), program);
    EXPECT_TRUE(result.ok && !result.changed);
    EXPECT_TRUE(registerFileAssociation(home.path(), QStringLiteral("/opt/my apps/ombrix")).changed);
    QFile entry(home.filePath(QStringLiteral("applications/ombrix.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=\"/opt/my apps/ombrix\" %f"));
    EXPECT_EQ(desktopExecQuoted(QStringLiteral("/a$b/c\"d")), QStringLiteral("\"/a\\\\$b/c\\\\\"d\""));
}

// The installed files are the reviewed text of the entry and the type.
TEST(FileAssociation, InstalledFilesMatchWhatTheProgramWrites)
{
    const QString source = QStringLiteral(OMBRIX_TEST_DATA_DIR "/../app/");
    QFile mime(source + QStringLiteral("ombrix.xml"));
    ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(mime.readAll()), mimePackageText());
    QFile entry(source + QStringLiteral("ombrix.desktop.in"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QString configured = QString::fromUtf8(entry.readAll());
    configured.replace(QStringLiteral("\"@OMBRIX_INSTALLED_PROGRAM@\""), desktopExecQuoted(QStringLiteral("/usr/bin/ombrix")));
    EXPECT_EQ(configured, desktopEntryText(QStringLiteral("/usr/bin/ombrix")));
}

}  // namespace
}  // namespace ombrix::app::testing
