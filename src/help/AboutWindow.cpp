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

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(programPicture(QSize(96, 96), devicePixelRatioF()));
    Image1->setAlignment(Qt::AlignCenter);

    helpLine = new QLabel(versionText(), this);
    helpLine->setObjectName(QStringLiteral("helpLine"));
    QFont f = helpLine->font();
    f.setPointSizeF(f.pointSizeF() * 1.25);
    f.setBold(true);
    helpLine->setFont(f);
    helpLine->setAlignment(Qt::AlignCenter);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    SSCommand1 = new QPushButton(QStringLiteral("Print"), this);
    SSCommand1->setObjectName(QStringLiteral("SSCommand1"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(SSCommand1);
    buttons->addStretch();

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(24, 18, 24, 18);
    top->setSpacing(12);
    top->addWidget(Image1);
    top->addWidget(helpLine);
    top->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);
    connect(SSCommand1, &QPushButton::clicked, this, &AboutWindow::SSCommand1_Click);
}

void AboutWindow::cmdOK_Click()
{
    close();
}

void AboutWindow::SSCommand1_Click()
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
