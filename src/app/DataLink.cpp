#include "app/DataLink.h"

#include "app/MessageBoxes.h"
#include "data/Schema.h"

#include <QList>
#include <QScopedValueRollback>

namespace {

// Every live link, in creation order, so a save can commit the editors of
// its dataset without knowing them.
QList<DataLink *> &links()
{
    static QList<DataLink *> all;
    return all;
}

} // namespace

DataLink::DataLink(DataLinkEditor *editor, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
{
    links().append(this);
}

DataLink::~DataLink()
{
    links().removeOne(this);
}

void DataLink::setDataSource(Dataset *dataset, const QString &field)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    const bool wasBound = m_bound;
    m_dataset = field.isEmpty() ? nullptr : dataset;
    m_field = m_dataset ? field : QString();
    m_bound = m_dataset != nullptr;
    m_modified = false;
    m_hasPending = false;
    if (m_dataset) {
        Dataset *ds = m_dataset;
        connect(ds, &Dataset::afterOpen, this, &DataLink::follow);
        connect(ds, &Dataset::afterClose, this, &DataLink::follow);
        connect(ds, &Dataset::afterScroll, this, &DataLink::follow);
        connect(ds, &Dataset::dataReset, this, &DataLink::follow);
        connect(ds, &Dataset::currentChanged, this, &DataLink::follow);
        connect(ds, &Dataset::stateChanged, this, &DataLink::stateChange);
        connect(ds, &Dataset::rowChanged, this, &DataLink::rowChange);
        // A dataset freed before its editors leaves them empty and read-only.
        connect(ds, &QObject::destroyed, this, &DataLink::follow);
        showValue(fieldValue(), fieldText());
    } else if (wasBound) {
        showValue(QVariant(), QString());
    }
    updateReadOnly();
}

bool DataLink::isBound() const
{
    return m_bound;
}

bool DataLink::isActive() const
{
    return m_bound && m_dataset && m_dataset->isOpen() && m_dataset->hasField(m_field);
}

void DataLink::setAutoEdit(bool on)
{
    m_autoEdit = on;
    updateReadOnly();
}

void DataLink::setReadOnly(bool on)
{
    m_readOnly = on;
    updateReadOnly();
}

bool DataLink::canModify() const
{
    if (m_readOnly)
        return false;
    if (!m_bound)
        return true;
    if (!isActive())
        return false;
    if (m_dataset->fieldReadOnly(m_dataset->fieldIndex(m_field)))
        return false;
    return m_autoEdit || m_dataset->isEditing();
}

QVariant DataLink::fieldValue() const
{
    return isActive() ? m_dataset->value(m_field) : QVariant();
}

QString DataLink::fieldText() const
{
    return isActive() ? m_dataset->text(m_field) : QString();
}

Dataset::FieldKind DataLink::fieldKind() const
{
    return isActive() ? m_dataset->fieldKind(m_dataset->fieldIndex(m_field)) : Dataset::FieldKind::Text;
}

int DataLink::fieldWidth() const
{
    if (!isActive() || fieldKind() != Dataset::FieldKind::Text)
        return 0;
    const TableDef *table = Schema::table(m_dataset->updateTable());
    const ColumnDef *column = table ? table->column(m_field) : nullptr;
    return column && column->type == ColType::Text ? column->width : 0;
}

bool DataLink::editorChanged()
{
    if (m_modified)
        return true;
    if (m_bound) {
        if (!canModify()) {
            reload();
            return false;
        }
        if (!m_dataset->isEditing()) {
            try {
                QScopedValueRollback<bool> writing(m_writing, true);
                m_dataset->edit();
            } catch (const AppError &e) {
                report({true, e.message()});
                reload();
                return false;
            }
            updateReadOnly();
        }
    }
    m_modified = true;
    emit userEdited();
    return true;
}

