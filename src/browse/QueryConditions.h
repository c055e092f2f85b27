#pragma once

#include "app/MessageBoxes.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The clauses a query panel turns its filled controls into, and the
// statements the browser windows build from them. No widgets: the panels
// read their controls into Inputs and hand them over.
class QueryConditions {
public:
    // What one pool control holds: the editor's text (S, I, F), the chosen
    // code (C) or the two picker dates (D; null when the picker is empty).
    struct Input {
        QString code;
        QString text;
        QDate start;
        QDate end;
    };

    // The 38 field codes of a table letter ('A' volumes, 'B' documents) in
    // the fixed order of the condition text: S01..S15, S50, I01..I04,
    // F01..F04, C01..C10, D01..D04.
    static QStringList fieldCodes(QChar table);
    // Position of a code in that order; -1 for no field code.
    static int orderOf(const QString &code);
    // The type letter (second character, upper case): S, I, F, C or D.
    static QChar typeOf(const QString &code);

    // The clause of one control, empty when the control is not filled:
    //   S " and AS01 like '%text%'" (trimmed; quotes doubled)
    //   I/F " and AI02=3" (the text as typed, checked to be a number first)
    //   C " and AC01=5"
    //   D " and AD01 <= N", " >= N" or " between N and M" (day numbers of the edition)
    // Text in a number field that is no number throws QueryInputError and
    // builds nothing.
    static QString clause(const Input &input, const QString &edition);

    // The clauses of every input, in the fixed code order whatever the order
    // of the list (volume codes before document codes).
    static QString conditionText(const QList<Input> &inputs, const QString &edition);

    // Whether text may stand in a number field's clause. Blanks around the
    // number are harmless in SQL; the number itself must be whole.
    static bool isIntegerText(const QString &text);
    static bool isFloatText(const QString &text);

    // The volume statement of a query: base + conditions + sort clause.
    static QString volumeStatement(const QString &baseSql, const QString &conditionText, const QString &orderClause);
    // The documents of one volume, or none (empty key).
    static QString documentStatement(const QString &documentBaseSql, const QString &volumeKey,
                                     const QString &orderClause);
    // The volumes added after lastKey (every volume when empty), newest first.
    static QString addedVolumesStatement(const QString &baseSql, const QString &lastKey);
};

// Text in a number field of a query panel that is no number. code() names the
// field so the panel can put the cursor there.
class QueryInputError : public AppError {
public:
    QueryInputError(const QString &code, const QString &message) : AppError(message), m_code(code) {}
    QString code() const { return m_code; }
    // "“caption”中的内容不是有效的整数！" / "...数值！"; the code when it has no caption.
    static QString messageFor(const QString &code);

private:
    QString m_code;
};
