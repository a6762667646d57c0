#include "singleinstance.h"

#include "messages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <unistd.h>

namespace {

// What a running instance answers a later start with.
constexpr char Reply[] = "zorvane: raised\n";

} // namespace

TSingleInstance::TSingleInstance(QObject *Parent) : QObject(Parent)
{
    // The user's runtime folder: Qt hands it out only when it is a folder of
    // the user's own with mode 0700. Without one Qt would fall back to a
    // folder under TMPDIR, which a start with another TMPDIR would not find:
    // a fixed folder takes its place.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)) !=
                                QDir::cleanPath(folder)) {
        folder = QStringLiteral("/tmp/zorvane-%1").arg(getuid());
        if (PrivateFolder(folder).isEmpty()) {
            FNotice = FormatStr(TMsg::FolderNotPrivate, {folder});
            return;
        }
    }
    const QString key = DisplayKey(qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                                   qEnvironmentVariable("XDG_RUNTIME_DIR"));
    // Percent-encoded, so two keys never share a file name; a long one (a
    // path) is hashed, as a socket's path may not exceed 107 bytes.
    QByteArray name = QUrl::toPercentEncoding(key);
    if (name.size() > 40)
        name = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    FPath = QDir::cleanPath(folder) + QStringLiteral("/zorvane-") + QString::fromLatin1(name);
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

QString TSingleInstance::PrivateFolder(const QString &Path)
{
    // The check Qt makes of the runtime folder, which it offers for that
    // folder alone.
    QDir().mkdir(Path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QFileInfo folder(Path);
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::WriteOther | QFile::ExeOther;
    if (folder.isSymLink() || !folder.isDir() || folder.ownerId() != getuid() ||
        (folder.permissions() & owner) != owner || (folder.permissions() & others))
        return {};
    return Path;
}

TSingleInstance::TAnswer TSingleInstance::Ask() const
{
    QLocalSocket socket;
    socket.connectToServer(FPath);
    if (!socket.waitForConnected(1000))
        return TAnswer::Nobody;
    // A running instance answers from its event loop, which a start just
    // before this one may take a moment to reach.
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(5000))
        reply += socket.readAll();
    return reply == Reply ? TAnswer::Answered : TAnswer::Silent;
}

bool TSingleInstance::Acquire()
{
    if (FPath.isEmpty())
        return true;
    // Two starts at once take turns to look and listen. Should the lock not
    // come, looking still works; only a simultaneous start may slip through.
    QLockFile turn(FPath + QStringLiteral(".lock"));
    turn.tryLock(10000);
    switch (Ask()) {
    case TAnswer::Answered:
        FNotice = LoadStr(TMsg::AlreadyRunning);
        return false;
    case TAnswer::Silent:
        FNotice = FormatStr(TMsg::SocketSilent, {FPath});
        return true;
    case TAnswer::Nobody:
        break;
    }
    // Nobody listens, so a socket still there was left by an instance that
    // crashed; in the user's own folder it is the user's too.
    QLocalServer::removeServer(FPath);
    FServer = new QLocalServer(this);
    if (!FServer->listen(FPath)) {
        FNotice = FormatStr(TMsg::SocketUnusable, {FPath, FServer->errorString()});
        delete FServer;
        FServer = nullptr;
        return true;
    }
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = FServer->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            peer->write(Reply);
            peer->flush(); // now, not on the event loop's next turn
            peer->disconnectFromServer();
        }
        emit Activated();
    });
    return true;
}
