#pragma once

#include <QChar>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The program's settings file, ombrix.ini, and the values it holds. The file
// is read once at start and written once when the main window closes.
namespace ombrix::app {

// The most recently used data files, most recent first.
class RecentFiles {
public:
    static constexpr int Capacity = 9;

    const QStringList& entries() const { return m_entries; }
    // Puts path first; an earlier occurrence is removed and the ninth entry
    // drops off the end.
    void add(const QString& path);
    // Replaces the list (empty names are skipped, the list is capped).
    void setEntries(const QStringList& entries);

private:
    QStringList m_entries;
};

// What the settings file holds, already checked against its rules.
struct ShellSettings {
    bool compatibilityWarning = true;
    // The separator used when data are exported as text.
    QChar decimalSeparator = QLatin1Char('.');
    // The last folders used for data files and for import.
    QString dataFolder;
    QString importFolder;
    bool showNewUserHints = true;
    QSize windowSize{640, 480};
    RecentFiles recentFiles;
};

// What the settings fall back to when the file does not say.
struct SettingsDefaults {
    QChar systemDecimalSeparator = QLatin1Char('.');
    // Where data files are looked for before the user has chosen a folder.
    QString defaultFolder;
    // The room the main window can have; (0, 0) means unknown, no cap.
    QSize screenSize;
};

// <user configuration folder>/Tarvenly Software/Ombrix/3.06/ombrix.ini
QString settingsFilePath();
// The ini file at path (its folders are created when missing).
std::unique_ptr<QSettings> openSettingsFile(const QString& path);

ShellSettings readSettings(QSettings& file, const SettingsDefaults& defaults);
void writeSettings(QSettings& file, const ShellSettings& settings);

// 640 x 480 when either stored dimension is 0 (or not a size at all); each
// dimension capped at the screen's.
QSize windowSizeSetting(int width, int height, QSize screen);
// "." selects "."; any other stored text selects ","; nothing stored: the
// system's separator.
QChar decimalSeparatorSetting(const QString* stored, QChar systemSeparator);

// The decimal separator of the user's regional settings, as the data entry
// rules see it ('.' unless the locale writes a comma).
char typingDecimalSeparator();
QChar regionalDecimalSeparator();

// The folder data files are opened from and saved to until the user picks
// another: the user's documents folder, or the home folder.
QString defaultDataFolder();

}  // namespace ombrix::app
