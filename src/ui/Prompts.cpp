#include "ui/Prompts.h"

namespace sw {

QString programTitle()
{
    return QStringLiteral("Splitwatch");
}

void Prompts::info(const QString &text)
{
    message({programTitle(), text, Buttons::Ok, Icon::None, Answer::Ok});
}

Answer ScriptedPrompts::message(const MessageSpec &m)
{
    if (whileAsking) {
        const std::function<void()> act = std::move(whileAsking);
        whileAsking = nullptr;
        act();
    }
    Asked a{Asked::Message, m, {}, {}, {}, {}, false};
    Answer r = m.defaultButton;
    if (!answers.empty()) {
        r = answers.front();
        answers.pop_front();
    } else if (m.buttons != Buttons::Ok) {
        a.unexpected = true; // a question nobody scripted an answer for
    } else {
        r = Answer::Ok;
    }
    asked.push_back(a);
    return r;
}

std::optional<QString> ScriptedPrompts::input(const QString &title, const QString &prompt,
                                              const QString &defaultText)
{
    Asked a{Asked::Input, {}, title, prompt, defaultText, {}, false};
    std::optional<QString> r;
    if (!inputs.empty()) {
        r = inputs.front();
        inputs.pop_front();
    } else {
        a.unexpected = true;
    }
    asked.push_back(a);
    return r;
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialogSpec &d)
{
    Asked a{Asked::OpenFile, {}, {}, {}, {}, d, false};
    std::optional<QString> r;
    if (!files.empty()) {
        r = files.front();
        files.pop_front();
    } else {
        a.unexpected = true;
    }
    asked.push_back(a);
    return r;
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogSpec &d)
{
    Asked a{Asked::SaveFile, {}, {}, {}, {}, d, false};
    std::optional<QString> r;
    if (!files.empty()) {
        r = files.front();
        files.pop_front();
    } else {
        a.unexpected = true;
    }
    asked.push_back(a);
    return r;
}

bool ScriptedPrompts::printSetup()
{
    Asked a{Asked::PrintSetup, {}, {}, {}, {}, {}, false};
    bool r = false;
    if (!printSetups.empty()) {
        r = printSetups.front();
        printSetups.pop_front();
    } else {
        a.unexpected = true;
    }
    asked.push_back(a);
    return r;
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList l;
    for (const Asked &a : asked)
        if (a.kind == Asked::Message)
            l << a.message.text;
    return l;
}

int ScriptedPrompts::unexpectedCount() const
{
    int n = 0;
    for (const Asked &a : asked)
        n += a.unexpected ? 1 : 0;
    return n;
}

void ScriptedPrompts::clear()
{
    answers.clear();
    inputs.clear();
    files.clear();
    printSetups.clear();
    asked.clear();
}

} // namespace sw
