#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One running program per user: the first start listens on a local socket of
// the user's own; a later start hands its file name (possibly none) over
// that socket and ends, and the running program comes to the front and opens
// the file.
namespace ombrix::app {

// The user's socket: in the user's runtime folder when there is one.
QString instanceServerName();

// The file a start was asked to open, as a full path, or empty. The
// arguments (the program name excluded) are joined with blanks when that
// names an existing file, so that an unquoted path with blanks survives;
// otherwise the first argument is taken.
QString commandLineFile(const QStringList& arguments, const QString& workingFolder);

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running program. False when another one holds the name.
    bool listen();
    bool isListening() const;

    // Hands fileName (may be empty) to the program listening on serverName.
    // True when it took it; false when no program is listening.
    static bool handOver(const QString& serverName, const QString& fileName, int timeoutMs = 3000);

Q_SIGNALS:
    // A later start asked the running program to come to the front and,
    // when fileName is not empty, to open it.
    void handedOver(const QString& fileName);

private:
    void acceptConnections();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};

}  // namespace ombrix::app
