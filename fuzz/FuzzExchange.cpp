// Exchange files of ranking lists: the key of a list file and the load of a
// file into each of the four tables of a list.
#include "interchange/RankingListImport.h"
#include "interchange/TextTable.h"

#include "FuzzSupport.h"

using namespace rq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::Database &db = fuzz::database();
    const QStringList lines = fuzz::lines(data, size);
    (void)interchange::RankingListImport::keyOf(lines);
    for (QString line : lines) {
        while (!line.isEmpty())
            (void)interchange::removeQuotes(interchange::takeTabField(line));
    }
    db::Savepoint input(db, QStringLiteral("fuzz_input"));
    for (const char *table : {"RangListe", "RangPos", "DetailBlock", "Detail"})
        (void)interchange::RankingListImport::loadTable(db, QString::fromLatin1(table), lines);
    return 0;
}
