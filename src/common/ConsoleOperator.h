#pragma once

#include "common/Operator.h"

#include <QStringList>

namespace rq {

// The Operator of the command line and the benchmark: messages go to standard error as
// "Warnung: …", "Fehler: …", "Information: …", and so do warnings and errors that
// ask how to go on. A question is answered with the preferred button when it
// offers it, else with its first affirmative one (the command itself is the
// operator's decision); dialogs and prompts are answered with nothing.
class ConsoleOperator : public Operator
{
public:
    void showMessage(MessageKind kind, const QString &text) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest &request) override;
    std::optional<QStringList> chooseOpenFiles(const FileDialogRequest &request) override;
    std::optional<QString> askText(const QString &title, const QString &prompt, const QString &defaultText) override;
    std::unique_ptr<WaitCursor> waitCursor() override;

    // The answer a command wants to questions that offer it (Ignore to go on past refused lines, say).
    void prefer(Button button) { m_preferred = button; }

    int errors = 0;  // error messages shown so far

protected:
    Button question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter) override;

private:
    std::optional<Button> m_preferred;
};

// The error list of the command line: its lines go to standard output.
class ConsoleErrorList : public ErrorList
{
public:
    void clearLines() override { }
    void appendLine(const QString &line) override;
    void showList() override { }
    void hideList() override { }
};

}  // namespace rq
