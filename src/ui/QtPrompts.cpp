#include "ui/QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace sw {

namespace {

QMessageBox::StandardButton toQt(Answer a)
{
    switch (a) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// Gives the keyboard back to the window that had it once a question is
// answered. Without a window manager nothing else does: X reverts the focus
// to the root window when the box goes, and the next F2 reaches no window.
class KeyboardReturns
{
public:
    explicit KeyboardReturns(QWidget *parent)
        : m_window(QApplication::activeWindow() ? QApplication::activeWindow() : parent)
    {
    }
    ~KeyboardReturns()
    {
        if (m_window && m_window->isVisible() && !QApplication::activeModalWidget())
            m_window->activateWindow();
    }

private:
    QPointer<QWidget> m_window;
};

// Texts that hold the comments break their lines with CR LF; Qt wants LF.
QString displayText(QString t)
{
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

} // namespace

std::unique_ptr<QMessageBox> QtPrompts::buildMessageBox(const MessageSpec &m, QWidget *parent)
{
    auto owned = std::make_unique<QMessageBox>(parent);
    QMessageBox &box = *owned;
    box.setWindowTitle(m.title);
    box.setText(displayText(m.text));
    switch (m.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (m.buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toQt(m.defaultButton));
    return owned;
}

Answer QtPrompts::message(const MessageSpec &m)
{
    const KeyboardReturns keyboard(m_parent);
    const int r = buildMessageBox(m, m_parent)->exec();
    switch (r) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // Escape on a Yes/No box closes it without a button: treat as No.
        return m.buttons == Buttons::Ok ? Answer::Ok
             : m.buttons == Buttons::YesNo ? Answer::No
                                           : Answer::Cancel;
    }
}

std::optional<QString> QtPrompts::input(const QString &title, const QString &prompt,
                                        const QString &defaultText)
{
    const KeyboardReturns keyboard(m_parent);
    const std::unique_ptr<QInputDialog> dialog = buildInputDialog(title, prompt, defaultText, m_parent);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

std::unique_ptr<QInputDialog> QtPrompts::buildInputDialog(const QString &title, const QString &prompt,
                                                          const QString &defaultText, QWidget *parent)
{
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(displayText(prompt));
    dialog->setTextValue(defaultText);
    // A long prompt on one line made the box wider than the screen: wrap it
    // at about 60 characters of the dialog's font.
    if (QLabel *label = dialog->findChild<QLabel *>()) {
        label->setWordWrap(true);
        label->setMinimumWidth(QFontMetrics(label->font()).averageCharWidth() * 60);
    }
    return dialog;
}

std::optional<QString> QtPrompts::openFile(const FileDialogSpec &d)
{
    const KeyboardReturns keyboard(m_parent);
    const QString start = QDir(d.initialFolder).filePath(d.initialName);
    const QString f = QFileDialog::getOpenFileName(m_parent, d.title, start, d.filter);
    if (f.isEmpty())
        return std::nullopt;
    return f;
}

std::optional<QString> QtPrompts::saveFile(const FileDialogSpec &d)
{
    const KeyboardReturns keyboard(m_parent);
    const QString start = QDir(d.initialFolder).filePath(d.initialName);
    const QString f = QFileDialog::getSaveFileName(m_parent, d.title, start, d.filter);
    if (f.isEmpty())
        return std::nullopt;
    return f;
}

} // namespace sw
