#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString &Title, QObject *Parent) : QObject(Parent)
{
    // The title, the user and the display: two users, or two X displays of
    // one user, each run their own instance.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    display.replace(u'/', u'_');
    FName = QStringLiteral("%1.%2.%3").arg(Title).arg(getuid()).arg(display);
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Acquire()
{
    auto otherRuns = [this] {
        QLocalSocket socket;
        socket.connectToServer(FName);
        return socket.waitForConnected(1000);
    };
    if (otherRuns())
        return false;
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FName)) {
        // Nobody answered, so whatever holds the name is a leftover.
        QLocalServer::removeServer(FName);
        if (!FServer->listen(FName) && otherRuns())
            return false; // lost a race against a simultaneous start
    }
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = FServer->nextPendingConnection()) {
            peer->disconnectFromServer();
            peer->deleteLater();
        }
        emit Activated();
    });
    return true;
}
