#pragma once

// What every fuzz target shares: the Qt application object the SQL drivers
// need, a quiet operator, and one database in memory with the program's
// tables, whose changes each input rolls back.
#include "common/QuietOperator.h"
#include "db/Database.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace rq::fuzz {

// Answers every question with Ignore (or its first button) and shows nothing.
class QuietOperator : public rq::QuietOperator
{
protected:
    Button question(const QString &, const QList<Button> &buttons, MessageKind, Button) override
    {
        return buttons.contains(Button::Ignore) ? Button::Ignore : buttons.value(0, Button::Ok);
    }
};

class QuietErrorList : public ErrorList
{
public:
    void clearLines() override { }
    void appendLine(const QString &) override { }
    void showList() override { }
    void hideList() override { }
};

// The database in memory, set up once per process.
db::Database &database();

// The input as the text of a CP1252 file and as its lines.
QString text(const uint8_t *data, size_t size);
QStringList lines(const uint8_t *data, size_t size);

}  // namespace rq::fuzz