bool DataLink::write(const QVariant &value, Failure *failure)
{
    if (!m_bound) {
        m_modified = false;
        m_hasPending = false;
        showValue(value, value.toString());
        emit committed();
        return true;
    }
    if (!canModify()) {
        // The editor was read-only: nothing of the user's to keep or report.
        *failure = Failure();
        reload();
        return false;
    }
    try {
        QScopedValueRollback<bool> writing(m_writing, true);
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setValue(m_field, value);
    } catch (const ConvertError &e) {
        *failure = {false, e.message()};
        return false;
    } catch (const AppError &e) {
        *failure = {true, e.message()};
        return false;
    }
    m_modified = false;
    m_hasPending = false;
    // The stored form: "007" in an integer field shows as 7.
    showValue(fieldValue(), fieldText());
    updateReadOnly();
    emit committed();
    return true;
}

bool DataLink::tryCommit(Failure *failure)
{
    if (!m_modified)
        return true;
    QVariant value;
    try {
        value = m_editor->linkValue();
    } catch (const ConvertError &e) {
        *failure = {false, e.message()};
        return false;
    }
    return write(value, failure);
}

void DataLink::report(const Failure &failure)
{
    if (failure.text.isEmpty())
        return;
    if (failure.error)
        ShowError(failure.text);
    else
        ShowWarning(failure.text);
}

bool DataLink::commit()
{
    if (m_committing)
        return false;
    QScopedValueRollback<bool> committing(m_committing, true);
    Failure failure;
    if (tryCommit(&failure))
        return true;
    m_hasPending = false;
    if (failure.text.isEmpty())
        return false;
    report(failure);
    m_editor->refocusLinkEditor();
    return false;
}

void DataLink::editorLeft()
{
    if (!m_modified || m_committing)
        return;
    QScopedValueRollback<bool> committing(m_committing, true);
    Failure failure;
    if (tryCommit(&failure) || failure.text.isEmpty())
        return;
    // Taking the focus back inside the focus change is safe; a modal box is
    // not, so the message follows from the event loop.
    m_editor->refocusLinkEditor();
    m_pending = failure;
    m_hasPending = true;
    QMetaObject::invokeMethod(this, &DataLink::showPendingReport, Qt::QueuedConnection);
}

void DataLink::showPendingReport()
{
    if (!m_hasPending)
        return;
    m_hasPending = false;
    if (!m_editor->linkEditorShown())
        return;
    report(m_pending);
    m_editor->refocusLinkEditor();
}

bool DataLink::commitValue(const QVariant &value)
{
    if (!editorChanged())
        return false;
    return writeValue(value);
}

bool DataLink::writeValue(const QVariant &value)
{
    if (m_committing)
        return false;
    QScopedValueRollback<bool> committing(m_committing, true);
    Failure failure;
    if (write(value, &failure))
        return true;
    if (failure.text.isEmpty())
        return false;
    m_modified = true; // the editor keeps what was chosen
    report(failure);
    m_editor->refocusLinkEditor();
    return false;
}

void DataLink::reload()
{
    m_modified = false;
    m_hasPending = false;
    if (m_bound)
        showValue(fieldValue(), fieldText());
    updateReadOnly();
}

bool DataLink::commitAll(Dataset *dataset)
{
    if (!dataset)
        return true;
    const QList<DataLink *> all = links();
    for (DataLink *link : all) {
        if (link->m_dataset == dataset && link->m_modified && !link->commit())
            return false;
    }
    return true;
}

bool DataLink::leavesEditor(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && reason != Qt::MenuBarFocusReason;
}

void DataLink::showValue(const QVariant &value, const QString &text)
{
    m_editor->showLinkValue(value, text);
}

void DataLink::updateReadOnly()
{
    m_editor->setLinkReadOnly(!canModify());
}

void DataLink::follow()
{
    if (m_writing)
        return;
    // Held view notifications arrive as one reset when controls come back.
    if (m_dataset && m_dataset->controlsDisabled()) {
        updateReadOnly();
        return;
    }
    reload();
}

void DataLink::stateChange()
{
    updateReadOnly();
    if (m_writing || !m_dataset)
        return;
    // Post and cancel end an edit: the field's value is what counts now. A
    // window that posts commits its editors first (CommitEditors).
    if (!m_dataset->isEditing() && m_modified && !m_dataset->controlsDisabled())
        reload();
}

void DataLink::rowChange(int pos)
{
    if (m_writing || !m_dataset || pos != m_dataset->pos())
        return;
    // Another field of the row changed; the user's own text stays.
    if (!m_modified)
        showValue(fieldValue(), fieldText());
}
