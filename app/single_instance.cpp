#include "app/single_instance.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace ombrix::app {

namespace {

constexpr quint32 HandOverMagic = 0x4f4d4231;  // "OMB1"
// A file name never comes near this; anything longer is not a hand-over.
constexpr qint64 MaxMessageBytes = 64 * 1024;
constexpr char Acknowledgement = 'K';

}  // namespace

QString instanceServerName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/ombrix-3.06.socket");
    // Without a runtime folder the socket goes to the shared temporary
    // folder; the user's name keeps users apart.
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QFileInfo(QDir::homePath()).fileName();
    return QStringLiteral("ombrix-3.06-") + user;
}

QString commandLineFile(const QStringList& arguments, const QString& workingFolder)
{
    if (arguments.isEmpty())
        return {};
    const QDir folder(workingFolder);
    const QString joined = folder.absoluteFilePath(arguments.join(QLatin1Char(' ')));
    if (arguments.size() == 1 || QFileInfo::exists(joined))
        return QDir::cleanPath(joined);
    return QDir::cleanPath(folder.absoluteFilePath(arguments.constFirst()));
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    if (!m_server) {
        // No socket options: with them the socket is made elsewhere and
        // renamed into place, which would silently take the name from a
        // running program instead of failing.
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    }
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken: either a program answers on it, or a program that
    // ended abnormally left its socket file behind.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never completes its message is dropped.
        QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > MaxMessageBytes) {
                socket->abort();
                return;
            }
            QDataStream in(socket);
            in.setVersion(QDataStream::Qt_6_0);
            in.startTransaction();
            quint32 magic = 0;
            QString fileName;
            in >> magic >> fileName;
            if (!in.commitTransaction())
                return;  // the rest of the message has not arrived yet
            if (magic != HandOverMagic) {
                socket->abort();
                return;
            }
            socket->write(&Acknowledgement, 1);
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT handedOver(fileName);
        });
    }
}

bool SingleInstance::handOver(const QString& serverName, const QString& fileName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << HandOverMagic << fileName;
    }
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running program answers once it has the name; a program that
    // hangs does not keep this start waiting forever, and the name is then
    // considered handed over (a second window would fight for the socket).
    if (socket.bytesAvailable() == 0)
        socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace ombrix::app
