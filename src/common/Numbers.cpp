#include "common/Numbers.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace rq::num {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Decimal digits of |value| with 17 significant digits and its decimal exponent:
// value = 0.d1d2d3... × 10^exponent.
struct Digits
{
    QString digits;
    int exponent = 0;  // position of the decimal point after `exponent` digits
};

Digits decimalDigits(double value)
{
    // "d.dddddddddddddddde±x": exact to 17 significant digits.
    const QString e = QString::number(std::fabs(value), 'e', 16);
    const qsizetype ePos = e.indexOf(u'e');
    Digits d;
    d.digits = e.left(ePos).remove(u'.');
    d.exponent = e.mid(ePos + 1).toInt() + 1;
    return d;
}

// Rounds the digit string to `keep` digits, half away from zero. `keep` may be
// zero or negative (the value rounds to 0 or to one unit at that place).
void roundDigits(Digits &d, int keep)
{
    if (keep >= d.digits.size())
        return;
    if (keep < 0) {
        d.digits = QStringLiteral("0");
        return;
    }
    const bool up = d.digits.at(keep) >= u'5';
    d.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits.at(i) == u'9') {
            d.digits[i] = u'0';
            --i;
        }
        if (i < 0) {
            d.digits.prepend(u'1');
            ++d.exponent;
        } else {
            d.digits[i] = QChar(d.digits.at(i).unicode() + 1);
        }
    }
    if (d.digits.isEmpty())
        d.digits = QStringLiteral("0");
}

QString exponentForm(const Digits &d, bool negative)
{
    QString mantissa = d.digits;
    while (mantissa.size() > 1 && mantissa.endsWith(u'0'))
        mantissa.chop(1);
    QString text = mantissa.left(1);
    if (mantissa.size() > 1)
        text += u'.' + mantissa.mid(1);
    text += u'E' + QString::number(d.exponent - 1);
    return negative ? u'-' + text : text;
}

// Writes digits with the decimal point after `exponent` digits and exactly
// `decimals` digits after it.
QString placeDigits(const Digits &d, int decimals)
{
    QString intPart;
    QString fracPart;
    if (d.exponent <= 0) {
        intPart = QStringLiteral("0");
        fracPart = QString(-d.exponent, u'0') + d.digits;
    } else {
        intPart = d.digits.left(d.exponent);
        if (intPart.size() < d.exponent)
            intPart += QString(d.exponent - intPart.size(), u'0');
        fracPart = d.digits.mid(d.exponent);
    }
    if (fracPart.size() < decimals)
        fracPart += QString(decimals - fracPart.size(), u'0');
    fracPart.truncate(decimals);
    return decimals > 0 ? intPart + u'.' + fracPart : intPart;
}

bool allZero(const QString &digits)
{
    for (const QChar c : digits) {
        if (c != u'0')
            return false;
    }
    return true;
}

}  // namespace

std::optional<qint64> parseInteger(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (!isDigit(t.at(j)))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<double> parseDecimal(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (i < n && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(t.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && t.at(i) == u'.') {
        ++i;
        while (i < n && isDigit(t.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (t.at(i) == u'e' || t.at(i) == u'E')) {
        ++i;
        if (i < n && (t.at(i) == u'+' || t.at(i) == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && isDigit(t.at(i))) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

// The engine's blanks: space, tab, line feed, vertical tab, form feed, carriage return.
qsizetype skipBlanks(const QString &t)
{
    qsizetype i = 0;
    while (i < t.size() && (t.at(i) == u' ' || (t.at(i) >= u'\t' && t.at(i) <= u'\r')))
        ++i;
    return i;
}

}  // namespace

double leadingReal(const QString &text)
{
    const qsizetype n = text.size();
    const qsizetype start = skipBlanks(text);
    qsizetype i = start;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text.at(i)))
        ++i, ++digits;
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (i < n && isDigit(text.at(i)))
            ++i, ++digits;
    }
    if (digits == 0)
        return text.mid(start, 1) == QStringLiteral("-") ? -0.0 : 0.0;
    qsizetype end = i;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == u'+' || text.at(j) == u'-'))
            ++j;
        if (j < n && isDigit(text.at(j))) {
            while (j < n && isDigit(text.at(j)))
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(QStringView(text).mid(start, end - start), &ok);
    return ok ? v : 0.0;
}

qint64 leadingInteger(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = skipBlanks(text);
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        negative = text.at(i++) == u'-';
    quint64 value = 0;
    bool overflow = false;
    for (; i < n && isDigit(text.at(i)); ++i) {
        const unsigned digit = text.at(i).unicode() - u'0';
        if (value > (quint64(std::numeric_limits<qint64>::max()) + 1 - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (negative) {
        if (overflow || value > quint64(std::numeric_limits<qint64>::max()) + 1)
            return std::numeric_limits<qint64>::min();
        return qint64(0 - value);
    }
    if (overflow || value > quint64(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    return qint64(value);
}

QString formatFixed(double value, int decimals, int precision)
{
    if (!std::isfinite(value))
        return QString::number(value);
    decimals = std::max(0, decimals);
    const bool negative = std::signbit(value) && value != 0.0;
    Digits d = decimalDigits(value);
    if (d.exponent > precision) {
        roundDigits(d, precision);
        return exponentForm(d, negative);
    }
    // Two steps, as a person rounds the number written out: first to the
    // significant digits (so 1.005, held as 1.00499999…, is 1.0050000), then on
    // those decimal digits.
    roundDigits(d, precision);
    roundDigits(d, d.exponent + decimals);
    const QString text = placeDigits(d, decimals);
    return negative && !allZero(d.digits) ? u'-' + text : text;
}

QString formatGeneral(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0.0)
        return QStringLiteral("0");
    const bool negative = value < 0;
    Digits d = decimalDigits(value);
    roundDigits(d, 15);
    while (d.digits.size() > 1 && d.digits.endsWith(u'0'))
        d.digits.chop(1);
    if (d.exponent > 15 || d.exponent < -4)
        return exponentForm(d, negative);
    const int decimals = std::max<int>(0, int(d.digits.size()) - d.exponent);
    const QString text = placeDigits(d, decimals);
    return negative ? u'-' + text : text;
}

QString formatGrouped(qint64 value, const QString &separator)
{
    const QString digits = QString::number(value < 0 ? -value : value);
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits.at(i);
    }
    return value < 0 ? u'-' + text : text;
}

QString thousandsSeparator()
{
    const QString sep = QLocale::system().groupSeparator();
    return sep == QStringLiteral(".") ? QString() : sep;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value);  // the default rounding mode rounds ties to even
}

double roundHalfAway(double value)
{
    return std::round(value);
}

}  // namespace rq::num
