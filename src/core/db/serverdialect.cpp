#include "core/db/serverdialect.h"

#include <QHash>

namespace ServerDialect {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

struct Token
{
    enum Kind
    {
        Word,
        Space,
        Other
    } kind;
    QString text;
};

// The statement as words, runs of blanks and everything else (literals, names,
// parameters and signs already in the server's spelling).
QList<Token> tokens(const QString& sql, Statement& out)
{
    QList<Token> result;
    QHash<QString, int> named;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && sql.at(j).isSpace())
                ++j;
            result << Token{Token::Space, sql.mid(i, j - i)};
            i = j;
        } else if (c == QLatin1Char('\'')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            result << Token{Token::Other, sql.mid(i, j - i + 1)};
            i = j + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            qsizetype j = sql.indexOf(close, i + 1);
            if (j < 0)
                j = n;
            QString name = sql.mid(i + 1, j - i - 1).toLower();
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            result << Token{Token::Other, QLatin1Char('"') + name + QLatin1Char('"')};
            i = j + 1;
        } else if (c == QLatin1Char('?') && i + 1 < n && sql.at(i + 1).isDigit()) {
            qsizetype j = i + 1;
            while (j < n && sql.at(j).isDigit())
                ++j;
            const int number = sql.mid(i + 1, j - i - 1).toInt();
            while (out.parameterNames.size() < number)
                out.parameterNames << QString();
            result << Token{Token::Other, QLatin1Char('$') + QString::number(number)};
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameChar(sql.at(i + 1)) &&
                   (i == 0 || sql.at(i - 1) != QLatin1Char(':'))) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            int number = named.value(name.toLower());
            if (number == 0) {
                out.parameterNames << name;
                number = int(out.parameterNames.size());
                named.insert(name.toLower(), number);
            }
            result << Token{Token::Other, QLatin1Char('$') + QString::number(number)};
            i = j;
        } else if (isNameChar(c)) {
            qsizetype j = i;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            result << Token{Token::Word, sql.mid(i, j - i)};
            i = j;
        } else {
            result << Token{Token::Other, QString(c)};
            ++i;
        }
    }
    out.parameterCount = int(out.parameterNames.size());
    return result;
}

bool is(const Token& token, const char* word)
{
    return token.kind == Token::Word &&
           token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// The program reads a batch of rows by key as one SELECT a key joined by UNION ALL,
// one seek each on a file. The server would plan every branch of it at every use: it
// gets one SELECT with the keys in a list instead.
QString keysInList(const QString& sql)
{
    static const QString Union = QStringLiteral(" UNION ALL ");
    static const QString ByKey = QStringLiteral(" WHERE rowid = ?");
    if (!sql.contains(Union))
        return sql;
    const QStringList parts = sql.split(Union);
    const qsizetype at = parts[0].lastIndexOf(ByKey);
    if (at < 0)
        return sql;
    const QString select = parts[0].left(at + ByKey.size());
    QStringList keys;
    for (const QString& part : parts) {
        bool number = false;
        const QString key = part.mid(select.size());
        if (!part.startsWith(select) || (key.toInt(&number), !number))
            return sql;
        keys << QLatin1Char('?') + key;
    }
    return parts[0].left(at) + QStringLiteral(" WHERE rowid IN (") +
           keys.join(QStringLiteral(", ")) + QLatin1Char(')');
}

} // namespace

Statement translate(const QString& program)
{
    Statement out;
    const QString sql = keysInList(program);
    const QList<Token> all = tokens(sql, out);
    // The tokens without blanks, to look ahead.
    QList<qsizetype> words;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i].kind != Token::Space)
            words << i;
    }
    const auto at = [&](qsizetype w) -> const Token& {
        static const Token none{Token::Space, QString()};
        return w < words.size() ? all[words[w]] : none;
    };
    // Only the program's reading and writing statements compare values with IS.
    const bool dml =
        !words.isEmpty() &&
        (is(all[words[0]], "SELECT") || is(all[words[0]], "INSERT") ||
         is(all[words[0]], "UPDATE") || is(all[words[0]], "DELETE") || is(all[words[0]], "WITH"));
    QString text;
    qsizetype w = 0;
    bool returning = false;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Token& token = all[i];
        if (token.kind == Token::Space) {
            text += token.text;
            continue;
        }
        if (is(token, "RETURNING"))
            returning = true;
        if (is(token, "COLLATE") && is(at(w + 1), "NOCASE")) {
            i = words[w + 1];
            w += 2;
            continue;
        }
        if (dml && is(token, "IS") && !is(at(w + 1), "NULL") &&
            !(is(at(w + 1), "NOT") && is(at(w + 2), "NULL"))) {
            if (is(at(w + 1), "NOT")) {
                text += QStringLiteral("IS DISTINCT FROM");
                i = words[w + 1];
                w += 2;
            } else {
                text += QStringLiteral("IS NOT DISTINCT FROM");
                ++w;
            }
            continue;
        }
        if (is(token, "ifnull") && at(w + 1).text == QLatin1String("("))
            text += QStringLiteral("coalesce");
        else if (is(token, "instr") && at(w + 1).text == QLatin1String("("))
            text += QStringLiteral("strpos");
        else
            text += token.text;
        ++w;
    }
    if (!words.isEmpty() && is(all[words[0]], "INSERT") && !returning) {
        while (text.endsWith(QLatin1Char(';')) || (!text.isEmpty() && text.back().isSpace()))
            text.chop(1);
        text += QStringLiteral(" RETURNING rowid");
    }
    out.text = text.toUtf8();
    return out;
}

QString likeFunctionSql()
{
    // The pattern becomes an anchored regular expression matched without regard to
    // case: its other characters stand for themselves.
    return QStringLiteral(
        R"(CREATE OR REPLACE FUNCTION programlike(pattern text, value text) RETURNS boolean )"
        R"(LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ SELECT value ~* ('^' || replace(replace()"
        R"(replace(regexp_replace(pattern, '([.+^$(){}|\[\]\\])', '\\\1', 'g'), )"
        R"('*', '.*'), '?', '.'), '#', '[0-9]') || '$') $$)");
}

QString columnType(const QString& declaredType, bool caseBlind, bool money)
{
    const QString type = declaredType.toUpper();
    if (type.startsWith(QLatin1String("TEXT")))
        return caseBlind ? QStringLiteral("citext") : QStringLiteral("text");
    if (type == QLatin1String("SMALLINT") || type == QLatin1String("BIT"))
        return QStringLiteral("smallint");
    if (type.startsWith(QLatin1String("INT")))
        return QStringLiteral("bigint");
    if (type == QLatin1String("DOUBLE") || type == QLatin1String("FLOAT") ||
        type == QLatin1String("REAL"))
        return money ? QStringLiteral("numeric(19,4)") : QStringLiteral("double precision");
    if (type == QLatin1String("BLOB"))
        return QStringLiteral("bytea");
    return QStringLiteral("text");
}

QString columnComment(const QString& name, const QString& declaredType)
{
    return name + QLatin1Char('\t') + declaredType;
}

void readColumnComment(const QString& comment, QString* name, QString* declaredType)
{
    const qsizetype tab = comment.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return;
    *name = comment.left(tab);
    *declaredType = comment.mid(tab + 1);
}

} // namespace ServerDialect
