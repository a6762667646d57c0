// One running program per user and display. The first instance listens on a
// local socket in a folder only its user can write to, named after the
// display; a later start on the same display connects, the first answers and
// comes to the front, and the later one ends. A later start gives way only to
// an instance that answers: a socket left behind by a crashed instance is
// removed, and a folder or socket that cannot be trusted or used lets the
// program start anyway. Every start that does not simply become the first
// instance has a Notice to print.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // The display and the folder come from the environment: DISPLAY,
    // WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
    explicit TSingleInstance(QObject *Parent = nullptr);
    ~TSingleInstance() override;

    // False when a running instance answered and was asked to come to the
    // front: this start should end. True otherwise; the instance then stays
    // findable until destroyed, unless Notice tells why it cannot be.
    bool Acquire();
    // What this start has to tell the user; empty for a plain first start.
    QString Notice() const { return FNotice; }
    // The socket's full path; empty when no private folder could be had.
    QString ServerName() const { return FPath; }

    // The display a program started with these variables shows its windows
    // on, one spelling for every way of writing it. WAYLAND_DISPLAY wins, as
    // in a Wayland session both are set; a relative name there is a socket in
    // RuntimeDir. An X display on this host's local socket is ":N" however
    // written (":1", ":1.0", "unix:1", "unix/:1", "/tmp/.X11-unix/X1"); the
    // screen does not count, as one server shows all its screens. A display
    // reached by TCP ("localhost:1", "host:1") stays apart from ":1": it is
    // often one forwarded by ssh from another machine.
    static QString DisplayKey(const QString &X11, const QString &Wayland, const QString &RuntimeDir);

    // Path when it is, or could be made, a folder (not a link) owned by the
    // user with mode 0700; otherwise empty.
    static QString PrivateFolder(const QString &Path);

signals:
    // Another start found this instance.
    void Activated();

private:
    enum class TAnswer { Nobody, Answered, Silent };
    TAnswer Ask() const;

    QString FPath, FNotice;
    QLocalServer *FServer = nullptr;
};
