#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace rq {

// A plain Windows-style INI file (CP1252, CR LF) as an operator edits it by hand.
// Every read and write opens the file afresh, as the program's windows expect:
// a formula edited in the file between two computations is seen at once.
// Section and key names are case-insensitive; comments, blank lines and unknown
// keys are kept when a value is written.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // The value, or `defaultValue` when the file or the key is missing.
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    // A value that is not a whole number reads as `defaultValue`.
    int readInt(const QString &section, const QString &key, int defaultValue) const;
    bool contains(const QString &section, const QString &key) const;

    // Sets one key, keeping the rest of the file. Returns false when the file
    // cannot be written.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInt(const QString &section, const QString &key, int value);

private:
    QStringList load() const;
    // Index of the key's line, or -1; `sectionEnd` receives the index after the
    // section's last key line (or -1 when the section is missing).
    static qsizetype findKey(const QStringList &lines, const QString &section, const QString &key,
                             qsizetype *sectionEnd);

    QString m_path;
    // The last content read, with the file's time and size: a file changed by
    // hand is read again at once, an unchanged one is not parsed again.
    struct Stamp
    {
        qint64 seconds = -1;
        qint64 nanoseconds = -1;
        qint64 size = -1;
        bool operator==(const Stamp &) const = default;
    };
    static std::optional<Stamp> stamp(const QString &path);
    mutable QStringList m_lines;
    mutable Stamp m_stamp;
};

}  // namespace rq
