#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace rq {
class IniFile;
class Operator;
}  // namespace rq

namespace rq::capture {

// Postfix formulas over the performance L and the additional value Z, such as
// "L 10 *". Evaluated on eight slots: a value pending when a further token
// arrives pushes the deepest value out, and a missing operand counts as 0.
class FormulaParser
{
public:
    explicit FormulaParser(Operator &op);

    // Checks and splits a formula. Shows "Ungültiges Zeichen in Formel:" + the
    // character for every character outside blank * + - . / 0-9 L Z ^, and the
    // token + " ist keine gültige Konstante" for every token of two or more
    // characters (or a lone ".") that is no decimal number; each a confirmation
    // box. False for an empty text (no message, the tokens stay) or any fault.
    bool prepare(const QString &formula);
    const QStringList &tokens() const { return m_tokens; }

    // The prepared formula for these values; nothing on a division by zero, a
    // base of ^ that is not positive, or an overflow.
    std::optional<double> evaluate(double l, double z) const;

    // The formula of a discipline from section "Formulas" (key DISZ_ID + "-" +
    // DISZIPLIN), read afresh; a missing one becomes "L" for unit 0 ("Punkte")
    // and "Z" otherwise and is written into the file at once.
    static QString formulaFor(IniFile &ini, qint64 disziplinId, const QString &disziplin, int unit);

    // The points of one discipline: its formula prepared and evaluated; 0 on any fault.
    double computePoints(IniFile &ini, qint64 disziplinId, const QString &disziplin, int unit, double l, double z);

private:
    Operator &m_op;
    QStringList m_tokens;
};

}  // namespace rq::capture
