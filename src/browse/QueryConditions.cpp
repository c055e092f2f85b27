#include "browse/QueryConditions.h"

#include "app/Conversions.h"
#include "data/SharedState.h"

#include <QRegularExpression>

#include <algorithm>

QStringList QueryConditions::fieldCodes(QChar table)
{
    QStringList codes;
    auto add = [&](char type, int from, int to) {
        for (int i = from; i <= to; ++i)
            codes << QStringLiteral("%1%2%3").arg(table.toUpper()).arg(QLatin1Char(type)).arg(i, 2, 10, QLatin1Char('0'));
    };
    add('S', 1, 15);
    add('S', 50, 50);
    add('I', 1, 4);
    add('F', 1, 4);
    add('C', 1, 10);
    add('D', 1, 4);
    return codes;
}

int QueryConditions::orderOf(const QString &code)
{
    static const QStringList order = fieldCodes(QLatin1Char('A')) + fieldCodes(QLatin1Char('B'));
    return order.indexOf(code.toUpper());
}

QChar QueryConditions::typeOf(const QString &code)
{
    return code.size() > 1 ? code.at(1).toUpper() : QChar();
}

bool QueryConditions::isIntegerText(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (!re.match(text).hasMatch())
        return false;
    bool ok = false;
    text.trimmed().toLongLong(&ok);
    return ok;
}

bool QueryConditions::isFloatText(const QString &text)
{
    // What SQLite and PostgreSQL both read as a number literal; no inf/nan.
    static const QRegularExpression re(
        QStringLiteral("^\\s*[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    return re.match(text).hasMatch();
}

QString QueryConditions::clause(const Input &input, const QString &edition)
{
    const QString code = input.code.toUpper();
    switch (typeOf(code).unicode()) {
    case 'S': {
        const QString text = input.text.trimmed();
        if (text.isEmpty())
            return QString();
        // Doubled quotes keep the literal whole: a quote finds the texts holding one.
        QString quoted = text;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        return QStringLiteral(" and ") + code + QStringLiteral(" like '%") + quoted + QStringLiteral("%'");
    }
    case 'I':
    case 'F': {
        if (input.text.isEmpty())
            return QString();
        const bool integer = typeOf(code) == QLatin1Char('I');
        if (integer ? !isIntegerText(input.text) : !isFloatText(input.text))
            throw QueryInputError(code, QueryInputError::messageFor(code));
        return QStringLiteral(" and ") + code + QLatin1Char('=') + input.text;
    }
    case 'C': {
        if (input.text.isEmpty())
            return QString();
        // Codes are the numbers of the code tables; anything else cannot have come from the list.
        if (!isIntegerText(input.text))
            throw QueryInputError(code, QueryInputError::messageFor(code));
        return QStringLiteral(" and ") + code + QLatin1Char('=') + input.text.trimmed();
    }
    case 'D': {
        const bool hasStart = input.start.isValid();
        const bool hasEnd = input.end.isValid();
        if (!hasStart && hasEnd)
            return QStringLiteral(" and ") + code + QStringLiteral(" <= ") + DateToSqlNumber(edition, input.end);
        if (hasStart && !hasEnd)
            return QStringLiteral(" and ") + code + QStringLiteral(" >= ") + DateToSqlNumber(edition, input.start);
        if (hasStart && hasEnd)
            return QStringLiteral(" and ") + code + QStringLiteral(" between ") + DateToSqlNumber(edition, input.start)
                + QStringLiteral(" and ") + DateToSqlNumber(edition, input.end);
        return QString();
    }
    default:
        return QString();
    }
}

QString QueryConditions::conditionText(const QList<Input> &inputs, const QString &edition)
{
    QList<Input> ordered;
    for (const Input &input : inputs) {
        if (orderOf(input.code) >= 0)
            ordered.append(input);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Input &a, const Input &b) { return orderOf(a.code) < orderOf(b.code); });
    // Every input is checked before any text is returned, so a refusal builds nothing.
    QString text;
    for (const Input &input : ordered)
        text += clause(input, edition);
    return text;
}

QString QueryConditions::volumeStatement(const QString &baseSql, const QString &conditionText,
                                         const QString &orderClause)
{
    return baseSql + conditionText + orderClause;
}

QString QueryConditions::documentStatement(const QString &documentBaseSql, const QString &volumeKey,
                                           const QString &orderClause)
{
    if (volumeKey.isEmpty())
        return documentBaseSql + QStringLiteral(" and 1<>1");
    return documentBaseSql + QStringLiteral(" and a.AIID=") + volumeKey + orderClause;
}

QString QueryConditions::addedVolumesStatement(const QString &baseSql, const QString &lastKey)
{
    if (lastKey.isEmpty())
        return baseSql + QStringLiteral(" order by AIID desc");
    return baseSql + QStringLiteral(" and AIID>") + lastKey + QStringLiteral(" order by AIID desc");
}

QString QueryInputError::messageFor(const QString &code)
{
    QString caption = shared().caption(code);
    if (caption.isEmpty())
        caption = code.toUpper();
    const QChar type = QueryConditions::typeOf(code);
    if (type == QLatin1Char('F'))
        return QStringLiteral("“%1”中的内容不是有效的数值！").arg(caption);
    if (type == QLatin1Char('C'))
        return QStringLiteral("“%1”中的内容不是有效的代码！").arg(caption);
    return QStringLiteral("“%1”中的内容不是有效的整数！").arg(caption);
}
