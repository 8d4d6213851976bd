#include "common/IniFile.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"

#include <QFile>

#include <limits>
#include <sys/stat.h>

namespace rq {
namespace {

// "[Name]" → "Name"; anything else → null string.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return {};
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString &line)
{
    const QString t = line.trimmed();
    return t.startsWith(u';') || t.startsWith(u'#');
}

QString unquote(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<IniFile::Stamp> IniFile::stamp(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Stamp{qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec), qint64(st.st_size)};
}

QStringList IniFile::load() const
{
    const auto now = stamp(m_path);
    if (!now)
        return {};
    if (*now == m_stamp)
        return m_lines;
    // Settings that cannot be read count as empty; the program starts on its defaults.
    try {
        m_lines = cp1252::readLines(m_path);
    } catch (const FileError &) {
        return {};
    }
    m_stamp = *now;
    return m_lines;
}

qsizetype IniFile::findKey(const QStringList &lines, const QString &section, const QString &key, qsizetype *sectionEnd)
{
    bool inSection = false;
    qsizetype found = -1;
    if (sectionEnd)
        *sectionEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection && sectionEnd && *sectionEnd < 0)
                *sectionEnd = i + 1;
            continue;
        }
        if (!inSection || isComment(line))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (sectionEnd)
            *sectionEnd = i + 1;
        if (found < 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            found = i;
    }
    return found;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QStringList lines = load();
    const qsizetype i = findKey(lines, section, key, nullptr);
    if (i < 0)
        return defaultValue;
    const QString &line = lines.at(i);
    return unquote(line.mid(line.indexOf(u'=') + 1).trimmed());
}

int IniFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    const auto value = num::parseInteger(readString(section, key));
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return defaultValue;
    return int(*value);
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return findKey(load(), section, key, nullptr) >= 0;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList lines = load();
    qsizetype sectionEnd = -1;
    const qsizetype i = findKey(lines, section, key, &sectionEnd);
    const QString entry = key + u'=' + value;
    if (i >= 0)
        lines[i] = entry;
    else if (sectionEnd >= 0)
        lines.insert(sectionEnd, entry);
    else
        lines << u'[' + section + u']' << entry;
    try {
        cp1252::writeLines(m_path, lines);
    } catch (const FileError &) {
        return false;
    }
    m_lines = lines;
    m_stamp = stamp(m_path).value_or(Stamp());
    return true;
}

bool IniFile::writeInt(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

}  // namespace rq
