#pragma once
// The comments window: free-text comments for the current race, kept in
// the race's comments with CR LF line breaks. Not modal. OK stores the text
// (a changed text counts as unsaved work), Cancel does not; the window also closes, storing nothing, when another
// window of this program becomes active (switching to another application
// leaves it open). It deletes itself when it closes.

#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWindow;

namespace sw {

class Race;

class CommentsWindow : public QWidget
{
    Q_OBJECT
public:
    CommentsWindow(Race &race, QWidget *mainWindow);

    QPlainTextEdit *commentsEdit = nullptr;
    QLabel *tipLabel = nullptr;
    QLabel *importantNote = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

    // The text box receives Comments.
    void loadWindow();
    // OK stores the text and closes; Cancel only closes.
    void closeWith(bool keepText);

    static QString captionText() { return QStringLiteral("Splitwatch File Comments"); }

    // Comments as stored (CR LF) from the text box's text (LF), and back.
    static QString commentsFromEditor(const QString &text);
    static QString editorTextFromComments(const QString &comments);

private:
    void focusWindowChanged(QWindow *now);

    Race &m_race;
    bool m_wasActive = false;
};

} // namespace sw
