#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::capture {

// Where a discipline's detail goes: its block and its position in the block.
struct DetailPlace
{
    int block = 0;
    int position = 0;
    bool opensBlock = false;  // this detail opens block `block`
};

// The block position P of a discipline: DISZ_ID itself, or for a number of six
// or more digits the digits above the last five (123456 stands at 1).
qint64 blockPosition(qint64 disziplinId);

// The blocks and positions of a participant's details, in ascending DISZ_ID,
// for `perLine` details per line (0 for "AUTO", "FLEX" or any other text).
QList<DetailPlace> placeDetails(const QList<qint64> &disziplinIds, int perLine);

// "Zu Rangliste konvertieren": the captured participants of a category become
// the positions, blocks and details of its list of class 0, best total first.
// The whole generation is one transaction: a failure leaves the previous list
// exactly as it was.
class ListGeneration
{
public:
    ListGeneration(db::Database &db, Operator &op);

    // Asks first; returns false when declined or when the list has no header
    // row (with its message). `award` is the text of "Auszeichnungsart",
    // `titles` the four detail-line titles. Throws EngineError on a failure.
    bool run(int kat, const QString &award, const QStringList &titles);

    // Once the operator confirmed a run: the KAT_NR of the header row it read,
    // as text, or empty when there was none; the editor's "Kategorie suchen"
    // proposes it. Nothing before a confirmed run.
    const std::optional<QString> &headerCategory() const { return m_headerCategory; }

private:
    db::Database &m_db;
    Operator &m_op;
    std::optional<QString> m_headerCategory;
};

}  // namespace rq::capture
