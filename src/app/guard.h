// The one way a handler of the window runs: an exception never crosses a Qt
// frame. It ends the handler and is shown in the error box.
#pragma once

#include "dialogs.h"

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
    // Shows Error in the error box.
    void Report(std::exception_ptr Error) const;
    TDialogs &Dialogs() const { return FDialogs; }
    QWidget *Parent() const { return FParent; }

private:
    QWidget *FParent;
    TDialogs &FDialogs;
};
