#include "help/AboutWindow.h"

#include "help/ProgramPicture.h"
#include "printing/WindowPrinter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace sw {

AboutWindow::AboutWindow(PrinterSource &printers, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_printers(printers), m_prompts(prompts)
{
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("About Splitwatch"));
    setAttribute(Qt::WA_DeleteOnClose);

    pictureLabel = new QLabel(this);
    pictureLabel->setObjectName(QStringLiteral("pictureLabel"));
    pictureLabel->setPixmap(programPicture(QSize(96, 96), devicePixelRatioF()));
    pictureLabel->setAlignment(Qt::AlignCenter);

    versionLabel = new QLabel(versionText(), this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    QFont f = versionLabel->font();
    f.setPointSizeF(f.pointSizeF() * 1.25);
    f.setBold(true);
    versionLabel->setFont(f);
    versionLabel->setAlignment(Qt::AlignCenter);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    printButton = new QPushButton(QStringLiteral("Print"), this);
    printButton->setObjectName(QStringLiteral("printButton"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(printButton);
    buttons->addStretch();

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(24, 18, 24, 18);
    top->setSpacing(12);
    top->addWidget(pictureLabel);
    top->addWidget(versionLabel);
    top->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(printButton, &QPushButton::clicked, this, &AboutWindow::printWindowPicture);
}

void AboutWindow::printWindowPicture()
{
    // A picture of this small window must not turn the reports printed
    // later to its orientation.
    WindowPrinter(m_printers, m_prompts).printWindow(this, QString(), WindowPrinter::Orientation::ThisJobOnly);
}

void AboutWindow::mousePressEvent(QMouseEvent *event)
{
    // The labels let clicks through, so the picture and the text count as
    // background too; the buttons keep theirs.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        close();
        return;
    }
    QWidget::mousePressEvent(event);
}

} // namespace sw
