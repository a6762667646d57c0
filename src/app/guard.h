// The one way a handler of the window runs: an exception never crosses a Qt
// frame. It ends the handler and is shown in the error box.
#pragma once

#include "dialogs.h"

#include <QObject>
#include <exception>

class QWidget;

class TGuard {
public:
    TGuard(QWidget *Parent, TDialogs &Dialogs) : FParent(Parent), FDialogs(Dialogs) {}

    template <class F> void operator()(F &&Body) const
    {
        try {
            Body();
        } catch (...) {
            Report(std::current_exception());
        }
    }
    // Connects Signal of Sender to Receiver's Handler, run through the guard.
    template <class TSender, class TSignal, class TReceiver>
    void Connect(TSender *Sender, TSignal Signal, TReceiver *Receiver, void (TReceiver::*Handler)()) const
    {
        QObject::connect(Sender, Signal, Receiver,
                         [this, Receiver, Handler] { (*this)([&] { (Receiver->*Handler)(); }); });
    }
    // Shows Error in the error box.
    void Report(std::exception_ptr Error) const;
    TDialogs &Dialogs() const { return FDialogs; }
    QWidget *Parent() const { return FParent; }

private:
    QWidget *FParent;
    TDialogs &FDialogs;
};
