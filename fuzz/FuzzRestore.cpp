// Backup files: the statement reader of the restore, the restore itself, and
// the adapter that the SQL window uses for the older dialect.
#include "db/LegacySql.h"
#include "tools/SqlBackup.h"

#include "FuzzSupport.h"

using namespace rq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::Database &db = fuzz::database();
    const QString text = fuzz::text(data, size);
    (void)db::translateLegacySql(text);
    (void)tools::parseRestoreInsert(text);
    fuzz::QuietErrorList errors;
    db::Savepoint input(db, QStringLiteral("fuzz_input"));
    tools::SqlRestore(db, errors).restoreLines(fuzz::lines(data, size));
    return 0;
}
