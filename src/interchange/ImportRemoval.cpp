#include "interchange/ImportRemoval.h"

#include "common/Operator.h"
#include "db/Database.h"
#include "db/Snapshots.h"

namespace rq::interchange {

void ImportRemoval::removeAll(db::Database &db)
{
    db::Snapshots(db).take(db::SnapshotReason::RemoveImports);
    db::Savepoint transaction(db, QStringLiteral("remove_imports"));
    db.exec(QStringLiteral("DELETE FROM LEISTUNG"));
    db.exec(QStringLiteral("DELETE FROM PERSON"));
    db.exec(QStringLiteral("DELETE FROM IMPORT"));
    db.restartNumbering(QStringLiteral("IMPORT"));
    transaction.release();
}

void ImportRemoval::run(db::Database &db, Operator &op)
{
    if (!op.confirmDiscarding(QStringLiteral("Wollen Sie wirklich alle importierten E2V und V2E Daten löschen?")))
        return;
    const auto wait = op.waitCursor();
    removeAll(db);
    op.report(QStringLiteral("Importe gelöscht (ein Sicherungspunkt hält den Stand davor)"));
}

}  // namespace rq::interchange
