#include "edit/BatchEditStatement.h"

#include "app/Conversions.h"
#include "data/Schema.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

QString head(const QString &field)
{
    return QStringLiteral("update N_A set ") + field + QLatin1Char('=');
}

QString tail(const QString &conditionText)
{
    return QStringLiteral(" where 1=1 ") + conditionText;
}

QString toNull(const QString &field, const QString &conditionText)
{
    // Two blanks after null, as this statement has always been written.
    return head(field) + QStringLiteral("null ") + tail(conditionText);
}

QString label(const BatchEditStatement::Input &input)
{
    return input.caption.isEmpty() ? input.field : input.caption;
}

BatchEditStatement::Result refuse(const QString &message)
{
    return {QString(), message};
}

BatchEditStatement::Result done(const QString &statement)
{
    return {statement, QString()};
}

} // namespace

bool BatchEditStatement::isIntegerText(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!re.match(t).hasMatch())
        return false;
    bool ok = false;
    const qlonglong value = t.toLongLong(&ok);
    return ok && value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

bool BatchEditStatement::isDecimalText(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    const QString t = text.trimmed();
    if (!re.match(t).hasMatch())
        return false;
    // Too many digits would overflow the column's double.
    bool ok = false;
    const double value = t.toDouble(&ok);
    return ok && std::isfinite(value);
}

BatchEditStatement::Result BatchEditStatement::build(const Input &input, const QString &conditionText,
                                                     const QString &edition)
{
    const QString field = input.field.trimmed().toUpper();
    // The code goes into the statement as a column name: only the volume
    // fields may.
    if (!Schema::fieldCodes(QLatin1Char('A')).contains(field))
        return refuse(QStringLiteral("“%1”不是案卷记录的字段！").arg(label(input)));

    switch (Schema::fieldType(field).unicode()) {
    case 'C': {
        const QString code = input.text.trimmed();
        if (code.isEmpty())
            return refuse(QStringLiteral("请选择要修改的内容！"));
        if (input.text == blankItem())
            return done(toNull(field, conditionText));
        if (!isIntegerText(code))
            return refuse(QStringLiteral("“%1”中的内容不是有效的代码！").arg(label(input)));
        return done(head(field) + code + tail(conditionText));
    }
    case 'S':
        if (input.text.isEmpty())
            return done(toNull(field, conditionText));
        return done(head(field) + QuoteSql(input.text) + tail(conditionText));
    case 'I':
        if (input.text.isEmpty())
            return done(toNull(field, conditionText));
        if (!isIntegerText(input.text))
            return refuse(QStringLiteral("“%1”中的内容不是有效的整数！").arg(label(input)));
        return done(head(field) + input.text.trimmed() + tail(conditionText));
    case 'F':
        if (input.text.isEmpty())
            return done(toNull(field, conditionText));
        if (!isDecimalText(input.text))
            return refuse(QStringLiteral("“%1”中的内容不是有效的数值！").arg(label(input)));
        return done(head(field) + input.text.trimmed() + tail(conditionText));
    case 'D':
        if (!input.date.isValid())
            return done(toNull(field, conditionText));
        return done(head(field) + DateToSqlNumber(edition, input.date) + tail(conditionText));
    }
    return refuse(QStringLiteral("“%1”不是案卷记录的字段！").arg(label(input)));
}
