#include "db/Snapshots.h"

#include "common/Errors.h"
#include "db/Database.h"
#include "db/PreparedStatement.h"
#include "db/TableDefs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace rq::db {
namespace {

const QString kSuffix = QStringLiteral(".sqlite");
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

struct ReasonName
{
    SnapshotReason reason;
    const char *slug;
    const char *text;
};

const ReasonName kReasons[] = {
    {SnapshotReason::RemoveImports, "importe-loeschen", "Importe löschen"},
    {SnapshotReason::Restore, "wiederherstellen", "Daten wiederherstellen"},
    {SnapshotReason::ListImport, "rangliste-importieren", "Rangliste importieren"},
    {SnapshotReason::TableImport, "textdatei-einlesen", "Textdatei in Tabelle einlesen"},
    {SnapshotReason::Generation, "rangliste-erzeugen", "Rangliste erzeugen"},
    {SnapshotReason::SqlWindow, "sql-anweisung", "SQL-Anweisung"},
    {SnapshotReason::GoBack, "vor-zuruecksetzen", "Vor dem Zurücksetzen"},
};

const ReasonName &nameOf(SnapshotReason reason)
{
    for (const ReasonName &r : kReasons) {
        if (r.reason == reason)
            return r;
    }
    return kReasons[0];
}

// Children before parents, so that no referential rule stands in the way.
const QStringList &deletionOrder()
{
    static const QStringList order = {QStringLiteral("PERSVEREIN"),  QStringLiteral("VEREIN"),
                                      QStringLiteral("DETAILLINE"),  QStringLiteral("DETAIL"),
                                      QStringLiteral("DETAILBLOCK"), QStringLiteral("RANGPOS"),
                                      QStringLiteral("RANGLISTE"),   QStringLiteral("LEISTUNG"),
                                      QStringLiteral("PERSON"),      QStringLiteral("IMPORT")};
    return order;
}

bool inMemory(const Database &db)
{
    if (db.engine() == Engine::Postgres)
        return db.localDirectory().isEmpty();
    return db.filePath().isEmpty() || db.filePath() == QStringLiteral(":memory:");
}

// Every row of the ten tables from one database into the other's empty
// tables, parents first, as texts (which both engines turn back into their
// numbers); `from` is only read.
void copyRows(Database &from, Database &to)
{
    for (auto it = deletionOrder().crbegin(); it != deletionOrder().crend(); ++it) {
        const QStringList columns = findTable(*it)->fieldNames();
        const QString insert =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(*it, columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u','));
        QVariantList values;
        from.forEachRow(QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), *it), {},
                        [&](const PreparedStatement::Row &row) {
                            values.clear();
                            for (int i = 0; i < row.count(); ++i) {
                                const QString text = row.text(i);
                                values << (text.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text));
                            }
                            to.execute(insert, values);
                        });
    }
}

// A snapshot of a server's database: a database file of the program with the
// same rows, written under a passing name and renamed once complete, so that a
// half-written file is never listed as a snapshot.
void writeSnapshotFile(Database &db, const QString &path)
{
    const QString passing = path + QStringLiteral(".part");
    const auto removePassing = [&passing] {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(passing + QLatin1String(suffix));
    };
    removePassing();
    try {
        Database file(passing);
        file.open();
        Savepoint transaction(file, QStringLiteral("snapshot"));
        for (const TableDef &table : tableDefs()) {
            for (const QString &sql : createTableSql(table))
                file.exec(sql);
        }
        copyRows(db, file);
        transaction.release();
        file.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));  // the whole file in one piece
    } catch (...) {
        removePassing();
        throw;
    }
    if (!QFile::rename(passing, path)) {
        removePassing();
        throw EngineError(QStringLiteral("%1 kann nicht in %2 umbenannt werden").arg(passing, path), QString());
    }
}

}  // namespace

Snapshots::Snapshots(Database &db)
    : m_db(db)
{
}

QString Snapshots::directory() const
{
    return QDir(m_db.localDirectory()).filePath(QStringLiteral("Sicherungen"));
}

QString Snapshots::reasonText(SnapshotReason reason)
{
    return QString::fromUtf8(nameOf(reason).text);
}

