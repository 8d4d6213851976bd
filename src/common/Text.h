#pragma once

#include <QString>

namespace rq {

// The text without blanks and control characters (codes up to 32) at both ends,
// as the file formats and the formula texts trim their values.
QString trimControl(const QString &text);

// "1 Zeile", "3 Zeilen": a count with the word in its number, for summaries.
QString counted(qint64 count, const QString &one, const QString &many);

}  // namespace rq
