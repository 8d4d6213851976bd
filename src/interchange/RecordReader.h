#pragma once

#include <QString>

namespace rq::interchange {

// Reads the TAB-separated fields of one V2E/E2V line, one after another.
// Once the line's last field is reached, every further read returns it again,
// so a short line repeats its last field for the missing ones.
class RecordReader
{
public:
    explicit RecordReader(QString line);

    // The next field, without blanks and control characters at both ends.
    // Returns false when a field that ends in a TAB is longer than 40 characters
    // (the line's last field is not length-tested).
    bool next(QString &value);

    static constexpr int kMaxFieldLength = 40;

private:
    QString m_rest;
};

}  // namespace rq::interchange
