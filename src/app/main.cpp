// Program start: one instance per user and display, then the main window,
// the help window and the comments window, in that order.
#include "comments.h"
#include "gamefile.h"
#include "help.h"
#include "singleinstance.h"
#include "stars.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A file size limit makes a write fail, never ends the program.
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    // The name desktops match the window with its menu entry by, and the
    // name of the user's data folder (~/.local/share/zorvane).
    QCoreApplication::setApplicationName(QStringLiteral("zorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zorvane.Zorvane"));
    InitZorvaneResources();
    app.setWindowIcon(QIcon(QStringLiteral(":/zorvane.png")));

    TSingleInstance instance;
    const bool alone = instance.Acquire();
    if (!instance.Notice().isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(instance.Notice()));
    if (!alone)
        return 0; // the running instance came to the front

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
