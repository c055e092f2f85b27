#pragma once

#include "data/Dataset.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

// What a data link needs from its editor. Implemented by every data-aware
// editor; the link itself knows no widget.
class DataLinkEditor {
public:
    virtual ~DataLinkEditor() = default;
    // Show a value (null: an empty editor). value is what Dataset::value()
    // gives, text what Dataset::text() gives; an unbound editor gets its own
    // committed value back, with text = value.toString().
    virtual void showLinkValue(const QVariant &value, const QString &text) = 0;
    // The value the user entered, to be written into the field. Throws
    // ConvertError when the text is no value the editor can give.
    virtual QVariant linkValue() const = 0;
    // Whether the user may change the editor.
    virtual void setLinkReadOnly(bool readOnly) = 0;
    // After a refused value the editor takes the focus back.
    virtual void refocusLinkEditor() = 0;
    // A report that arrives late is dropped when the editor is no longer shown.
    virtual bool linkEditorShown() const = 0;
};

// Binds one editor to a field of a dataset, or to nothing (query panels use
// the same editors unbound). The editor shows the field of the current row
// and follows the dataset; a user's change is written with setValue when the
// editor commits: on leaving it, on Enter, through commit() or CommitEditors.
//
// Only the user's input counts as a change: to change a bound value from
// code, set the field; the editor follows.
class DataLink : public QObject {
    Q_OBJECT
public:
    DataLink(DataLinkEditor *editor, QObject *parent);
    ~DataLink() override;

    // A null dataset or an empty field name unbinds the editor.
    void setDataSource(Dataset *dataset, const QString &field);
    Dataset *dataset() const { return m_dataset; }
    QString dataField() const { return m_field; }
    bool isBound() const;
    // Bound, the dataset open and the field in it.
    bool isActive() const;

    // With auto edit (the default) the first change of the user puts a
    // browsing dataset into Edit state; without it the editor stays read-only
    // until the window puts the dataset into Edit or Insert state.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on);
    // Read-only as the window wants it; the editor is also read-only while
    // the link is bound but inactive, and for a field the store numbers.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool on);
    bool canModify() const;

    // The field of the current row; null/empty when inactive or no row.
    QVariant fieldValue() const;
    QString fieldText() const;
    Dataset::FieldKind fieldKind() const; // Text when inactive
    // The width of a text column in the schema of the update table; 0 when
    // unknown or unbounded.
    int fieldWidth() const;

    // --- called by the editor --------------------------------------------------
    // The user changed the editor. The first change of an edit starts it:
    // auto edit, then userEdited. false when the dataset refused to edit
    // (reported; the editor shows the field again).
    bool editorChanged();
    // The user's change not yet written.
    bool isModified() const { return m_modified; }
    // Writes a pending change. false when the editor's text is no value or
    // the dataset refused it: the message is shown, the editor keeps the text
    // and takes the focus. true when there was nothing to write.
    bool commit();
    // The editor lost the focus to another control of the window: commits;
    // a refused value takes the focus back at once and is reported right
    // after (once, even if a save command commits again meanwhile).
    void editorLeft();
    // A value chosen in one step (a pick from a list or a calendar), written
    // at once. Same results as commit().
    bool commitValue(const QVariant &value);
    // Writes a value from a command (clearing an editor): like a pick, but it
    // is no user's edit, so no userEdited.
    bool writeValue(const QVariant &value);
    // Shows the field (or an unbound editor's committed value) again and
    // drops a pending change.
    void reload();

    // Commits every modified editor bound to dataset; stops at the first
    // refusal.
    static bool commitAll(Dataset *dataset);
    // Whether losing the focus for this reason leaves the editor: a popup
    // or another window taking the focus does not.
    static bool leavesEditor(Qt::FocusReason reason);

signals:
    // The user started to change the editor (once per edit; never when the
    // value comes from the dataset or from code).
    void userEdited();
    // A user's value was written (into the field when bound).
    void committed();

private:
    struct Failure {
        bool error = false; // an error box rather than a warning
        QString text;
    };
    bool write(const QVariant &value, Failure *failure);
    bool tryCommit(Failure *failure);
    void report(const Failure &failure);
    void showPendingReport();
    void showValue(const QVariant &value, const QString &text);
    void updateReadOnly();
    void follow();          // the dataset moved, opened, closed or was reset
    void stateChange();
    void rowChange(int pos);

    DataLinkEditor *m_editor;
    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_bound = false;      // stays set when the dataset goes away
    bool m_autoEdit = true;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_writing = false;    // our own calls into the dataset are running
    bool m_committing = false;
    Failure m_pending;         // a refusal on leaving, reported once
    bool m_hasPending = false;
};
