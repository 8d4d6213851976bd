#pragma once

#include <QString>

namespace rq {

// The text without blanks and control characters (codes up to 32) at both ends,
// as the file formats and the formula texts trim their values.
QString trimControl(const QString &text);

}  // namespace rq
