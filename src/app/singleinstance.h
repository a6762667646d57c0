// One running program per user and display. The first instance listens on a
// local socket named after the application title; a later start that can
// connect to it ends silently, after asking it to come to the front. A socket
// left behind by a crashed instance accepts no connection and is removed, so
// it never blocks the next start.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(const QString &Title, QObject *Parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the only instance; it then stays findable until
    // destroyed.
    bool Acquire();
    QString ServerName() const { return FName; }

signals:
    // Another start found this instance.
    void Activated();

private:
    QString FName;
    QLocalServer *FServer = nullptr;
};
