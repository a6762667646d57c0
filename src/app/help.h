// The help window: the program's rich-text user guide, with a link to the
// home page and a close button.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QTextBrowser;

// The program's home page. We have no public page yet: the reserved
// ".example" domain marks this as a placeholder, to be replaced once the
// project has a real address. The help document shows the same address (it
// is filled in when the document is loaded).
inline const QString ZvHomePage = QStringLiteral("https://zorvane.example/");

// The help document inside the program (resources/resources.qrc).
inline const QString ZvHelpResource = QStringLiteral(":/ZV_HELP");

// Makes the resources of the zv_windows library (help document, icon)
// available. Safe to call any number of times; THelpForm calls it itself.
void InitZorvaneResources();

class THelpForm : public QWidget {
    Q_OBJECT

public:
    explicit THelpForm(QWidget *parent = nullptr);

    // Loads the help document into RichEdit1. When the resource cannot be
    // read the viewer keeps what it showed and false is returned.
    bool LoadHelp();

    // Where LoadHelp reads the document from.
    QString HelpResource = ZvHelpResource;
    // Hands an address to the desktop's browser. Replaceable, so that the
    // link can be checked without starting a browser.
    std::function<bool(const QUrl &)> OpenUrl;

    QTextBrowser *RichEdit1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *SpeedButton1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void Label1Click();
    void SpeedButton1Click();
    // Returns false: the viewer handles the key as well.
    bool RichEdit1KeyDown(int Key);
};
