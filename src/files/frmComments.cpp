#include "files/frmComments.h"

#include "state/AppState.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace sw {

frmComments::frmComments(AppState &state, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("frmComments"));
    setWindowTitle(captionText());
    setAttribute(Qt::WA_DeleteOnClose);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Comments"));
    // Lines stay as typed; <Enter> ends a line, as on the printed report.
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setTabChangesFocus(true);

    Label1 = new QLabel(QStringLiteral("Tip:  Enter comments to describe the specs in this file.  These "
                                       "will be printed with reports and saved when you save this file."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label2 = new QLabel(QStringLiteral("Important:  We recommend you press <Enter> at the end of each line "
                                       "or comment to ensure all comments are printed on printouts."),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setTextFormat(Qt::PlainText);
    Label1->setTextFormat(Qt::PlainText);

    Command1[0] = new QPushButton(QStringLiteral("OK"), this);
    Command1[1] = new QPushButton(QStringLiteral("Cancel"), this);
    Command1[0]->setObjectName(QStringLiteral("Command1_0"));
    Command1[1]->setObjectName(QStringLiteral("Command1_1"));
    Command1[0]->setAutoDefault(false);
    Command1[1]->setAutoDefault(false);
    for (int i = 0; i < 2; ++i)
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[1]);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1, 1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    resize(480, 360);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, &frmComments::focusWindowChanged);
    Form_Load();
}

void frmComments::Form_Load()
{
    Text1->setPlainText(editorTextFromComments(m_state.Comments));
}

void frmComments::Command1_Click(int Index)
{
    if (Index == 0)
        m_state.Comments = commentsFromEditor(Text1->toPlainText());
    // Comments are not an entry field: unsavedChanges stays as it is.
    close();
}

QString frmComments::commentsFromEditor(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return t;
}

QString frmComments::editorTextFromComments(const QString &comments)
{
    QString t = comments;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void frmComments::focusWindowChanged(QWindow *now)
{
    QWindow *own = windowHandle();
    if (!own)
        return;
    if (now == own) {
        m_wasActive = true;
        return;
    }
    // No focus window: another application became active; the window stays.
    if (!now || !m_wasActive)
        return;
    // Popups and tooltips (the text box's own context menu, for one) do not
    // make another window of the program active.
    if (now->type() == Qt::Popup || now->type() == Qt::ToolTip)
        return;
    for (QWindow *p = now->transientParent(); p; p = p->transientParent())
        if (p == own)
            return;
    close();
}

} // namespace sw
