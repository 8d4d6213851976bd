#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace rq {

class Operator;

// Every failure that ends an operation and reaches the operator.
class Error : public std::exception
{
public:
    explicit Error(QString message);
    const char *what() const noexcept override;
    const QString &message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
};

// A failure of the database engine: its message plus the statement that failed.
class EngineError : public Error
{
public:
    EngineError(QString message, QString sql);
    const QString &sql() const { return m_sql; }

private:
    QString m_sql;
};

// A file that could not be read or written; the message says which and why.
class FileError : public Error
{
public:
    using Error::Error;
};

// Ends an operation without any message box.
class SilentAbort : public std::exception
{
public:
    const char *what() const noexcept override;
};

// The general error display's text: a full stop is appended when the last
// character sorts above "." (a letter or a digit), so "!" or "." endings stay.
QString withFullStop(const QString &message);

// Shows an error in the general error display (caption "Ranquill").
// SilentAbort shows nothing.
void showGeneralError(Operator &op, const std::exception &error);

// Runs one command, button or grid handler; whatever it throws is shown by the
// general error display. Returns false when the handler ended with an error.
bool runGuarded(Operator &op, const std::function<void()> &handler);

}  // namespace rq
