#include "singleinstance.h"

#include "messages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QUrl>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What a running instance answers a later start with.
constexpr char Reply[] = "zorvane: raised\n";

// The user of the program at the other end of a connected local socket;
// -1 when the system does not tell.
uid_t PeerUser(qintptr Socket)
{
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(Socket), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return uid_t(-1);
    return credentials.uid;
}

} // namespace

TSingleInstance::TSingleInstance(QObject *Parent) : QObject(Parent)
{
    const QString key = DisplayKey(qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                                   qEnvironmentVariable("XDG_RUNTIME_DIR"));
    // Percent-encoded, so two keys never share a name; a long one (a path)
    // is hashed, as a socket's name may not exceed 107 bytes. The name
    // starts with a slash so Qt takes it as it is, not under TMPDIR.
    QByteArray name = QUrl::toPercentEncoding(key);
    if (name.size() > 40)
        name = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    FName = QStringLiteral("/zorvane/%1/").arg(getuid()) + QString::fromLatin1(name);
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DisplayKey(const QString &X11, const QString &Wayland, const QString &RuntimeDir)
{
    // Read by hand: Qt has no parser of display names, and libxcb's would
    // bring libxcb into the program for it, and read the socket path form
    // only while that socket exists.
    if (!Wayland.isEmpty())
        return QStringLiteral("wayland ") + QDir::cleanPath(QDir(RuntimeDir).absoluteFilePath(Wayland));
    // The path of a local X server's socket, with or without a screen.
    static const QRegularExpression socketPath(QStringLiteral(R"(^/tmp/\.X11-unix/X(\d+)(\.\d+)?$)"));
    if (const QRegularExpressionMatch m = socketPath.match(X11); m.hasMatch())
        return u':' + QString::number(m.captured(1).toUInt());
    // [protocol/][host]:display[.screen]
    static const QRegularExpression name(QStringLiteral(R"(^(?:([^/:]*)/)?([^/]*):(\d+)(?:\.\d+)?$)"));
    const QRegularExpressionMatch m = name.match(X11);
    if (!m.hasMatch())
        return X11; // another socket path, or a form not known here: as written
    const QString protocol = m.captured(1).toLower(), host = m.captured(2).toLower();
    const QString number = QString::number(m.captured(3).toUInt());
    if (protocol == u"unix" || (protocol.isEmpty() && (host.isEmpty() || host == u"unix")))
        return u':' + number;
    return (host.isEmpty() ? QStringLiteral("localhost") : host) + u':' + number;
}

TSingleInstance::TAnswer TSingleInstance::Ask() const
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(FName);
    if (!socket.waitForConnected(1000))
        return TAnswer::Nobody;
    if (PeerUser(socket.socketDescriptor()) != getuid())
        return TAnswer::Stranger;
    // A running instance answers from its event loop, which a start just
    // before this one may take a moment to reach.
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(5000))
        reply += socket.readAll();
    return reply == Reply ? TAnswer::Answered : TAnswer::Silent;
}

bool TSingleInstance::Acquire()
{
    // Two starts at the same moment: the one whose listen fails looks again
    // and finds the other.
    for (int look = 0; look < 2; ++look) {
        switch (Ask()) {
        case TAnswer::Answered:
            FNotice = LoadStr(TMsg::AlreadyRunning);
            return false;
        case TAnswer::Silent:
            FNotice = FormatStr(TMsg::SocketSilent, {FName});
            return true;
        case TAnswer::Stranger:
            FNotice = FormatStr(TMsg::SocketTaken, {FName});
            return true;
        case TAnswer::Nobody:
            break;
        }
        FServer = new QLocalServer(this);
        FServer->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (FServer->listen(FName))
            break;
        FNotice = FormatStr(TMsg::SocketUnusable, {FName, FServer->errorString()});
        const bool taken = FServer->serverError() == QAbstractSocket::AddressInUseError;
        delete FServer;
        FServer = nullptr;
        if (!taken)
            return true;
    }
    if (!FServer)
        return true;
    FNotice.clear();
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = FServer->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            // Another user's program learns nothing and raises nothing.
            if (PeerUser(peer->socketDescriptor()) != getuid()) {
                peer->abort();
                peer->deleteLater();
                continue;
            }
            peer->write(Reply);
            peer->flush(); // now, not on the event loop's next turn
            peer->disconnectFromServer();
            emit Activated();
        }
    });
    return true;
}
