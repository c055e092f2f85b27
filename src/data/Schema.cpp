#include "data/Schema.h"

namespace {

QList<ColumnDef> recordColumns(QChar letter)
{
    QList<ColumnDef> cols;
    for (const QString &code : Schema::fieldCodes(letter)) {
        switch (code.at(1).unicode()) {
        case 'S': cols.append({code, ColType::Text, code.endsWith(QLatin1String("50")) ? 250 : 50}); break;
        case 'I': cols.append({code, ColType::Integer}); break;
        case 'F': cols.append({code, ColType::Float}); break;
        case 'C': cols.append({code, ColType::Integer}); break;
        case 'D': cols.append({code, ColType::DateTime}); break;
        }
    }
    return cols;
}

QList<TableDef> buildTables()
{
    QList<TableDef> t;

    TableDef na{QStringLiteral("N_A"), {{QStringLiteral("AIID"), ColType::AutoNumber}}, {QStringLiteral("AIID")}, {}};
    na.columns += recordColumns(QLatin1Char('A'));
    // The default navigation tree groups volumes by these fields.
    for (const char *f : {"AS07", "AI01", "AC03", "AC02"})
        na.indexes.append({QStringLiteral("IX_N_A_") + QLatin1String(f), {QLatin1String(f)}});
    t.append(na);

    TableDef nb{QStringLiteral("N_B"),
                {{QStringLiteral("BIID"), ColType::AutoNumber}, {QStringLiteral("AIID"), ColType::Integer}},
                {QStringLiteral("BIID")},
                {{QStringLiteral("IX_N_B_AIID"), {QStringLiteral("AIID")}}}};
    nb.columns += recordColumns(QLatin1Char('B'));
    t.append(nb);

    t.append({QStringLiteral("N_BIN"),
              {{QStringLiteral("IID"), ColType::AutoNumber},
               {QStringLiteral("IFID"), ColType::Integer},
               {QStringLiteral("SFILENAME"), ColType::Text, 255},
               {QStringLiteral("SFILEEXT"), ColType::Text, 50}},
              {QStringLiteral("IID")},
              {{QStringLiteral("IX_N_BIN_IFID"), {QStringLiteral("IFID")}}}});

    t.append({QStringLiteral("N_BBORROW"),
              {{QStringLiteral("IID"), ColType::AutoNumber},
               {QStringLiteral("AIID"), ColType::Integer},
               {QStringLiteral("SUSER"), ColType::Text, 50},
               {QStringLiteral("SAIM"), ColType::Text, 50},
               {QStringLiteral("DSDATE"), ColType::DateTime},
               {QStringLiteral("DEDATE"), ColType::DateTime},
               {QStringLiteral("DSJEDATE"), ColType::DateTime},
               {QStringLiteral("ISTATE"), ColType::SmallInt},
               {QStringLiteral("SREMARK"), ColType::Text, 100}},
              {QStringLiteral("IID")},
              {{QStringLiteral("IX_N_BBORROW_AIID"), {QStringLiteral("AIID")}}}});

    for (QChar letter : {QLatin1Char('A'), QLatin1Char('B')}) {
        for (int i = 1; i <= 10; ++i) {
            const QString code = QString(letter) + QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0'));
            TableDef list{QStringLiteral("N_") + code,
                          {{code, ColType::AutoNumber},
                           {code + QStringLiteral("NAME"), ColType::Text, 100},
                           {code + QStringLiteral("ORDER"), ColType::Integer}},
                          {code},
                          {}};
            if (letter == QLatin1Char('A'))
                list.columns.append({code + QStringLiteral("CODE"), ColType::Text, 50});
            t.append(list);
        }
    }

    t.append({QStringLiteral("S_FIELD"),
              {{QStringLiteral("STABLE"), ColType::Text, 20},
               {QStringLiteral("SFIELD"), ColType::Text, 20},
               {QStringLiteral("SFIELDNAME"), ColType::Text, 100},
               {QStringLiteral("SFIELDNAME1"), ColType::Text, 50},
               {QStringLiteral("SFIELDTYPE"), ColType::Text, 10},
               {QStringLiteral("INO"), ColType::Integer},
               {QStringLiteral("IDISPLAY"), ColType::Integer},
               {QStringLiteral("INOTNULL"), ColType::Integer},
               {QStringLiteral("IEASY"), ColType::Integer},
               {QStringLiteral("INEWTYPE"), ColType::Integer},
               {QStringLiteral("SREMARK"), ColType::Text, 255}},
              {QStringLiteral("STABLE"), QStringLiteral("SFIELD")},
              {{QStringLiteral("IX_S_FIELD"), {QStringLiteral("STABLE"), QStringLiteral("SFIELD")}}}});

    for (const char *name : {"S_TREE", "S_QUERY"}) {
        t.append({QLatin1String(name),
                  {{QStringLiteral("STABLE"), ColType::Text, 20},
                   {QStringLiteral("INO"), ColType::Integer},
                   {QStringLiteral("SFIELD"), ColType::Text, 20}},
                  {},
                  {{QStringLiteral("IX_") + QLatin1String(name), {QStringLiteral("STABLE"), QStringLiteral("INO")}}}});
    }

    t.append({QStringLiteral("S_ORDER"),
              {{QStringLiteral("STABLE"), ColType::Text, 20},
               {QStringLiteral("INO"), ColType::Integer},
               {QStringLiteral("SFIELD"), ColType::Text, 20},
               {QStringLiteral("STYPE"), ColType::Text, 10}},
              {},
              {{QStringLiteral("IX_S_ORDER"), {QStringLiteral("STABLE"), QStringLiteral("INO")}}}});

    t.append({QStringLiteral("S_EASY"),
              {{QStringLiteral("STABLE"), ColType::Text, 20},
               {QStringLiteral("SFIELD"), ColType::Text, 20},
               {QStringLiteral("SEASY"), ColType::Text, 50},
               {QStringLiteral("SVALUE"), ColType::Text, 255}},
              {},
              {{QStringLiteral("IX_S_EASY"), {QStringLiteral("STABLE"), QStringLiteral("SFIELD")}}}});

    t.append({QStringLiteral("S_NEWVALUE"),
              {{QStringLiteral("SUSERID"), ColType::Text, 20},
               {QStringLiteral("STABLE"), ColType::Text, 20},
               {QStringLiteral("SFIELD"), ColType::Text, 20},
               {QStringLiteral("SNEWVALUE"), ColType::Text, 255}},
              {QStringLiteral("SUSERID"), QStringLiteral("STABLE"), QStringLiteral("SFIELD")},
              {{QStringLiteral("IX_S_NEWVALUE"), {QStringLiteral("SUSERID"), QStringLiteral("STABLE")}}}});

    t.append({QStringLiteral("S_SET"),
              {{QStringLiteral("SNAME"), ColType::Text, 50},
               {QStringLiteral("SVALUE"), ColType::Text, 0}},
              {QStringLiteral("SNAME")},
              {{QStringLiteral("IX_S_SET"), {QStringLiteral("SNAME")}}}});

    TableDef user{QStringLiteral("S_USER"),
                  {{QStringLiteral("SUSERID"), ColType::Text, 20},
                   {QStringLiteral("SUSERNAME"), ColType::Text, 50},
                   {QStringLiteral("SPASSWORD"), ColType::Text, 20}},
                  {QStringLiteral("SUSERID")},
                  {{QStringLiteral("UX_S_USER_SUSERID"), {QStringLiteral("SUSERID")}, true}}};
    for (const char *r : {"IRADD", "IREDIT", "IRDEL", "IRBATCH", "IRINPUT", "IREXPORT", "IRPRINT", "IRBORROW",
                          "IRSET", "IRBIN", "IR1", "IR2", "IR3", "IR4", "IR5", "IR6", "IRJ", "IRK", "IRL", "IRM",
                          "IRN", "IRO", "IRP", "IRQ", "IRR", "IRT", "IRU", "IRV", "IRW", "IRX", "IRY", "IRZ"})
        user.columns.append({QLatin1String(r), ColType::Integer});
    t.append(user);

    return t;
}

} // namespace

