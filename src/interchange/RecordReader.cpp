#include "interchange/RecordReader.h"

#include "common/Text.h"

namespace rq::interchange {

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

}  // namespace rq::interchange
