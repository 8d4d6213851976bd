#include "common/ConsoleOperator.h"

#include <cstdio>

namespace rq {
namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// "Warnung", "Fehler" (also for the general error display) or "Information".
QString consoleCaption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QStringLiteral("Warnung");
    case MessageKind::Error:
    case MessageKind::Application:
        return QStringLiteral("Fehler");
    default:
        return QStringLiteral("Information");
    }
}

}  // namespace

void ConsoleOperator::showMessage(MessageKind kind, const QString &text)
{
    if (kind == MessageKind::Error || kind == MessageKind::Application)
        ++errors;
    printLine(stderr, consoleCaption(kind) + QStringLiteral(": ") + text);
}

Button ConsoleOperator::question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button)
{
    // A warning or error that asks how to go on is shown like any message;
    // a plain confirmation is the command itself and stays silent.
    if (kind != MessageKind::Confirmation)
        printLine(stderr, consoleCaption(kind) + QStringLiteral(": ") + text);
    if (m_preferred && buttons.contains(*m_preferred))
        return *m_preferred;
    for (const Button b : {Button::Yes, Button::Ok, Button::Retry})
        if (buttons.contains(b))
            return b;
    return buttons.isEmpty() ? Button::Ok : buttons.first();
}

std::optional<QString> ConsoleOperator::chooseOpenFile(const FileDialogRequest &)
{
    return std::nullopt;
}

std::optional<QString> ConsoleOperator::chooseSaveFile(const FileDialogRequest &)
{
    return std::nullopt;
}

std::optional<QStringList> ConsoleOperator::chooseOpenFiles(const FileDialogRequest &)
{
    return std::nullopt;
}

std::optional<QString> ConsoleOperator::askText(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

std::unique_ptr<WaitCursor> ConsoleOperator::waitCursor()
{
    return std::make_unique<WaitCursor>();
}

void ConsoleErrorList::appendLine(const QString &line)
{
    printLine(stdout, line);
}

}  // namespace rq
