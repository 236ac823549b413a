#pragma once
// Every question the program asks the user goes through Prompts: message
// boxes, input boxes and file dialogs. The real implementation (QtPrompts)
// shows Qt dialogs; ScriptedPrompts answers from a script and records every
// question with its title, text, buttons, icon and default button, so tests can
// check each prompt word for word.

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace sw {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Question, Exclamation, Critical };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageSpec
{
    QString title;
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
};

struct FileDialogSpec
{
    QString title;
    QString filter;
    QString initialFolder;
    QString initialName;
};

class Prompts
{
public:
    virtual ~Prompts() = default;

    // Modal message box; returns the button pressed.
    virtual Answer message(const MessageSpec &m) = 0;

    // Modal input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString &title, const QString &prompt,
                                         const QString &defaultText) = 0;

    // File dialogs; nullopt when cancelled. The open dialog accepts existing
    // files only; the save dialog asks before replacing a file.
    virtual std::optional<QString> openFile(const FileDialogSpec &d) = 0;
    virtual std::optional<QString> saveFile(const FileDialogSpec &d) = 0;

    // Printer setup dialog; false when cancelled.
    virtual bool printSetup() { return false; }

    // Convenience: an information box (OK, no icon, the program's title).
    void info(const QString &text);
};

// The program's title on information boxes.
QString programTitle();

// A test's side of the conversation: queued answers in order, and a log of
// everything that was asked. A question with no queued answer gets the
// default button (message), nullopt (input, file dialogs), and is marked as
// unexpected so that a test notices.
class ScriptedPrompts : public Prompts
{
public:
    struct Asked
    {
        enum Kind { Message, Input, OpenFile, SaveFile, PrintSetup } kind;
        MessageSpec message;        // Message
        QString title, prompt, def; // Input
        FileDialogSpec dialog;      // OpenFile / SaveFile
        bool unexpected = false;
    };

    std::deque<Answer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> files;
    std::deque<bool> printSetups;
    std::vector<Asked> asked;
    // Runs once, while the next message box is on screen, before its answer
    // is given: what the operator does while a question waits.
    std::function<void()> whileAsking;

    ScriptedPrompts &answer(Answer a)
    {
        answers.push_back(a);
        return *this;
    }
    ScriptedPrompts &type(std::optional<QString> s)
    {
        inputs.push_back(std::move(s));
        return *this;
    }
    ScriptedPrompts &chooseFile(std::optional<QString> s)
    {
        files.push_back(std::move(s));
        return *this;
    }

    Answer message(const MessageSpec &m) override;
    std::optional<QString> input(const QString &title, const QString &prompt,
                                 const QString &defaultText) override;
    std::optional<QString> openFile(const FileDialogSpec &d) override;
    std::optional<QString> saveFile(const FileDialogSpec &d) override;
    bool printSetup() override;

    // Texts of all message boxes asked so far, in order.
    QStringList messageTexts() const;
    int unexpectedCount() const;
    void clear();
};

} // namespace sw
