// Program start: one instance per user and display, then the main window,
// the help window and the comments window, in that order.
#include "comments.h"
#include "help.h"
#include "messages.h"
#include "singleinstance.h"
#include "stars.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The name desktops match the window with its menu entry by, and the
    // name of the user's data folder (~/.local/share/zorvane).
    QCoreApplication::setApplicationName(QStringLiteral("zorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zorvane.Zorvane"));
    InitZorvaneResources();
    app.setWindowIcon(QIcon(QStringLiteral(":/zorvane.png")));

    TSingleInstance instance(LoadStr(TMsg::AppTitle));
    if (!instance.Acquire())
        return 0; // another instance runs: end silently

    TStandardDialogs dialogs;
    TForm1 form(QCoreApplication::applicationDirPath(), dialogs);
    THelpForm help;
    TFConf comments;
    form.SetSideWindows(&help, &comments);
    QObject::connect(&instance, &TSingleInstance::Activated, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    // Closing the main window ends the program, whatever else is open.
    help.setAttribute(Qt::WA_QuitOnClose, false);
    comments.setAttribute(Qt::WA_QuitOnClose, false);
    form.show();
    return app.exec();
}
