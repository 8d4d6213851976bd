#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace rq::db {

class Database;

// What a snapshot was taken before.
enum class SnapshotReason {
    RemoveImports,  // "Importe löschen"
    Restore,  // a backup file restored
    ListImport,  // ranking lists imported over stored ones
    TableImport,  // a text table appended
    Generation,  // a list generated over its positions
    SqlWindow,  // data-changing statements of the SQL window
    GoBack,  // the state before going back to a snapshot
};

// One snapshot file.
struct SnapshotInfo
{
    QString name;  // the file name, "20261210-135236-importe-loeschen.sqlite"
    QString path;
    QDateTime taken;
    QString reason;  // "Importe löschen"
    qint64 bytes = 0;
};

// Copies of the whole database taken before every command that deletes or
// overwrites data, in the folder "Sicherungen" beside the database file, the
// last 20 kept. Going back to one replaces the content of the ten tables in
// one transaction, after a snapshot of the state it replaces, so nothing is
// ever lost by it. A database in memory takes no snapshots. A database on a
// server keeps its snapshots as database files in the station's data directory.
class Snapshots
{
public:
    static constexpr int kKept = 20;

    explicit Snapshots(Database &db);

    QString directory() const;
    // A copy of the database as it stands now, through the engine's own
    // online copy. Throws Error when it cannot be written: the command that
    // asked for it must not go on without it. Returns the name, empty when
    // the database is in memory.
    QString take(SnapshotReason reason);
    // Newest first.
    QList<SnapshotInfo> list() const;
    // The content of the ten tables (and the import numbering) replaced by
    // the snapshot's. Throws Error for a name that is no snapshot here or a
    // file that is no complete database of the program.
    void goBackTo(const QString &name);

    static QString reasonText(SnapshotReason reason);

private:
    void prune();
    // A server's database takes its snapshots as database files of the program.
    void goBackOnServer(const QString &name, const QString &path);

    Database &m_db;
};

}  // namespace rq::db
