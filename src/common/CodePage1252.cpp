#include "common/CodePage1252.h"

#include "common/SafeFile.h"

#include <array>

namespace rq::cp1252 {
namespace {

// 0x80..0x9F; the five unassigned bytes map to the C1 control of the same value,
// as Windows does, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighTable = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? kHighTable[u - 0x80] : char16_t(u));
    }
    return text;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A character outside the basic plane is one "?" rather than two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append(encodeChar(c.unicode()));
    }
    return bytes;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList readLines(const QString &path)
{
    return splitLines(decode(files::readAll(path)));
}

void forEachLine(const QString &path, const std::function<void(const QString &)> &line)
{
    QByteArray pending;
    bool afterCr = false;  // a CR ended the previous chunk; an LF right after it belongs to it
    files::forEachChunk(path, [&](const QByteArray &chunk) {
        qsizetype start = 0;
        if (afterCr && chunk.front() == '\n')
            start = 1;
        afterCr = false;
        for (qsizetype i = start; i < chunk.size(); ++i) {
            const char c = chunk.at(i);
            if (c != '\r' && c != '\n')
                continue;
            pending.append(chunk.constData() + start, i - start);
            line(decode(pending));
            pending.clear();
            if (c == '\r') {
                if (i + 1 < chunk.size()) {
                    if (chunk.at(i + 1) == '\n')
                        ++i;
                } else {
                    afterCr = true;
                }
            }
            start = i + 1;
        }
        pending.append(chunk.constData() + start, chunk.size() - start);
    });
    if (!pending.isEmpty())
        line(decode(pending));
}

void writeLines(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encode(line);
        bytes += "\r\n";
    }
    files::writeAll(path, bytes);
}

}  // namespace rq::cp1252
