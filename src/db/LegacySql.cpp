#include "db/LegacySql.h"

#include "db/TableDefs.h"

#include <QList>
#include <QSet>

namespace rq::db {
namespace {

enum class Kind { Space, Comment, String, Word, QuotedName, Punct };

struct Token
{
    Kind kind;
    QString text;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QString singleQuoted(const QString &content)
{
    return u'\'' + QString(content).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            tokens.append({Kind::Space, sql.mid(start, i - start)});
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
            tokens.append({Kind::Comment, sql.mid(start, i - start)});
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            tokens.append({Kind::Comment, sql.mid(start, i - start)});
        } else if (c == u'\'') {
            ++i;
            while (i < n) {
                if (sql.at(i) == u'\'') {
                    if (i + 1 < n && sql.at(i + 1) == u'\'') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.append({Kind::String, sql.mid(start, i - start)});
        } else if (c == u'"') {
            const qsizetype end = sql.indexOf(u'"', i + 1);
            i = end < 0 ? n : end + 1;
            const qsizetype contentEnd = end < 0 ? n : end;
            tokens.append({Kind::QuotedName, sql.mid(start + 1, contentEnd - start - 1)});
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            tokens.append({Kind::Word, sql.mid(start, i - start)});
        } else {
            ++i;
            tokens.append({Kind::Punct, QString(c)});
        }
    }
    return tokens;
}

bool significant(const Token &t)
{
    return t.kind != Kind::Space && t.kind != Kind::Comment;
}

qsizetype previousSignificant(const QList<Token> &tokens, qsizetype i)
{
    for (--i; i >= 0; --i) {
        if (significant(tokens.at(i)))
            return i;
    }
    return -1;
}

qsizetype nextSignificant(const QList<Token> &tokens, qsizetype i)
{
    for (++i; i < tokens.size(); ++i) {
        if (significant(tokens.at(i)))
            return i;
    }
    return -1;
}

// Field names that are text in every table that has them.
const QSet<QString> &textFieldNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> text;
        QSet<QString> other;
        for (const TableDef &t : tableDefs()) {
            for (const FieldDef &f : t.fields)
                (f.type == FieldType::Text ? text : other).insert(f.name);
        }
        return text - other;
    }();
    return names;
}

bool isTableContext(const QList<Token> &tokens, qsizetype i)
{
    const qsizetype p = previousSignificant(tokens, i);
    if (p < 0)
        return false;
    if (tokens.at(p).kind == Kind::Punct && tokens.at(p).text == QStringLiteral("."))
        return true;
    const qsizetype nx = nextSignificant(tokens, i);
    if (nx >= 0 && tokens.at(nx).kind == Kind::Punct && tokens.at(nx).text == QStringLiteral("."))
        return true;
    static const QSet<QString> keywords = {QStringLiteral("FROM"), QStringLiteral("JOIN"), QStringLiteral("INTO"),
                                           QStringLiteral("UPDATE"), QStringLiteral("TABLE")};
    return tokens.at(p).kind == Kind::Word && keywords.contains(tokens.at(p).text.toUpper());
}

// Index of the "(" that matches the ")" at `close`, or -1.
qsizetype openingParen(const QList<Token> &tokens, qsizetype close)
{
    int depth = 0;
    for (qsizetype i = close; i >= 0; --i) {
        const Token &t = tokens.at(i);
        if (t.kind != Kind::Punct)
            continue;
        if (t.text == QStringLiteral(")"))
            ++depth;
        else if (t.text == QStringLiteral("(") && --depth == 0)
            return i;
    }
    return -1;
}

qsizetype closingParen(const QList<Token> &tokens, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.kind != Kind::Punct)
            continue;
        if (t.text == QStringLiteral("("))
            ++depth;
        else if (t.text == QStringLiteral(")") && --depth == 0)
            return i;
    }
    return -1;
}

// True when tokens[open..close] is "( ... AS VARCHAR/CHAR ... )" after CAST.
bool isCastToText(const QList<Token> &tokens, qsizetype open, qsizetype close)
{
    const qsizetype before = previousSignificant(tokens, open);
    if (before < 0 || tokens.at(before).text.toUpper() != QStringLiteral("CAST"))
        return false;
    for (qsizetype i = open; i < close; ++i) {
        if (tokens.at(i).kind == Kind::Word && tokens.at(i).text.toUpper() == QStringLiteral("AS")) {
            const qsizetype type = nextSignificant(tokens, i);
            const QString t = type < 0 ? QString() : tokens.at(type).text.toUpper();
            return t == QStringLiteral("VARCHAR") || t == QStringLiteral("CHAR") || t == QStringLiteral("TEXT");
        }
    }
    return false;
}

bool isTextOperandBefore(const QList<Token> &tokens, qsizetype i)
{
    if (i < 0)
        return false;
    const Token &t = tokens.at(i);
    if (t.kind == Kind::String)
        return true;
    if (t.kind == Kind::Word || t.kind == Kind::QuotedName)
        return textFieldNames().contains(t.text.toUpper());
    if (t.kind == Kind::Punct && t.text == QStringLiteral(")")) {
        const qsizetype open = openingParen(tokens, i);
        return open >= 0 && isCastToText(tokens, open, i);
    }
    return false;
}

bool isTextOperandAfter(const QList<Token> &tokens, qsizetype i)
{
    if (i < 0)
        return false;
    const Token &t = tokens.at(i);
    if (t.kind == Kind::String)
        return true;
    if (t.kind == Kind::Word && t.text.toUpper() == QStringLiteral("CAST")) {
        const qsizetype open = nextSignificant(tokens, i);
        const qsizetype close = open < 0 ? -1 : closingParen(tokens, open);
        return close >= 0 && isCastToText(tokens, open, close);
    }
    if (t.kind == Kind::Word || t.kind == Kind::QuotedName) {
        // A qualified name: look at the part after the ".".
        const qsizetype dot = nextSignificant(tokens, i);
        if (dot >= 0 && tokens.at(dot).text == QStringLiteral(".")) {
            const qsizetype field = nextSignificant(tokens, dot);
            return isTextOperandBefore(tokens, field);
        }
        return textFieldNames().contains(t.text.toUpper());
    }
    return false;
}

}  // namespace

QString translateLegacySql(const QString &sql)
{
    QList<Token> tokens = tokenize(sql);
    // Quoted names first, so that the "+" pass sees string literals.
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind != Kind::QuotedName)
            continue;
        if (const TableDef *table = findTable(t.text)) {
            t = {Kind::Word, table->name};
        } else if (isTableContext(tokens, i)) {
            t = {Kind::Word, u'"' + t.text + u'"'};
        } else {
            t = {Kind::String, singleQuoted(t.text)};
        }
    }
    QString out;
    out.reserve(sql.size() + 16);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.kind == Kind::Punct && t.text == QStringLiteral("+") &&
            (isTextOperandBefore(tokens, previousSignificant(tokens, i)) ||
             isTextOperandAfter(tokens, nextSignificant(tokens, i)))) {
            out += QStringLiteral("||");
            continue;
        }
        out += t.text;
    }
    return out;
}

}  // namespace rq::db
