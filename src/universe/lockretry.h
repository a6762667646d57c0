// A write of the universe file that another program's lock holds up: tried
// at once, then again every RetryMs while the lock stays (ELocked), for at
// most GiveUpMs. A timer drives it, so the window answers meanwhile and the
// player can end the wait (Abandon) with nothing written.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>

class TLockRetry : public QObject {
    Q_OBJECT
public:
    static constexpr int RetryMs = 100;
    static constexpr int GiveUpMs = 2000;

    explicit TLockRetry(QObject *Parent = nullptr);

    // Runs Attempt now and, while it throws ELocked, again from the timer.
    // Ended follows once: at once when nothing stood in the way.
    void Launch(std::function<void()> Attempt);
    // Ends a wait under way: nothing more is attempted; Ended(null, true).
    void Abandon();
    bool Waiting() const { return FTimer.isActive(); }

signals:
    // Error is null when Attempt returned; Cancelled when Abandon() ended it.
    void Ended(std::exception_ptr Error, bool Cancelled);

private:
    void Try();

    std::function<void()> FAttempt;
    QTimer FTimer;
    QElapsedTimer FSince;
};
