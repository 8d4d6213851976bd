#include "capture/FormulaParser.h"

#include "common/IniFile.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/Text.h"

#include <QRegularExpression>

#include <array>
#include <cmath>

namespace rq::capture {
namespace {

bool allowed(QChar c)
{
    return c == u' ' || c == u'*' || c == u'+' || c == u'-' || c == u'.' || c == u'/' || (c >= u'0' && c <= u'9') ||
           c == u'L' || c == u'Z' || c == u'^';
}

bool isOperator(const QString &token)
{
    return token.size() == 1 && QStringLiteral("+-*/^").contains(token.front());
}

bool isConstant(const QString &token)
{
    return token.size() > 1 || (token.size() == 1 && token.front().isDigit()) || token == QStringLiteral(".");
}

}  // namespace

FormulaParser::FormulaParser(Operator &op)
    : m_op(op)
{
}

bool FormulaParser::prepare(const QString &formula)
{
    QString text = trimControl(formula);
    if (text.isEmpty())
        return false;
    static const QRegularExpression blanks(QStringLiteral(" +"));
    text.replace(blanks, QStringLiteral(" "));

    bool ok = true;
    for (const QChar c : text) {
        if (!allowed(c)) {
            m_op.ask(QStringLiteral("Ungültiges Zeichen in Formel:") + c, {Button::Ok});
            ok = false;
        }
    }
    m_tokens = text.split(u' ');
    for (const QString &token : m_tokens) {
        if ((token.size() > 1 || token == QStringLiteral(".")) && !num::parseDecimal(token)) {
            m_op.ask(token + QStringLiteral(" ist keine gültige Konstante"), {Button::Ok});
            ok = false;
        }
    }
    return ok;
}

std::optional<double> FormulaParser::evaluate(double l, double z) const
{
    std::array<double, 8> s{};
    bool pending = false;
    for (const QString &token : m_tokens) {
        if (pending) {
            for (int i = 7; i >= 1; --i)
                s[i] = s[i - 1];
        }
        if (isConstant(token)) {
            s[0] = num::parseDecimal(token).value_or(0.0);
            pending = true;
        } else if (isOperator(token)) {
            const double left = s[2];
            const double right = s[1];
            double result = 0;
            switch (token.front().unicode()) {
            case u'+':
                result = left + right;
                break;
            case u'-':
                result = left - right;
                break;
            case u'*':
                result = left * right;
                break;
            case u'/':
                if (right == 0)
                    return std::nullopt;
                result = left / right;
                break;
            case u'^':
                if (left <= 0)
                    return std::nullopt;
                result = std::exp(right * std::log(left));
                break;
            }
            if (!std::isfinite(result))
                return std::nullopt;
            s[1] = result;
            s[0] = result;
            for (int i = 2; i < 7; ++i)
                s[i] = s[i + 1];
            s[7] = 0;
            pending = false;
        } else {
            s[0] = token == QStringLiteral("L") ? l : z;
            pending = true;
        }
    }
    return s[0];
}

QString FormulaParser::formulaFor(IniFile &ini, qint64 disziplinId, const QString &disziplin, int unit)
{
    const QString section = QStringLiteral("Formulas");
    const QString key = QString::number(disziplinId) + u'-' + disziplin;
    QString formula = ini.readString(section, key);
    if (formula.isEmpty()) {
        formula = unit == 0 ? QStringLiteral("L") : QStringLiteral("Z");
        ini.writeString(section, key, formula);
    }
    return formula;
}

double FormulaParser::computePoints(IniFile &ini, qint64 disziplinId, const QString &disziplin, int unit, double l,
                                    double z)
{
    if (!prepare(formulaFor(ini, disziplinId, disziplin, unit)))
        return 0;
    return evaluate(l, z).value_or(0.0);
}

}  // namespace rq::capture
