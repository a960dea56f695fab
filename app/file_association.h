#pragma once

#include <QString>

// The association of *.OXD files with the program on a freedesktop desktop:
// a shared-mime-info type for the files and a desktop entry that opens them.
// cmake --install puts both into the system folders; at start the program
// writes them for the user when they are missing or differ, so that a build
// that was never installed still opens data files from the file manager.
namespace ombrix::app {

inline constexpr const char* DataFileMimeType = "application/x-ombrix-data";
inline constexpr const char* DesktopFileName = "ombrix.desktop";
inline constexpr const char* MimePackageFileName = "ombrix.xml";
// The line that marks a desktop entry the program wrote itself (and may
// rewrite); an entry without it was installed and is left alone.
inline constexpr const char* WrittenAtStartKey = "X-Ombrix-Written-At-Start=true";

// The shared-mime-info package describing data files.
QString mimePackageText();
// The desktop entry; program is the absolute path of the program to run.
QString desktopEntryText(const QString& program);
// program quoted for the Exec key of a desktop entry.
QString desktopExecQuoted(const QString& program);

struct AssociationResult {
    bool changed = false;  // a file was written
    bool ok = true;        // every file that needed writing was written
};

// Writes <dataHome>/applications/ombrix.desktop, <dataHome>/mime/packages/
// ombrix.xml and the icon when they are missing or differ; nothing for an
// installed program or over an installed entry.
AssociationResult registerFileAssociation(const QString& dataHome, const QString& program);

// The user's data folder (XDG_DATA_HOME, usually ~/.local/share).
QString userDataHome();

// Tells the desktop that associations changed: refreshes the user's mime
// and desktop-entry caches with the freedesktop tools, when they exist.
void announceAssociationChange(const QString& dataHome);

}  // namespace ombrix::app
