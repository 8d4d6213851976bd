#include "FuzzSupport.h"

#include "common/CodePage1252.h"
#include "db/TableDefs.h"

#include <QCoreApplication>

namespace rq::fuzz {

db::Database &database()
{
    // Made once and never destroyed: the process ends without tearing Qt down
    // in an order its global objects do not expect.
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static db::Database *db = [] {
        new QCoreApplication(argc, argv);
        auto *d = new db::Database(QStringLiteral(":memory:"));
        d->open();
        for (const db::TableDef &table : db::tableDefs()) {
            for (const QString &sql : db::createTableSql(table))
                d->exec(sql);
        }
        return d;
    }();
    return *db;
}

QString text(const uint8_t *data, size_t size)
{
    return cp1252::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
}

QStringList lines(const uint8_t *data, size_t size)
{
    return cp1252::splitLines(text(data, size));
}

}  // namespace rq::fuzz
