#pragma once

#include <QList>
#include <QString>

namespace rq::db {
class Database;
}

// The windows on the benchmark's event (offscreen): each step as the operator
// starts it, until the window has shown its answer.
struct GuiTiming
{
    QString operation;
    qint64 rows;
    double seconds;
    double budget;
};

// `category` is the largest category, whose ranking list (category, class 0)
// the editor opens and prints with preview; `work` holds the settings.
// Problems found on the way are written to stderr and make `failed` true.
QList<GuiTiming> runGuiBenchmark(rq::db::Database &db, const QString &work, int category, bool &failed);