QString Snapshots::take(SnapshotReason reason)
{
    if (inMemory(m_db))
        return {};
    const QDir dir(directory());
    if (!QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("Vor dem Befehl kann kein Sicherungspunkt angelegt werden, der Befehl wird deshalb "
                                   "nicht ausgeführt: das Verzeichnis %1 kann nicht erstellt werden")
                        .arg(dir.path()));
    const QString base =
        QDateTime::currentDateTime().toString(kStampFormat) + u'-' + QString::fromLatin1(nameOf(reason).slug);
    QString name = base + kSuffix;
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = base + u'-' + QString::number(n) + kSuffix;
    const QString path = dir.filePath(name);
    try {
        if (m_db.engine() == Engine::Postgres)
            writeSnapshotFile(m_db, path);
        else
            m_db.exec(QStringLiteral("VACUUM INTO ?"), {path});
    } catch (const EngineError &e) {
        QFile::remove(path);
        throw Error(QStringLiteral("Vor dem Befehl kann kein Sicherungspunkt angelegt werden (%1), der Befehl wird "
                                   "deshalb nicht ausgeführt: %2")
                        .arg(path, e.message()));
    }
    prune();
    return name;
}

QList<SnapshotInfo> Snapshots::list() const
{
    QList<SnapshotInfo> snapshots;
    if (inMemory(m_db))
        return snapshots;
    const QFileInfoList files =
        QDir(directory()).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QFileInfo &file : files) {
        SnapshotInfo info;
        info.name = file.fileName();
        info.path = file.absoluteFilePath();
        info.taken = QDateTime::fromString(info.name.left(kStampFormat.size()), kStampFormat);
        if (!info.taken.isValid())
            continue;  // not one of ours
        const QString slug = info.name.mid(kStampFormat.size() + 1);
        for (const ReasonName &r : kReasons) {
            if (slug.startsWith(QLatin1String(r.slug)))
                info.reason = QString::fromUtf8(r.text);
        }
        info.bytes = file.size();
        snapshots << info;
    }
    return snapshots;
}

void Snapshots::prune()
{
    const QList<SnapshotInfo> snapshots = list();
    for (qsizetype i = kKept; i < snapshots.size(); ++i)
        QFile::remove(snapshots.at(i).path);
}

void Snapshots::goBackTo(const QString &name)
{
    const QString path = QDir(directory()).filePath(name);
    if (name.contains(u'/') || !name.endsWith(kSuffix) || !QFileInfo(path).isFile())
        throw Error(QStringLiteral("Sicherungspunkt %1 gibt es nicht").arg(name));
    if (m_db.engine() == Engine::Postgres) {
        goBackOnServer(name, path);
        return;
    }
    // It must be a complete database of the program before anything changes.
    const auto attach = [&] { m_db.exec(QStringLiteral("ATTACH DATABASE ? AS snapshot"), {path}); };
    const auto detach = [&] { m_db.exec(QStringLiteral("DETACH DATABASE snapshot")); };
    attach();
    try {
        for (const TableDef &table : tableDefs())
            m_db.exec(
                QStringLiteral("SELECT %1 FROM snapshot.%2 LIMIT 0").arg(table.fieldNames().join(u','), table.name));
    } catch (const EngineError &e) {
        detach();
        throw Error(QStringLiteral("Sicherungspunkt %1 ist keine vollständige Datenbank des Programms: %2")
                        .arg(name, e.message()));
    }
    detach();
    take(SnapshotReason::GoBack);
    attach();
    try {
        Savepoint transaction(m_db, QStringLiteral("go_back"));
        for (const QString &table : deletionOrder())
            m_db.exec(QStringLiteral("DELETE FROM main.%1").arg(table));
        for (auto it = deletionOrder().crbegin(); it != deletionOrder().crend(); ++it) {
            const QString columns = findTable(*it)->fieldNames().join(u',');
            m_db.exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM snapshot.%1").arg(*it, columns));
        }
        // The import numbering goes on where the snapshot's did.
        m_db.exec(QStringLiteral("DELETE FROM main.sqlite_sequence WHERE name = 'IMPORT'"));
        m_db.exec(QStringLiteral("INSERT INTO main.sqlite_sequence (name, seq) SELECT name, seq FROM "
                                 "snapshot.sqlite_sequence WHERE name = 'IMPORT'"));
        transaction.release();
    } catch (...) {
        detach();
        throw;
    }
    detach();
}

void Snapshots::goBackOnServer(const QString &name, const QString &path)
{
    Database file(path);
    try {
        file.open();
        for (const TableDef &table : tableDefs())
            file.exec(QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(table.fieldNames().join(u','), table.name));
    } catch (const EngineError &e) {
        throw Error(QStringLiteral("Sicherungspunkt %1 ist keine vollständige Datenbank des Programms: %2")
                        .arg(name, e.message()));
    }
    take(SnapshotReason::GoBack);
    Savepoint transaction(m_db, QStringLiteral("go_back"));
    for (const QString &table : deletionOrder())
        m_db.exec(QStringLiteral("DELETE FROM %1").arg(table));
    copyRows(file, m_db);
    m_db.continueNumbering(QStringLiteral("IMPORT"));
    transaction.release();
}

}  // namespace rq::db
