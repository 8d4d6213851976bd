#pragma once

#include "common/Operator.h"
#include "support/QtPrinters.h"

#include <QHash>
#include <QStringList>

#include <deque>
#include <variant>

namespace rq::test {

// An Operator for tests: answers from queues and records every message as
// "Caption: text", so a test can assert the exact texts an operation showed.
// A question or dialog nobody queued an answer for fails the test.
class ScriptedOperator : public Operator
{
public:
    void showMessage(MessageKind kind, const QString &text) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest &request) override;
    std::optional<QStringList> chooseOpenFiles(const FileDialogRequest &request) override;
    std::optional<QString> askText(const QString &title, const QString &prompt, const QString &defaultText) override;
    std::unique_ptr<WaitCursor> waitCursor() override;
    void report(const QString &summary) override { reports << summary; }

    // Queue answers, consumed in order.
    void answer(Button button) { m_buttons.push_back(button); }
    void answerFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }
    void answerFiles(std::optional<QStringList> paths) { m_fileLists.push_back(std::move(paths)); }
    void answerText(std::optional<QString> text) { m_texts.push_back(std::move(text)); }

    // Every message and question so far, as "Caption: text".
    QStringList messages;
    // The last file dialog request seen.
    FileDialogRequest lastDialog;
    int waitCursors = 0;
    // Every summary a command gave, in order.
    QStringList reports;
    // The button Enter would have pressed, per question text.
    QHash<QString, Button> enterButtons;

protected:
    Button question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter) override;

private:
    std::deque<Button> m_buttons;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::optional<QStringList>> m_fileLists;
    std::deque<std::optional<QString>> m_texts;
};

// An error list that records its lines and whether it is shown.
class RecordingErrorList : public ErrorList
{
public:
    void clearLines() override { lines.clear(); }
    void appendLine(const QString &line) override { lines << line; }
    void showList() override { visible = true; }
    void hideList() override { visible = false; }

    QStringList lines;
    bool visible = false;
};

}  // namespace rq::test