const ColumnDef *TableDef::column(const QString &n) const
{
    for (const ColumnDef &c : columns)
        if (c.name.compare(n, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString TableDef::autoNumberColumn() const
{
    for (const ColumnDef &c : columns)
        if (c.type == ColType::AutoNumber)
            return c.name;
    return {};
}

namespace Schema {

QStringList fieldCodes(QChar letter)
{
    QStringList codes;
    const QString l(letter.toUpper());
    auto range = [&](QChar type, int from, int to) {
        for (int i = from; i <= to; ++i)
            codes.append(l + type + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    };
    range(QLatin1Char('S'), 1, 15);
    range(QLatin1Char('S'), 50, 50);
    range(QLatin1Char('I'), 1, 4);
    range(QLatin1Char('F'), 1, 4);
    range(QLatin1Char('C'), 1, 10);
    range(QLatin1Char('D'), 1, 4);
    return codes;
}

bool isFieldCode(const QString &code)
{
    if (code.size() != 4)
        return false;
    const QChar letter = code.at(0).toUpper();
    if (letter != QLatin1Char('A') && letter != QLatin1Char('B'))
        return false;
    return fieldCodes(letter).contains(code.toUpper());
}

QChar fieldType(const QString &code)
{
    return isFieldCode(code) ? code.at(1).toUpper() : QChar();
}

const QList<TableDef> &tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef *table(const QString &name)
{
    for (const TableDef &t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString columnSql(const ColumnDef &col, Dialect dialect)
{
    const bool pg = dialect == Dialect::PostgreSQL;
    QString type;
    switch (col.type) {
    case ColType::AutoNumber:
        return col.name + (pg ? QStringLiteral(" SERIAL PRIMARY KEY") : QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT"));
    case ColType::Integer: type = QStringLiteral("INTEGER"); break;
    case ColType::SmallInt: type = QStringLiteral("SMALLINT"); break;
    // Dates are day numbers, so every statement can compare them with the
    // numbers written into SQL text.
    case ColType::Float:
    case ColType::DateTime: type = pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL"); break;
    case ColType::Text:
        type = col.width > 0 ? QStringLiteral("VARCHAR(%1)").arg(col.width) : QStringLiteral("TEXT");
        break;
    }
    return col.name + QLatin1Char(' ') + type;
}

QStringList createStatements(Dialect dialect)
{
    QStringList out;
    for (const TableDef &t : tables()) {
        QStringList cols;
        for (const ColumnDef &c : t.columns)
            cols.append(columnSql(c, dialect));
        out.append(QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, cols.join(QStringLiteral(", "))));
        for (const IndexDef &ix : t.indexes)
            out.append(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                           .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), ix.name, t.name,
                                ix.columns.join(QStringLiteral(", "))));
    }
    return out;
}

QString databasePassword()
{
    return QStringLiteral("vmyqpzle4bhxotj2rwki");
}

QString networkLogin()
{
    return QStringLiteral("pelu100_login");
}

} // namespace Schema
