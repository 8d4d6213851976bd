#include "support/ScriptedOperator.h"

#include <gtest/gtest.h>

namespace rq::test {

void ScriptedOperator::showMessage(MessageKind kind, const QString &text)
{
    messages << messageCaption(kind) + QStringLiteral(": ") + text;
}

Button ScriptedOperator::question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter)
{
    messages << messageCaption(kind) + QStringLiteral(": ") + text;
    enterButtons.insert(text, enter);
    if (m_buttons.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return buttons.isEmpty() ? Button::Ok : buttons.last();
    }
    const Button b = m_buttons.front();
    m_buttons.pop_front();
    return b;
}

std::optional<QString> ScriptedOperator::chooseOpenFile(const FileDialogRequest &request)
{
    lastDialog = request;
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected open dialog: " << request.title.value_or(QString()).toStdString();
        return std::nullopt;
    }
    std::optional<QString> f = std::move(m_files.front());
    m_files.pop_front();
    return f;
}

std::optional<QString> ScriptedOperator::chooseSaveFile(const FileDialogRequest &request)
{
    return chooseOpenFile(request);
}

std::optional<QStringList> ScriptedOperator::chooseOpenFiles(const FileDialogRequest &request)
{
    lastDialog = request;
    if (m_fileLists.empty()) {
        ADD_FAILURE() << "unexpected multiple-selection dialog: " << request.title.value_or(QString()).toStdString();
        return std::nullopt;
    }
    std::optional<QStringList> f = std::move(m_fileLists.front());
    m_fileLists.pop_front();
    return f;
}

std::optional<QString> ScriptedOperator::askText(const QString &title, const QString &prompt, const QString &)
{
    messages << title + QStringLiteral(": ") + prompt;
    if (m_texts.empty()) {
        ADD_FAILURE() << "unexpected text prompt: " << prompt.toStdString();
        return std::nullopt;
    }
    std::optional<QString> t = std::move(m_texts.front());
    m_texts.pop_front();
    return t;
}

std::unique_ptr<WaitCursor> ScriptedOperator::waitCursor()
{
    ++waitCursors;
    return std::make_unique<WaitCursor>();
}

}  // namespace rq::test
