#include "capture/ListGeneration.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/Snapshots.h"
#include "db/StatementRunner.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::capture {
namespace {

QString joined(const QString &a, const QString &b)
{
    return (a + u' ' + b).trimmed();
}

}  // namespace

qint64 blockPosition(qint64 disziplinId)
{
    const QString text = QString::number(disziplinId);
    if (text.size() >= 6)
        return text.left(text.size() - 5).toLongLong();
    return disziplinId;
}

QList<DetailPlace> placeDetails(const QList<qint64> &disziplinIds, int perLine)
{
    QList<DetailPlace> places;
    int block = 0;
    for (const qint64 id : disziplinIds) {
        const qint64 p = blockPosition(id);
        DetailPlace place;
        if ((perLine > 0 || block == 0) && p > qint64(block) * perLine) {
            ++block;
            place.opensBlock = true;
        }
        place.block = block;
        place.position = int(p - qint64(block - 1) * perLine);
        places.append(place);
    }
    return places;
}

ListGeneration::ListGeneration(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
{
}

bool ListGeneration::run(int kat, const QString &award, const QStringList &titles)
{
    if (m_op.askKeeping(QStringLiteral("Manuell erfasste Ranglistendaten werden durch diese Operation überschrieben"),
                        {Button::Ok, Button::Cancel}, Button::Cancel) != Button::Ok)
        return false;
    m_headerCategory = QString();

    QSqlQuery header = m_db.exec(QStringLiteral("select * from RANGLISTE where KAT_NR = ? and KLASSE_NR = 0"), {kat});
    if (!header.next()) {
        m_op.showMessage(MessageKind::Plain,
                         QStringLiteral("Keine Kopfdaten für Rangliste der Kategorie <%1> mit Klasse <0> "
                                        "vorhanden")
                             .arg(kat));
        return false;
    }
    const int headerKat = header.value(QStringLiteral("KAT_NR")).toInt();
    m_headerCategory = QString::number(headerKat);
    const int perLine =
        int(num::parseInteger(header.value(QStringLiteral("DETAILS_PRO_ZEILE")).toString()).value_or(0));
    header.finish();

    // Positions typed or edited by hand are replaced; the state before can be had back.
    if (m_db.scalar(QStringLiteral("SELECT count(*) FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = 0"), {headerKat})
            .toInt() > 0)
        db::Snapshots(m_db).take(db::SnapshotReason::Generation);
    db::Savepoint transaction(m_db, QStringLiteral("generate_list"));
    // The list shows one state of the participants, also while stations capture.
    m_db.readOneState();
    m_db.lockList(headerKat, 0);
    const db::StatementRunner runner(m_db, m_op);
    for (const char *table : {"DETAIL", "DETAILBLOCK", "RANGPOS"}) {
        runner.run({QStringLiteral("DELETE FROM %1 WHERE").arg(QLatin1String(table)), QStringLiteral("KAT_NR = ? AND"),
                    QStringLiteral("KLASSE_NR = 0")},
                   {headerKat});
    }

    enum PersonColumn { KatId, PersId, Rang, Name, Vorname, Jahrgang, Total, AwardId, Remark, Prefix, Ort };
    QSqlQuery people = m_db.exec(
        QStringLiteral(
            "select KAT_ID, PERS_ID, RANG, NAME, VORNAME, JAHRGANG, ZUSATZ1, AUSZEICHNUNG_ID, BEMERKUNG, PREFIX, ORT "
            "from PERSON where KAT_ID = ? AND STATUS_ID = 1 order by PKT_VAL desc, RANG asc, AUSZEICHNUNG_ID asc"),
        {kat});
    const QString positionSql = QStringLiteral(
        "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, JAHRGANG, PUNKTE, AUSZEICHNUNG, "
        "BEMERKUNGEN, VEREIN, PREFIX, ORT, VEREIN_ID, VERBAND_NR, KANTON) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?)");
    const QString blockSql = QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, "
                                            "NAME1) VALUES (?, 0, ?, ?, ?)");
    const QString detailSql =
        QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, "
                       "DETAILPOS_NR, DISZIPLIN, LEISTUNG, ZUSATZWERT, PUNKTE, DETAILTEXT) VALUES "
                       "(?, 0, ?, ?, ?, ?, ?, ?, ?, ?)");

    const qint64 total =
        m_db.scalar(QStringLiteral("select count(*) from PERSON where KAT_ID = ? AND STATUS_ID = 1"), {kat})
            .toLongLong();
    const auto progress = m_op.progress(QStringLiteral("Rangliste der Kategorie %1 wird erzeugt …").arg(headerKat));
    int counter = 1;
    while (people.next()) {
        progress->advance(counter - 1, total);
        const QVariant katId = people.value(KatId);
        const QVariant persId = people.value(PersId);
        const QString awardId = people.value(AwardId).toString().trimmed();
        QVariant prefix = people.value(Prefix);
        QVariant ort = people.value(Ort);
        QString verein = joined(prefix.toString(), ort.toString());
        QVariant vereinId, verband, kanton;
        QSqlQuery club =
            m_db.select(QStringLiteral("select v.VEREIN_ID, v.PREFIX, v.ORT, v.VERBAND_ID, v.KANTON from "
                                       "PERSVEREIN p, VEREIN v where v.VEREIN_ID = p.VEREIN_ID AND KAT_ID = "
                                       "? AND PERS_ID = ?"),
                        {katId, persId});
        if (club.next()) {
            vereinId = club.value(0).toString();
            prefix = club.value(1);
            ort = club.value(2);
            verband = club.value(3);
            kanton = club.value(4);
            verein = joined(prefix.toString(), ort.toString());
        }
        club.finish();
        m_db.execute(positionSql, {katId, counter, db::textOf(people, Rang), people.value(Name), people.value(Vorname),
                                   people.value(Jahrgang), people.value(Total),
                                   awardId.isEmpty() || awardId == QStringLiteral("0") ? QVariant() : QVariant(award),
                                   people.value(Remark), verein, prefix, ort, vereinId, verband, kanton});

        enum DisciplineColumn { DiszId, Disziplin, Performance, Extra, Points };
        QSqlQuery disciplines =
            m_db.select(QStringLiteral("select DISZ_ID, DISZIPLIN, ZUSATZ1, ZUSATZ2, ZUSATZ3 from "
                                       "LEISTUNG where KAT_ID = ? AND PERS_ID = ? AND STATUS_ID = 1 "
                                       "order by DISZ_ID"),
                        {katId, persId});
        QList<QSqlRecord> rows;
        QList<qint64> ids;
        while (disciplines.next()) {
            rows << disciplines.record();
            ids << disciplines.value(DiszId).toLongLong();
        }
        disciplines.finish();
        const QList<DetailPlace> places = placeDetails(ids, perLine);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const DetailPlace &place = places.at(i);
            if (place.opensBlock)
                m_db.execute(blockSql, {katId, counter, place.block,
                                        place.block <= 4 ? titles.value(place.block - 1) : QString()});
            const QSqlRecord &d = rows.at(i);
            const QString performance = d.value(Performance).toString().trimmed();
            const QString extra = d.value(Extra).toString().trimmed();
            const QString points = d.value(Points).toString().trimmed();
            QString text = d.value(Disziplin).toString() + QStringLiteral(": ") + performance;
            if (!extra.isEmpty())
                text += QStringLiteral(" [") + extra + u']';
            text += QStringLiteral(" (") + points + u')';
            m_db.execute(detailSql, {katId, counter, place.block, place.position, d.value(Disziplin),
                                     d.value(Performance), d.value(Extra), d.value(Points), text});
        }
        ++counter;
    }
    transaction.release();
    m_db.listChanged(headerKat, 0);
    m_op.report(QStringLiteral("Rangliste %1-0: %2 erzeugt")
                    .arg(headerKat)
                    .arg(counted(counter - 1, QStringLiteral("Position"), QStringLiteral("Positionen"))));
    return true;
}

}  // namespace rq::capture
