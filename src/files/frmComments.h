#pragma once
// The comments window: free-text comments for the current race, kept in
// AppState::Comments with CR LF line breaks. Not modal. OK stores the text,
// Cancel does not; the window also closes, storing nothing, when another
// window of this program becomes active (switching to another application
// leaves it open). It deletes itself when it closes.

#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWindow;

namespace sw {

struct AppState;

class frmComments : public QWidget
{
    Q_OBJECT
public:
    frmComments(AppState &state, QWidget *mainWindow);

    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QPushButton *, 2> Command1{}; // 0 "OK", 1 "Cancel"

    // Text1 receives Comments.
    void Form_Load();
    void Command1_Click(int Index);

    static QString captionText() { return QStringLiteral("Splitwatch File Comments"); }

    // Comments as stored (CR LF) from the text box's text (LF), and back.
    static QString commentsFromEditor(const QString &text);
    static QString editorTextFromComments(const QString &comments);

private:
    void focusWindowChanged(QWindow *now);

    AppState &m_state;
    bool m_wasActive = false;
};

} // namespace sw
