#pragma once

#include <QString>

#include <optional>

namespace rq::capture {

// The unit words of LEISTUNG.EINHEIT_ID 0..5; empty for any other code.
QString unitWord(int unit);

// A performance in the canonical form of its unit and its value L.
struct Performance
{
    QString text;
    double value = 0;
};

// Brings an entered performance into its unit's canonical form (ties to even):
// 0 "Punkte" with `decimals` decimals, 1 "cm" and 5 "Anzahl" whole numbers,
// 2 "Meter" and 3 "Sekunden" with two decimals, 4 "Minuten" entered as
// m.sshh (L in seconds). Any other unit gives an empty text and 0.
// Throws Error "'x' ist kein gültiger Integerwert" for a unit 1 or 5 text that
// is no whole number, and Error "Keine gültige Leistung" for any other text
// that is no number.
Performance normalizePerformance(const QString &text, int unit, int decimals);

// The checks of a row before it is left: nothing when the row is fine, else
// the message ("Zeit in [Minuten.SekundenHundertstel] eingeben", "Negative
// Leistung nicht erlaubt", "Keine gültige Leistung", "Kein gültiger Zusatzwert").
std::optional<QString> validateRow(const QString &performance, const QString &additional, int unit);

// A text an entry cell accepts while typing: empty, a lone "-", or a number.
bool acceptableEntry(const QString &text);

}  // namespace rq::capture
