// One running program per user and display. The first instance listens on a
// local socket in Linux's abstract namespace, named after the user and the
// display: no folder to share, squat or leave behind, and one name however
// XDG_RUNTIME_DIR or TMPDIR are set, unset or pointed elsewhere. A later
// start on the same display connects, the first answers and comes to the
// front, and the later one ends.
//
// Any user may connect to, or take, such a name, so both ends look at the
// other's user id (SO_PEERCRED): the instance answers and comes forward only
// for a peer of its own user, and a later start gives way only to an
// instance of its own user that answers. A name taken by another user, or a
// listener that does not answer, lets the program start anyway; every start
// that does not simply become the first instance has a Notice to print.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // The display comes from the environment: DISPLAY and WAYLAND_DISPLAY
    // (with XDG_RUNTIME_DIR for a relative Wayland name).
    explicit TSingleInstance(QObject *Parent = nullptr);
    ~TSingleInstance() override;

    // False when a running instance answered and was asked to come to the
    // front: this start should end. True otherwise; the instance then stays
    // findable until destroyed, unless Notice tells why it cannot be.
    bool Acquire();
    // What this start has to tell the user; empty for a plain first start.
    QString Notice() const { return FNotice; }
    // The socket's name in the abstract namespace.
    QString ServerName() const { return FName; }

    // The display a program started with these variables shows its windows
    // on, one spelling for every way of writing it. WAYLAND_DISPLAY wins, as
    // in a Wayland session both are set; a relative name there is a socket in
    // RuntimeDir. An X display on this host's local socket is ":N" however
    // written (":1", ":1.0", "unix:1", "unix/:1", "/tmp/.X11-unix/X1"); the
    // screen does not count, as one server shows all its screens. A display
    // reached by TCP ("localhost:1", "host:1") stays apart from ":1": it is
    // often one forwarded by ssh from another machine.
    static QString DisplayKey(const QString &X11, const QString &Wayland, const QString &RuntimeDir);

signals:
    // Another start of the same user found this instance.
    void Activated();

private:
    enum class TAnswer { Nobody, Answered, Silent, Stranger };
    TAnswer Ask() const;

    QString FName, FNotice;
    QLocalServer *FServer = nullptr;
};
