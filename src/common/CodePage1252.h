#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Text files in the Windows Western code page (1252), the form of every file
// Ranquill reads or writes: V2E/E2V, backups, exchange tables, settings.
namespace rq::cp1252 {

QString decode(const QByteArray &bytes);
// A character the code page cannot hold becomes "?".
QByteArray encode(const QString &text);

// Splits at CR LF, LF or a lone CR; a final line end adds no empty line.
QStringList splitLines(const QString &text);

// Reads a whole regular file as lines. Throws FileError (with the system's
// message) when it cannot be opened or read, or is no regular file.
QStringList readLines(const QString &path);

// Reads a file line by line without holding all of it, for large files.
// Throws FileError as readLines does.
void forEachLine(const QString &path, const std::function<void(const QString &)> &line);

// Writes every line followed by CR LF, replacing the file's content.
// Throws FileError when the file cannot be written or is no regular file;
// nothing is left half-written because the content goes to a temporary file
// that replaces the target at the end.
void writeLines(const QString &path, const QStringList &lines);

}  // namespace rq::cp1252
