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
                          "Icon=ombrix\n"
                          "Terminal=false\n"
                          "Categories=Education;Science;Math;\n"
                          "MimeType=application/x-ombrix-data;\n"
                          "%2\n")
        .arg(desktopExecQuoted(program), QLatin1String(WrittenAtStartKey));
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
    // An installed program has its entry, type and icon beside it; a user
    // entry pointing at it would only shadow them.
    const QDir programDir = QFileInfo(program).absoluteDir();
    if (QFileInfo::exists(programDir.filePath(QStringLiteral("../share/applications/")) +
                          QLatin1String(DesktopFileName)))
        return result;
    const QDir home(dataHome);
    const QString entry = home.filePath(QStringLiteral("applications/") + QLatin1String(DesktopFileName));
    // An entry that cmake --install wrote keeps its Exec: a build run from
    // its own folder never takes the place of the installed program.
    QFile existing(entry);
    if (existing.open(QIODevice::ReadOnly) && !existing.readAll().contains(WrittenAtStartKey))
        return result;
    existing.close();
    result.ok = writeIfDifferent(home.filePath(QStringLiteral("mime/packages/") + QLatin1String(MimePackageFileName)),
                                 mimePackageText().toUtf8(), result.changed);
    QFile icon(QStringLiteral(":/icons/ombrix.svg"));
    if (icon.open(QIODevice::ReadOnly))
        result.ok = writeIfDifferent(home.filePath(QStringLiteral("icons/hicolor/scalable/apps/ombrix.svg")),
                                     icon.readAll(), result.changed) &&
                    result.ok;
    result.ok = writeIfDifferent(entry, desktopEntryText(program).toUtf8(), result.changed) && result.ok;
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
