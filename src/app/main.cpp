#include "messages.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(LoadStr(TMsg::MainCaption));
    window.setFixedSize(499, 398);
    window.show();
    return app.exec();
}
