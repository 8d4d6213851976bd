#include "common/Operator.h"

namespace rq {

Operator::~Operator() = default;
WaitCursor::~WaitCursor() = default;
ErrorList::~ErrorList() = default;

QString messageCaption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Warning:
        return QStringLiteral("Warnung");
    case MessageKind::Error:
        return QStringLiteral("Fehler");
    case MessageKind::Confirmation:
        return QStringLiteral("Bestätigung");
    case MessageKind::Application:
    case MessageKind::Plain:
        return QStringLiteral("Ranquill");
    }
    return {};
}

QString notAvailableMessage()
{
    return QStringLiteral("Diese Funktion ist in dieser Version noch nicht verfügbar.");
}

QString buttonText(Button button)
{
    switch (button) {
    case Button::Ok:
        return QStringLiteral("OK");
    case Button::Cancel:
        return QStringLiteral("Abbrechen");
    case Button::Yes:
        return QStringLiteral("&Ja");
    case Button::No:
        return QStringLiteral("&Nein");
    case Button::Abort:
        return QStringLiteral("&Abbrechen");
    case Button::Retry:
        return QStringLiteral("&Wiederholen");
    case Button::Ignore:
        return QStringLiteral("&Ignorieren");
    }
    return {};
}

QStringList qtNameFilters(const QString &pipeFilter)
{
    QStringList result;
    const QStringList parts = pipeFilter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(u';', u' ');
        const bool named = description.contains(u'(' + patterns + u')');
        result.append(named ? description : description + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

Button Operator::ask(const QString &text, const QList<Button> &buttons, MessageKind kind)
{
    return question(text, buttons, kind, buttons.isEmpty() ? Button::Ok : buttons.first());
}

Button Operator::askKeeping(const QString &text, const QList<Button> &buttons, Button keep, MessageKind kind)
{
    return question(text, buttons, kind, keep);
}

Progress::~Progress() = default;

namespace {

struct NoProgress : Progress
{
    void advance(qint64, qint64) override { }
};

}  // namespace

void Operator::report(const QString &) { }

std::unique_ptr<Progress> Operator::progress(const QString &)
{
    return std::make_unique<NoProgress>();
}

bool Operator::confirm(const QString &text)
{
    return ask(text, {Button::Yes, Button::No}) == Button::Yes;
}

bool Operator::confirmDiscarding(const QString &text)
{
    return askKeeping(text, {Button::Yes, Button::No}, Button::No) == Button::Yes;
}

}  // namespace rq
