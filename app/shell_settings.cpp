#include "app/shell_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>

namespace ombrix::app {

namespace {

const QString OptionsGroup = QStringLiteral("Options");
const QString WindowSizeGroup = QStringLiteral("WindowSize");
const QString FilenamesGroup = QStringLiteral("Filenames");

QString recentKey(int index)
{
    return QStringLiteral("#%1").arg(index + 1);
}

}  // namespace

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    m_entries.removeAll(path);
    m_entries.prepend(path);
    while (m_entries.size() > Capacity)
        m_entries.removeLast();
}

void RecentFiles::setEntries(const QStringList& entries)
{
    m_entries.clear();
    for (const QString& entry : entries)
        if (!entry.isEmpty() && !m_entries.contains(entry) && m_entries.size() < Capacity)
            m_entries.append(entry);
}

QString settingsFilePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Tarvenly Software/Ombrix/3.06/ombrix.ini");
}

std::unique_ptr<QSettings> openSettingsFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QSize windowSizeSetting(int width, int height, QSize screen)
{
    if (width <= 0 || height <= 0)
        return {640, 480};
    if (screen.width() > 0)
        width = std::min(width, screen.width());
    if (screen.height() > 0)
        height = std::min(height, screen.height());
    return {width, height};
}

QChar decimalSeparatorSetting(const QString* stored, QChar systemSeparator)
{
    if (!stored)
        return systemSeparator;
    return *stored == QStringLiteral(".") ? QLatin1Char('.') : QLatin1Char(',');
}

ShellSettings readSettings(QSettings& file, const SettingsDefaults& defaults)
{
    ShellSettings settings;

    file.beginGroup(OptionsGroup);
    settings.compatibilityWarning = file.value(QStringLiteral("CompatibilityWarning"))
                                        .toString()
                                        .compare(QStringLiteral("No"), Qt::CaseInsensitive) != 0;
    if (file.contains(QStringLiteral("DecimalSeparator"))) {
        const QString stored = file.value(QStringLiteral("DecimalSeparator")).toString();
        settings.decimalSeparator = decimalSeparatorSetting(&stored, defaults.systemDecimalSeparator);
    } else {
        settings.decimalSeparator = decimalSeparatorSetting(nullptr, defaults.systemDecimalSeparator);
    }
    settings.dataFolder = file.value(QStringLiteral("Ombrix folder"), defaults.defaultFolder).toString();
    settings.importFolder = file.value(QStringLiteral("Import folder"), defaults.defaultFolder).toString();
    bool isNumber = false;
    const int hints = file.value(QStringLiteral("ShowNewUserHints"), 1).toInt(&isNumber);
    settings.showNewUserHints = !isNumber || hints != 0;
    file.endGroup();

    file.beginGroup(WindowSizeGroup);
    const int width = file.value(QStringLiteral("Width"), 0).toInt();
    const int height = file.value(QStringLiteral("Height"), 0).toInt();
    settings.windowSize = windowSizeSetting(width, height, defaults.screenSize);
    file.endGroup();

    file.beginGroup(FilenamesGroup);
    QStringList recent;
    for (int i = 0; i < RecentFiles::Capacity; ++i)
        recent.append(file.value(recentKey(i)).toString());
    settings.recentFiles.setEntries(recent);
    file.endGroup();
    return settings;
}

void writeSettings(QSettings& file, const ShellSettings& settings)
{
    file.beginGroup(FilenamesGroup);
    const QStringList& recent = settings.recentFiles.entries();
    for (int i = 0; i < RecentFiles::Capacity; ++i)
        file.setValue(recentKey(i), i < recent.size() ? recent.at(i) : QString());
    file.endGroup();

    file.beginGroup(WindowSizeGroup);
    file.setValue(QStringLiteral("Width"), settings.windowSize.width());
    file.setValue(QStringLiteral("Height"), settings.windowSize.height());
    file.endGroup();

    file.beginGroup(OptionsGroup);
    file.setValue(QStringLiteral("CompatibilityWarning"),
                  settings.compatibilityWarning ? QStringLiteral("Yes") : QStringLiteral("No"));
    file.setValue(QStringLiteral("DecimalSeparator"), QString(settings.decimalSeparator));
    file.setValue(QStringLiteral("Ombrix folder"), settings.dataFolder);
    file.setValue(QStringLiteral("Import folder"), settings.importFolder);
    file.setValue(QStringLiteral("ShowNewUserHints"), settings.showNewUserHints ? 1 : 0);
    file.endGroup();
    file.sync();
}

QChar regionalDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

char typingDecimalSeparator()
{
    // Where the locale's separator is not the point, a typed comma is read
    // as the decimal point; the data entry rules only need to know that.
    return regionalDecimalSeparator() == QLatin1Char('.') ? '.' : ',';
}

QString defaultDataFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

}  // namespace ombrix::app
