#include "common/Errors.h"

#include "common/Operator.h"

namespace rq {

Error::Error(QString message)
    : m_message(std::move(message))
    , m_what(m_message.toUtf8())
{
}

const char *Error::what() const noexcept
{
    return m_what.constData();
}

EngineError::EngineError(QString message, QString sql)
    : Error(std::move(message))
    , m_sql(std::move(sql))
{
}

const char *SilentAbort::what() const noexcept
{
    return "silent abort";
}

QString withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void showGeneralError(Operator &op, const std::exception &error)
{
    if (dynamic_cast<const SilentAbort *>(&error))
        return;
    QString text;
    if (const auto *own = dynamic_cast<const Error *>(&error))
        text = own->message();
    else
        text = QString::fromUtf8(error.what());
    op.showMessage(MessageKind::Application, withFullStop(text));
}

bool runGuarded(Operator &op, const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &e) {
        showGeneralError(op, e);
    }
    return false;
}

}  // namespace rq
