#include "capture/ListGeneration.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/KonfigDataModule.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::capture {
namespace {

QString joined(const QString &a, const QString &b)
{
    return (a + u' ' + b).trimmed();
}

} // namespace

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

ListGeneration::ListGeneration(ranking::KonfigDataModule &module, Operator &op)
    : m_module(module)
    , m_op(op)
{
}

bool ListGeneration::run(int kat, const QString &award, const QStringList &titles)
{
    if (m_op.ask(QStringLiteral("Manuell erfasste Ranglistendaten werden durch diese Operation überschrieben"),
                 {Button::Ok, Button::Cancel}) != Button::Ok)
        return false;
    db::Database &db = m_module.database();
    QString headerKat;
    const auto remember = qScopeGuard([&] { m_module.lastKatSearch = headerKat; });

    QSqlQuery header = db.exec(QStringLiteral("select * from RANGLISTE where KAT_NR = ? and KLASSE_NR = 0"), {kat});
    if (!header.next()) {
        m_op.showMessage(MessageKind::Plain, QStringLiteral("Keine Kopfdaten für Rangliste der Kategorie <%1> mit Klasse <0> "
                                                            "vorhanden").arg(kat));
        return false;
    }
    headerKat = header.value(QStringLiteral("KAT_NR")).toString();
    const int perLine = int(num::parseInteger(header.value(QStringLiteral("DETAILS_PRO_ZEILE")).toString()).value_or(0));
    header.finish();

    db::Savepoint transaction(db, QStringLiteral("generate_list"));
    for (const char *table : {"DETAIL", "DETAILBLOCK", "RANGPOS"}) {
        m_module.runStatement({QStringLiteral("DELETE FROM %1 WHERE").arg(QLatin1String(table)),
                               QStringLiteral("KAT_NR = ") + headerKat + QStringLiteral(" AND"),
                               QStringLiteral("KLASSE_NR = 0")});
    }

    QSqlQuery people = db.exec(QStringLiteral(
        "select KAT_ID, PERS_ID, RANG, NAME, VORNAME, JAHRGANG, ZUSATZ1, AUSZEICHNUNG_ID, BEMERKUNG, PREFIX, ORT "
        "from PERSON where KAT_ID = ? AND STATUS_ID = 1 order by PKT_VAL desc, RANG asc, AUSZEICHNUNG_ID asc"),
        {kat});
    QSqlQuery position(db.connection());
    position.prepare(QStringLiteral(
        "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, JAHRGANG, PUNKTE, AUSZEICHNUNG, "
        "BEMERKUNGEN, VEREIN, PREFIX, ORT, VEREIN_ID, VERBAND_NR, KANTON) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?)"));
    QSqlQuery block(db.connection());
    block.prepare(QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, NAME1) "
                                 "VALUES (?, 0, ?, ?, ?)"));
    QSqlQuery detail(db.connection());
    detail.prepare(QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, "
                                  "DISZIPLIN, LEISTUNG, ZUSATZWERT, PUNKTE, DETAILTEXT) VALUES (?, 0, ?, ?, ?, ?, ?, ?, "
                                  "?, ?)"));
    const auto run = [](QSqlQuery &q, const QVariantList &values) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            throw EngineError(db::engineMessage(q.lastError()), q.lastQuery());
    };

    int counter = 1;
    while (people.next()) {
        const QSqlRecord p = people.record();
        const QVariant katId = p.value(QStringLiteral("KAT_ID"));
        const QVariant persId = p.value(QStringLiteral("PERS_ID"));
        const QString awardId = p.value(QStringLiteral("AUSZEICHNUNG_ID")).toString().trimmed();
        QString verein = joined(p.value(QStringLiteral("PREFIX")).toString(), p.value(QStringLiteral("ORT")).toString());
        QVariant prefix = p.value(QStringLiteral("PREFIX"));
        QVariant ort = p.value(QStringLiteral("ORT"));
        QVariant vereinId, verband, kanton;
        QSqlQuery club = db.exec(QStringLiteral("select v.* from PERSVEREIN p, VEREIN v where v.VEREIN_ID = p.VEREIN_ID "
                                                "AND KAT_ID = ? AND PERS_ID = ?"),
                                 {katId, persId});
        if (club.next()) {
            prefix = club.value(QStringLiteral("PREFIX"));
            ort = club.value(QStringLiteral("ORT"));
            verein = joined(prefix.toString(), ort.toString());
            vereinId = club.value(QStringLiteral("VEREIN_ID")).toString();
            verband = club.value(QStringLiteral("VERBAND_ID"));
            kanton = club.value(QStringLiteral("KANTON"));
        }
        club.finish();
        run(position, {katId, counter, p.value(QStringLiteral("RANG")).toString(), p.value(QStringLiteral("NAME")),
                       p.value(QStringLiteral("VORNAME")), p.value(QStringLiteral("JAHRGANG")),
                       p.value(QStringLiteral("ZUSATZ1")),
                       awardId.isEmpty() || awardId == QStringLiteral("0") ? QVariant() : QVariant(award),
                       p.value(QStringLiteral("BEMERKUNG")), verein, prefix, ort, vereinId, verband, kanton});

        QSqlQuery disciplines = db.exec(QStringLiteral("select DISZ_ID, DISZIPLIN, ZUSATZ1, ZUSATZ2, ZUSATZ3 from "
                                                       "LEISTUNG where KAT_ID = ? AND PERS_ID = ? AND STATUS_ID = 1 "
                                                       "order by DISZ_ID"),
                                        {katId, persId});
        QList<QSqlRecord> rows;
        QList<qint64> ids;
        while (disciplines.next()) {
            rows << disciplines.record();
            ids << disciplines.value(0).toLongLong();
        }
        const QList<DetailPlace> places = placeDetails(ids, perLine);
        for (int i = 0; i < rows.size(); ++i) {
            const DetailPlace &place = places.at(i);
            if (place.opensBlock)
                run(block, {katId, counter, place.block, place.block <= 4 ? titles.value(place.block - 1) : QString()});
            const QSqlRecord &d = rows.at(i);
            const QString performance = d.value(QStringLiteral("ZUSATZ1")).toString().trimmed();
            const QString extra = d.value(QStringLiteral("ZUSATZ2")).toString().trimmed();
            const QString points = d.value(QStringLiteral("ZUSATZ3")).toString().trimmed();
            QString text = d.value(QStringLiteral("DISZIPLIN")).toString() + QStringLiteral(": ") + performance;
            if (!extra.isEmpty())
                text += QStringLiteral(" [") + extra + u']';
            text += QStringLiteral(" (") + points + u')';
            run(detail, {katId, counter, place.block, place.position, d.value(QStringLiteral("DISZIPLIN")),
                         d.value(QStringLiteral("ZUSATZ1")), d.value(QStringLiteral("ZUSATZ2")),
                         d.value(QStringLiteral("ZUSATZ3")), text});
        }
        ++counter;
    }
    transaction.release();
    return true;
}

} // namespace rq::capture
