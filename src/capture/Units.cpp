#include "capture/Units.h"

#include "common/Errors.h"
#include "common/Numbers.h"

#include <cmath>
#include <limits>

namespace rq::capture {
namespace {

qint32 scaledRound(double value)
{
    const double r = num::roundHalfEven(value);
    if (!(std::fabs(r) <= std::numeric_limits<qint32>::max()))
        throw Error(QStringLiteral("Keine gültige Leistung"));
    return qint32(r);
}

double number(const QString &text)
{
    const auto v = num::parseDecimal(text);
    if (!v)
        throw Error(QStringLiteral("Keine gültige Leistung"));
    return *v;
}

qint32 wholeNumber(const QString &text)
{
    const auto v = num::parseInteger(text);
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<qint32>::max())
        throw Error(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return qint32(*v);
}

}  // namespace

QString unitWord(int unit)
{
    static const char *words[] = {"Punkte", "cm", "Meter", "Sekunden", "Minuten", "Anzahl"};
    return unit >= 0 && unit <= 5 ? QString::fromLatin1(words[unit]) : QString();
}

Performance normalizePerformance(const QString &text, int unit, int decimals)
{
    const QString x = text.trimmed();
    switch (unit) {
    case 0: {
        const double factor = std::pow(10.0, decimals);
        const qint32 scaled = scaledRound(number(x) * factor);
        return {num::formatFixed(scaled / factor, decimals), scaled / factor};
    }
    case 1:
    case 5: {
        const qint32 whole = wholeNumber(x);
        return {QString::number(whole), double(whole)};
    }
    case 2:
    case 3: {
        const qint32 scaled = scaledRound(number(x) * 100);
        return {num::formatFixed(scaled / 100.0, 2), scaled / 100.0};
    }
    case 4: {
        const double v = number(x);
        const double minutes = std::trunc(v);
        const qint32 scaled = scaledRound((v - minutes) * 10000) + qint32(minutes) * 6000;
        const double shown = (scaled % 6000) / 10000.0 + scaled / 6000;
        return {num::formatFixed(shown, 4), scaled / 100.0};
    }
    default:
        return {QString(), 0};
    }
}

std::optional<QString> validateRow(const QString &performance, const QString &additional, int unit)
{
    const QString p = performance.trimmed();
    if (!p.isEmpty()) {
        const qsizetype point = p.indexOf(u'.');
        if (unit == 4 && point >= 0) {
            QString seconds = p.mid(point + 1, 2);
            if (seconds.size() < 2)
                seconds += u'0';
            const auto s = num::parseInteger(seconds);
            if (!s)
                return QStringLiteral("Keine gültige Leistung");
            if (*s >= 60)
                return QStringLiteral("Zeit in [Minuten.SekundenHundertstel] eingeben");
        }
        if (unit != 0 && unit != 5) {
            const auto v = num::parseDecimal(p);
            if (!v)
                return QStringLiteral("Keine gültige Leistung");
            if (*v < 0)
                return QStringLiteral("Negative Leistung nicht erlaubt");
        }
        if (unit == 1 && !num::parseInteger(p))
            return QStringLiteral("Keine gültige Leistung");
        if (unit == 0 && !num::parseDecimal(p))
            return QStringLiteral("Keine gültige Leistung");
    }
    if (!additional.trimmed().isEmpty() && !num::parseDecimal(additional))
        return QStringLiteral("Kein gültiger Zusatzwert");
    return std::nullopt;
}

bool acceptableEntry(const QString &text)
{
    return text.isEmpty() || text == QStringLiteral("-") || num::parseDecimal(text).has_value();
}

}  // namespace rq::capture
