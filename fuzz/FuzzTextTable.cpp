// Text tables: any content appended to each of the program's tables, every
// refused line answered with Ignore.
#include "db/TableDefs.h"
#include "interchange/TextTableImport.h"

#include "FuzzSupport.h"

using namespace rq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::Database &db = fuzz::database();
    if (size == 0)
        return 0;
    // The first byte picks the table, as the file name would.
    const db::TableDef &table = db::tableDefs().at(data[0] % db::tableDefs().size());
    fuzz::QuietOperator op;
    db::Savepoint input(db, QStringLiteral("fuzz_input"));
    interchange::TextTableImport(db, op).importLines(table.name, fuzz::lines(data + 1, size - 1));
    return 0;
}
