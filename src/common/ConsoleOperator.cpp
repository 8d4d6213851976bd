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

}  // namespace

void ConsoleOperator::showMessage(MessageKind kind, const QString &text)
{
    QString caption;
    switch (kind) {
    case MessageKind::Warning:
        caption = QStringLiteral("Warnung");
        break;
    case MessageKind::Error:
    case MessageKind::Application:
        caption = QStringLiteral("Fehler");
        ++errors;
        break;
    default:
        caption = QStringLiteral("Information");
    }
    printLine(stderr, caption + QStringLiteral(": ") + text);
}

Button ConsoleOperator::ask(const QString &, const QList<Button> &buttons, MessageKind)
{
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
