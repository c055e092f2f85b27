#pragma once

#include <QDate>
#include <QString>

// The one UPDATE statement of a batch edit: one volume field set to one value
// for every volume the condition text selects. No widgets, so the window
// hands over what its editors hold.
class BatchEditStatement {
public:
    // What the window's value editors hold for the chosen field.
    struct Input {
        QString field;   // field code of N_A, e.g. "AI02"
        QString caption; // the field's label, for messages
        // S, I, F: the editor's text; C: the chosen item's code ("(空白)" for
        // the blank item, empty when no item is chosen).
        QString text;
        QDate date; // D: null when the picker is empty
    };

    // The statement, or the reason it cannot be built (then statement is
    // empty); message is in the program's words, ready for a message box.
    struct Result {
        QString statement;
        QString message;
        bool ok() const { return message.isEmpty(); }
    };

    // The item of a code field's value list that stands for null.
    static QString blankItem() { return QStringLiteral("(空白)"); }

    // "update N_A set F=<value> where 1=1 " + conditionText, or
    // "update N_A set F=null  where 1=1 " + conditionText for an empty editor
    // or the blank item. Text becomes a quoted literal; integers (32-bit) and
    // decimal numbers are checked before they reach the statement; dates are
    // day numbers of the edition.
    static Result build(const Input &input, const QString &conditionText, const QString &edition);

    // An integer a 32-bit column takes: optional sign and digits, blanks
    // around it allowed.
    static bool isIntegerText(const QString &text);
    // A finite decimal number with '.' as separator, no exponent; blanks
    // around it allowed.
    static bool isDecimalText(const QString &text);
};
