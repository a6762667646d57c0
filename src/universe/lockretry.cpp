#include "lockretry.h"

#include "gamefile.h"

TLockRetry::TLockRetry(QObject *Parent) : QObject(Parent)
{
    FTimer.setInterval(RetryMs);
    connect(&FTimer, &QTimer::timeout, this, &TLockRetry::Try);
}

void TLockRetry::Launch(std::function<void()> Attempt)
{
    FTimer.stop();
    FAttempt = std::move(Attempt);
    FSince.start();
    Try();
}

void TLockRetry::Abandon()
{
    if (!Waiting())
        return;
    FTimer.stop();
    FAttempt = nullptr;
    emit Ended(nullptr, true);
}

void TLockRetry::Try()
{
    std::exception_ptr error;
    try {
        FAttempt();
    } catch (const ELocked &) {
        if (FSince.elapsed() < GiveUpMs) {
            if (!FTimer.isActive())
                FTimer.start();
            return;
        }
        error = std::current_exception();
    } catch (...) {
        error = std::current_exception();
    }
    FTimer.stop();
    FAttempt = nullptr;
    emit Ended(error, false);
}
