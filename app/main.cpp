// Ombrix, the desktop program: one running copy per user; a later start
// hands its file to that copy and ends.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSettings>
#include <QTimer>

#include "app/asker.h"
#include "app/file_association.h"
#include "app/main_form.h"
#include "app/shell_settings.h"
#include "app/single_instance.h"
#include "workflow/progress.h"

int main(int argc, char** argv)
{
    using namespace ombrix;

    // The icon and other resources live in the application library.
    Q_INIT_RESOURCE(ombrix);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));
    QApplication::setOrganizationName(QStringLiteral("Tarvenly Software"));
    QApplication::setApplicationVersion(QStringLiteral("3.06"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ombrix"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ombrix.svg")));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QString fileName = app::commandLineFile(arguments, QDir::currentPath());

    const QString serverName = app::instanceServerName();
    if (app::SingleInstance::handOver(serverName, fileName))
        return 0;
    app::SingleInstance instance(serverName);
    instance.listen();

    const QString dataHome = app::userDataHome();
    if (app::registerFileAssociation(dataHome, QApplication::applicationFilePath()).changed)
        app::announceAssociationChange(dataHome);

    const auto settings = app::openSettingsFile(app::settingsFilePath());
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress(clock);
    app::DialogAsker asker;
    app::TMainForm mainForm(*settings, progress, asker);
    QObject::connect(&instance, &app::SingleInstance::handedOver, &mainForm, &app::TMainForm::handOverReceived);

    mainForm.show();
    QTimer::singleShot(0, &mainForm, [&mainForm, fileName] { mainForm.startWith(fileName); });
    return QApplication::exec();
}
