#include "reports/RowQueries.h"

#include <QStringList>

namespace rq::reports {
namespace {

const QString kKate =
    QStringLiteral("CAST(RANGLISTE.KAT_NR as varchar(10)) || '-' || CAST(RANGLISTE.KLASSE_NR as varchar(10)) as KATE");

QStringList titles(std::initializer_list<const char *> names)
{
    QStringList items;
    for (const char *name : names)
        items << QStringLiteral("RANGLISTE.") + QLatin1String(name);
    return items;
}

QStringList positionFields(std::initializer_list<const char *> names)
{
    QStringList items;
    for (const char *name : names)
        items << QStringLiteral("db.") + QLatin1String(name);
    return items;
}

// left outer join detailline dk ... (dk.DETAILBLOCK_NR = k), for k = 1 .. blocks.
QString blockJoins(int blocks)
{
    QStringList joins;
    for (int k = 1; k <= blocks; ++k)
        joins << QStringLiteral("left outer join detailline d%1 on (db.KAT_NR = d%1.KAT_NR) and (db.KLASSE_NR = "
                                "d%1.KLASSE_NR) and (db.RANGPOS_NR = d%1.RANGPOS_NR) and (d%1.DETAILBLOCK_NR = %1)")
                     .arg(k);
    return joins.join(u'\n');
}

QString query(const QStringList &items, int blocks)
{
    return QStringLiteral("select ") + items.join(QStringLiteral(", ")) + QStringLiteral("\nfrom rangpos db\n") +
           blockJoins(blocks) + (blocks > 0 ? QStringLiteral(",\n") : QStringLiteral(", ")) +
           QStringLiteral("RANGLISTE WHERE db.KAT_NR = ? and db.KLASSE_NR = ? and RANGLISTE.KAT_NR = db.KAT_NR AND "
                          "RANGLISTE.KLASSE_NR = db.KLASSE_NR ORDER BY db.RANGPOS_NR");
}

QStringList head()
{
    return {QStringLiteral("RANGLISTE.KAT_NR"), QStringLiteral("db.RANGPOS_NR")};
}

QStringList individualItems()
{
    QStringList items = head();
    items << titles({"LAYOUT", "SPARTE_D", "SPARTE_F", "KATEGORIE_D", "KATEGORIE_F", "KLASSE_D", "KLASSE_F",
                     "RANG_TITEL", "NAME1_TITEL", "NAME2_TITEL", "JAHRGANG_TITEL", "VEREIN_TITEL", "KANTON_TITEL",
                     "PUNKTE_TITEL", "AUSZEICHNUNGS_TITEL"});
    for (int i = 1; i <= 15; ++i)
        items << QStringLiteral("RANGLISTE.DETAIL%1_TITEL").arg(i);
    items << QStringLiteral("db.RANG")
          << QStringLiteral("coalesce(db.NAME1, '') || ' ' || coalesce(db.NAME2, '') as NAME")
          << positionFields(
                 {"NAME1", "NAME2", "JAHRGANG", "VEREIN", "KANTON", "PUNKTE", "AUSZEICHNUNG", "BEMERKUNGEN"});
    for (int k = 1; k <= 4; ++k) {
        items << QStringLiteral("d%1.NAME1 as NAME1_%1").arg(k);
        for (int n = 1; n <= 20; ++n)
            items << QStringLiteral("d%1.DETAILTEXT%2 as DETAILTEXT%2_%1").arg(k).arg(n);
    }
    return items;
}

QStringList teamItems()
{
    QStringList items = head();
    items << titles({"SPARTE_D", "SPARTE_F", "KATEGORIE_D", "KATEGORIE_F", "KLASSE_D", "KLASSE_F", "RANG_TITEL",
                     "VEREIN_TITEL", "KANTON_TITEL", "NAME1_TITEL", "NAME2_TITEL", "JAHRGANG_TITEL",
                     "AUSZEICHNUNGS_TITEL", "PUNKTE_TITEL"})
          << positionFields({"RANG", "VEREIN", "KANTON", "PUNKTE", "AUSZEICHNUNG", "BEMERKUNGEN"});
    for (int k = 1; k <= 6; ++k)
        items << QStringLiteral("d%1.BEMERKUNGEN as BEMERKUNGEN_%1").arg(k);
    for (int k = 1; k <= 6; ++k) {
        items << QStringLiteral("coalesce(d%1.NAME1, '') || ' ' || coalesce(d%1.NAME2, '') as NAME_%1").arg(k)
              << QStringLiteral("d%1.JAHRGANG as JAHRHANG_%1").arg(k);
        for (int n = 1; n <= 6; ++n)
            items << QStringLiteral("d%1.DETAILTEXT%2 as DETAILTEXT%2_%1").arg(k).arg(n);
        items << QStringLiteral("d%1.PUNKTE as PUNKTE_%1").arg(k);
    }
    return items;
}

QStringList groupItems()
{
    QStringList items = head();
    items << titles({"SPARTE_D", "SPARTE_F", "KATEGORIE_D", "KATEGORIE_F", "KLASSE_D", "KLASSE_F", "RANG_TITEL",
                     "VEREIN_TITEL", "KANTON_TITEL", "PUNKTE_TITEL", "AUSZEICHNUNGS_TITEL", "DETAIL1_TITEL",
                     "DETAIL2_TITEL", "DETAIL3_TITEL", "DETAIL4_TITEL"})
          << positionFields({"RANG", "VEREIN", "KANTON", "PUNKTE", "AUSZEICHNUNG", "BEMERKUNGEN"});
    for (int k = 1; k <= 4; ++k) {
        for (int n = 1; n <= 6; ++n)
            items << QStringLiteral("d%1.DETAILTEXT%2 as DETAILTEXT%2_%1").arg(k).arg(n);
    }
    return items;
}

QStringList gameItems()
{
    QStringList items = head();
    items << titles({"SPARTE_D", "SPARTE_F", "KATEGORIE_D", "KATEGORIE_F", "KLASSE_D", "KLASSE_F", "RANG_TITEL",
                     "VEREIN_TITEL", "KANTON_TITEL", "JAHRGANG_TITEL", "AUSZEICHNUNGS_TITEL", "PUNKTE_TITEL"})
          << positionFields({"RANG", "VEREIN", "KANTON", "PUNKTE", "JAHRGANG", "AUSZEICHNUNG", "BEMERKUNGEN"});
    return items;
}

QStringList items(ListLayout layout)
{
    switch (layout) {
    case ListLayout::Individual:
        return individualItems();
    case ListLayout::Team:
        return teamItems();
    case ListLayout::Group:
        return groupItems();
    case ListLayout::Game:
        return gameItems();
    }
    return {};
}

int blocks(ListLayout layout)
{
    switch (layout) {
    case ListLayout::Individual:
    case ListLayout::Group:
        return 4;
    case ListLayout::Team:
        return 6;
    case ListLayout::Game:
        return 0;
    }
    return 0;
}

}  // namespace

QString rankingRowQuery(ListLayout layout)
{
    return query(items(layout), blocks(layout));
}

QString medalRowQuery(ListLayout layout)
{
    QStringList list = items(layout);
    if (layout == ListLayout::Team || layout == ListLayout::Group)
        list.prepend(kKate);
    else
        list.append(kKate);
    return query(list, blocks(layout));
}

}  // namespace rq::reports
