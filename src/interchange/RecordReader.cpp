#include "interchange/RecordReader.h"

namespace rq::interchange {

QString trimControl(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 32)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(start, end - start);
}

RecordReader::RecordReader(QString line)
    : m_rest(std::move(line))
{
}

bool RecordReader::next(QString &value)
{
    const qsizetype tab = m_rest.indexOf(u'\t');
    if (tab < 0) {
        value = trimControl(m_rest);
        return true;
    }
    value = trimControl(m_rest.left(tab + 1));
    m_rest.remove(0, tab + 1);
    return value.size() <= kMaxFieldLength;
}

} // namespace rq::interchange
