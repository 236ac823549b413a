#pragma once
// The about window: the program's picture, its name and version, "OK" and
// "Print". Not modal; it closes (and deletes itself) on OK or on a click on
// its background. Print puts a picture of the window on the program's printer
// without a dialog.

#include <QWidget>

class QLabel;
class QPushButton;

namespace sw {

class PrinterSource;
class Prompts;

class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    AboutWindow(PrinterSource &printers, Prompts &prompts, QWidget *parent = nullptr);

    static QString versionText() { return QStringLiteral("Splitwatch v1.1   A.004"); }

    QLabel *pictureLabel = nullptr;
    QLabel *versionLabel = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *printButton = nullptr;

public slots:
    void printWindowPicture();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    PrinterSource &m_printers;
    Prompts &m_prompts;
};

} // namespace sw
