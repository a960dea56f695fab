#include "app/file_association.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace ombrix::app {

namespace {

bool writeIfDifferent(const QString& path, const QByteArray& content, bool& changed)
{
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content)
        return true;
    existing.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return false;
    changed = true;
    return true;
}

}  // namespace

QString mimePackageText()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"application/x-ombrix-data\">\n"
                          "    <comment>Tarvenly Ombrix Data File</comment>\n"
                          "    <sub-class-of type=\"text/plain\"/>\n"
                          "    <magic priority=\"60\">\n"
                          "      <match type=\"string\" offset=\"0\" value=\"Tarvenly Ombrix for Windows \"/>\n"
                          "    </magic>\n"
                          "    <glob pattern=\"*.oxd\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n");
}

QString desktopExecQuoted(const QString& program)
{
    // The Exec key's own quoting: inside double quotes, '"', '`', '$' and
    // '\' are escaped by a backslash; the key's value then escapes every
    // backslash once more.
    QString quoted;
    for (const QChar ch : program) {
        if (ch == QLatin1Char('"') || ch == QLatin1Char('`') || ch == QLatin1Char('$') || ch == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += ch;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString desktopEntryText(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ombrix\n"
                          "GenericName=Biostatistics\n"
                          "Comment=Enter data, see column statistics, choose a test and read the results\n"
                          "Exec=%1 %f\n"
                          "Icon=accessories-calculator\n"
                          "Terminal=false\n"
                          "Categories=Education;Science;Math;\n"
                          "MimeType=application/x-ombrix-data;\n")
        .arg(desktopExecQuoted(program));
}

QString userDataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

AssociationResult registerFileAssociation(const QString& dataHome, const QString& program)
{
    AssociationResult result;
    if (dataHome.isEmpty()) {
        result.ok = false;
        return result;
    }
    const QDir home(dataHome);
    result.ok = writeIfDifferent(home.filePath(QStringLiteral("mime/packages/") + QLatin1String(MimePackageFileName)),
                                 mimePackageText().toUtf8(), result.changed);
    result.ok = writeIfDifferent(home.filePath(QStringLiteral("applications/") + QLatin1String(DesktopFileName)),
                                 desktopEntryText(program).toUtf8(), result.changed) &&
                result.ok;
    return result;
}

void announceAssociationChange(const QString& dataHome)
{
    const QDir home(dataHome);
    const QString updateMime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!updateMime.isEmpty())
        QProcess::startDetached(updateMime, {home.filePath(QStringLiteral("mime"))});
    const QString updateDesktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!updateDesktop.isEmpty())
        QProcess::startDetached(updateDesktop, {home.filePath(QStringLiteral("applications"))});
}

}  // namespace ombrix::app
