#include "help/frmAbout.h"

#include "help/ProgramPicture.h"
#include "printing/WindowPrinter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace sw {

frmAbout::frmAbout(PrinterSource &printers, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_printers(printers), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Splitwatch"));
    setAttribute(Qt::WA_DeleteOnClose);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(programPicture(QSize(96, 96)));
    Image1->setAlignment(Qt::AlignCenter);

    Label2 = new QLabel(versionText(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont f = Label2->font();
    f.setPointSizeF(f.pointSizeF() * 1.25);
    f.setBold(true);
    Label2->setFont(f);
    Label2->setAlignment(Qt::AlignCenter);

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
    top->addWidget(Label2);
    top->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(SSCommand1, &QPushButton::clicked, this, &frmAbout::SSCommand1_Click);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::SSCommand1_Click()
{
    WindowPrinter(m_printers, m_prompts).printWindow(this);
}

void frmAbout::mousePressEvent(QMouseEvent *event)
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
