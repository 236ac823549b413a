#pragma once
// Prompts shown with Qt's own dialogs.

#include "ui/Prompts.h"

#include <memory>

class QInputDialog;
class QMessageBox;
class QWidget;

namespace sw {

class QtPrompts : public Prompts
{
public:
    explicit QtPrompts(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *p) { m_parent = p; }

    Answer message(const MessageSpec &m) override;
    std::optional<QString> input(const QString &title, const QString &prompt,
                                 const QString &defaultText) override;
    std::optional<QString> openFile(const FileDialogSpec &d) override;
    std::optional<QString> saveFile(const FileDialogSpec &d) override;

    // The dialogs as shown, not yet executed (tests measure them).
    static std::unique_ptr<QMessageBox> buildMessageBox(const MessageSpec &m, QWidget *parent);
    static std::unique_ptr<QInputDialog> buildInputDialog(const QString &title, const QString &prompt,
                                                          const QString &defaultText, QWidget *parent);

private:
    QWidget *m_parent;
};

} // namespace sw
