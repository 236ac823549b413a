#include "document/CommentsWindow.h"

#include "race/Race.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace sw {

CommentsWindow::CommentsWindow(Race &race, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_race(race)
{
    setObjectName(QStringLiteral("CommentsWindow"));
    setWindowTitle(captionText());
    setAttribute(Qt::WA_DeleteOnClose);

    commentsEdit = new QPlainTextEdit(this);
    commentsEdit->setObjectName(QStringLiteral("commentsEdit"));
    commentsEdit->setAccessibleName(QStringLiteral("Comments"));
    // Lines stay as typed; <Enter> ends a line, as on the printed report.
    commentsEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    commentsEdit->setTabChangesFocus(true);

    tipLabel = new QLabel(QStringLiteral("Tip:  Enter comments to describe the specs in this file.  These "
                                       "will be printed with reports and saved when you save this file."),
                        this);
    tipLabel->setObjectName(QStringLiteral("tipLabel"));
    tipLabel->setWordWrap(true);
    importantNote = new QLabel(QStringLiteral("Important:  We recommend you press <Enter> at the end of each line "
                                       "or comment to ensure all comments are printed on printouts."),
                        this);
    importantNote->setObjectName(QStringLiteral("importantNote"));
    importantNote->setWordWrap(true);
    importantNote->setTextFormat(Qt::PlainText);
    tipLabel->setTextFormat(Qt::PlainText);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    okButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, [this] { closeWith(true); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { closeWith(false); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tipLabel);
    layout->addWidget(commentsEdit, 1);
    layout->addWidget(importantNote);
    layout->addLayout(buttons);
    resize(480, 360);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CommentsWindow::focusWindowChanged);
    loadWindow();
}

void CommentsWindow::loadWindow()
{
    commentsEdit->setPlainText(editorTextFromComments(m_race.comments()));
}

void CommentsWindow::closeWith(bool keepText)
{
    if (keepText) {
        const QString text = commentsFromEditor(commentsEdit->toPlainText());
        // Confirmed comments are work to keep: Exit, New and Open ask first.
        if (text != m_race.comments()) {
            m_race.setComments(text);
        }
    }
    close();
}

QString CommentsWindow::commentsFromEditor(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return t;
}

QString CommentsWindow::editorTextFromComments(const QString &comments)
{
    QString t = comments;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void CommentsWindow::focusWindowChanged(QWindow *now)
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
