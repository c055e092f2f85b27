#include "browse/RecordDeletion.h"

#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "attach/AttachmentStore.h"
#include "data/Dataset.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressDialog>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// A warning names at most this many files; a batch may leave thousands.
constexpr int kNamedFiles = 20;

QString keyList(const QList<qint64> &keys, int from, int count)
{
    QString out;
    for (int i = from; i < from + count; ++i) {
        if (i > from)
            out += QLatin1Char(',');
        out += QString::number(keys.at(i));
    }
    return out;
}

// Shows the state of the store again after a rollback that came after the
// dataset had already dropped the row.
void reopenAt(Dataset &dataset, const QString &keyField, qint64 key)
{
    if (OpenSql(dataset, dataset.sql()))
        dataset.locate(keyField, key);
}

// Nothing else may run on the connection while the transaction is open: the
// window blocks the program and can be neither closed nor cancelled.
class BlockingProgress : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            event->accept();
        else
            QProgressDialog::keyPressEvent(event);
    }
};

std::unique_ptr<QProgressDialog> progressWindow(QWidget *parent, const QString &label, int maximum)
{
    std::unique_ptr<QProgressDialog> dialog = std::make_unique<BlockingProgress>(label, QString(), 0, maximum, parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowFlag(Qt::WindowCloseButtonHint, false);
    dialog->setCancelButton(nullptr);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setWindowTitle(QStringLiteral("提示"));
    dialog->setValue(0);
    dialog->show();
    return dialog;
}

} // namespace

RecordDeletion::RecordDeletion(Dataset &volumes, Dataset &documents, Dataset &scratch, AttachmentStore &store,
                               QWidget *parent)
    : m_volumes(volumes)
    , m_documents(documents)
    , m_scratch(scratch)
    , m_store(store)
    , m_parent(parent)
{
}

QStringList RecordDeletion::volumeDeleteStatements(const QString &keys)
{
    const QString documents = QStringLiteral("select BIID from N_B where AIID in(") + keys + QLatin1Char(')');
    return {QStringLiteral("delete from N_BBORROW where AIID in(") + documents + QLatin1Char(')'),
            QStringLiteral("delete from N_BIN where IFID in(") + documents + QLatin1Char(')'),
            QStringLiteral("delete from N_B where AIID in(") + keys + QLatin1Char(')'),
            QStringLiteral("delete from N_A where AIID in(") + keys + QLatin1Char(')')};
}

void RecordDeletion::deleteVolumeRows(const QString &keys, QList<qint64> &iids, bool volumeRows)
{
    const QStringList statements = volumeDeleteStatements(keys);
    ExecSql(m_scratch, statements.at(0));
    if (!deleteAttachmentRows(statements.at(1), iids))
        throw SilentAbort();
    ExecSql(m_scratch, statements.at(2));
    if (volumeRows)
        ExecSql(m_scratch, statements.at(3));
}

bool RecordDeletion::deleteAttachmentRows(const QString &sql, QList<qint64> &iids)
{
    if (!m_store.movesFiles()) {
        ExecSql(m_scratch, sql);
        return true;
    }
    // The deletion itself gives the keys of the stored files to remove later.
    if (!OpenSql(m_scratch, sql + QStringLiteral(" returning IID")))
        return false;
    const int col = m_scratch.fieldIndex(QStringLiteral("IID"));
    for (int pos = 0; pos < m_scratch.recordCount(); ++pos)
        iids << m_scratch.valueAt(pos, col).toLongLong();
    m_scratch.close();
    return true;
}

// Keys come from the dataset's integer column, never from text.
bool RecordDeletion::readKey(Dataset &dataset, int pos, const QString &field, qint64 &key)
{
    const int col = dataset.fieldIndex(field);
    const bool integral = col >= 0
        && (dataset.fieldKind(col) == Dataset::FieldKind::Int32 || dataset.fieldKind(col) == Dataset::FieldKind::Int64);
    if (integral && !dataset.isNullAt(pos, col)) {
        key = dataset.valueAt(pos, col).toLongLong();
        return true;
    }
    ShowError(QStringLiteral("记录没有有效的%1，记录未删除！").arg(field));
    return false;
}

bool RecordDeletion::storeReady()
{
    if (m_store.ensureReady())
        return true;
    ShowError(storeNotReadyText() + QLatin1Char('\n') + m_store.lastError());
    return false;
}

void RecordDeletion::removeFiles(const QList<qint64> &iids, QWidget *progress)
{
    auto *dialog = qobject_cast<QProgressDialog *>(progress);
    std::function<void(int)> step;
    if (dialog) {
        dialog->setLabelText(QStringLiteral("正在删除附件文件，请稍等......"));
        dialog->setRange(0, std::max(1, int(iids.size())));
        dialog->setValue(0);
        step = [dialog](int done) { dialog->setValue(done); };
    }
    const QList<qint64> failed = m_store.remove(iids, step);
    if (failed.isEmpty())
        return;
    QStringList names;
    for (int i = 0; i < failed.size() && i < kNamedFiles; ++i)
        names << AttachmentStore::storedName(failed.at(i));
    QString text = QStringLiteral("记录已删除，但以下附件文件未能删除：\n") + names.join(QLatin1Char('\n'));
    if (failed.size() > kNamedFiles)
        text += QStringLiteral("\n……共%1个").arg(failed.size());
    ShowWarning(text + QLatin1Char('\n') + m_store.lastError());
}

bool RecordDeletion::deleteCurrentRow(Dataset &dataset, const QString &keyField, const QString &question,
                                      const std::function<void(const QString &, QList<qint64> &)> &ownedRows)
{
    if (!dataset.isOpen() || dataset.isEmpty())
        return false;
    if (AskConfirm(question) != MsgResultOk)
        return false;
    qint64 id = 0;
    if (!readKey(dataset, dataset.pos(), keyField, id) || !storeReady())
        return false;
    QList<qint64> iids;
    SqlTransaction transaction(dataset);
    if (!transaction.begin())
        return false;
    bool rowDropped = false;
    try {
        ownedRows(QString::number(id), iids);
        try {
            dataset.remove(); // moves to the following row
        } catch (const AppError &e) {
            ShowError(e.message());
            throw SilentAbort();
        }
        rowDropped = true;
        if (!transaction.commit())
            throw SilentAbort();
    } catch (const std::exception &) {
        transaction.rollback();
        if (rowDropped)
            reopenAt(dataset, keyField, id);
        return false;
    }
    removeFiles(iids, nullptr);
    return true;
}

bool RecordDeletion::deleteVolume()
{
    // The volume row itself goes through the dataset, which then loads the
    // documents of the following volume.
    if (!deleteCurrentRow(m_volumes, QStringLiteral("AIID"), confirmVolumeText(),
                          [this](const QString &key, QList<qint64> &iids) { deleteVolumeRows(key, iids, false); }))
        return false;
    ShowInfo(doneText());
    return true;
}

bool RecordDeletion::deleteAllVolumes()
{
    if (!m_volumes.isOpen() || m_volumes.isEmpty())
        return false;
    if (AskConfirm(confirmVolumeText()) != MsgResultOk)
        return false;
    // Exactly the volumes the grid holds, whatever conditions selected them.
    QList<qint64> keys;
    keys.reserve(m_volumes.recordCount());
    for (int pos = 0; pos < m_volumes.recordCount(); ++pos) {
        qint64 key = 0;
        if (!readKey(m_volumes, pos, QStringLiteral("AIID"), key))
            return false;
        keys << key;
    }
    if (!storeReady())
        return false;

    std::unique_ptr<QProgressDialog> progress;
    if (keys.size() >= m_progressThreshold)
        progress = progressWindow(m_parent, QStringLiteral("正在删除案卷记录，请稍等......"), int(keys.size()));
    QList<qint64> iids;
    SqlTransaction transaction(m_volumes);
    if (!transaction.begin())
        return false;
    try {
        for (int from = 0; from < keys.size(); from += m_chunkSize) {
            const int count = std::min<int>(m_chunkSize, int(keys.size()) - from);
            deleteVolumeRows(keyList(keys, from, count), iids, true);
            if (progress)
                progress->setValue(from + count);
        }
        if (!transaction.commit())
            throw SilentAbort();
    } catch (const std::exception &) {
        transaction.rollback();
        return false;
    }
    // The grid shows what its query finds now; its documents follow.
    OpenSql(m_volumes, m_volumes.sql());
    removeFiles(iids, progress.get());
    progress.reset();
    ShowInfo(doneText());
    return true;
}

bool RecordDeletion::deleteDocument()
{
    return deleteCurrentRow(m_documents, QStringLiteral("BIID"), confirmDocumentText(),
                            [this](const QString &key, QList<qint64> &iids) {
                                ExecSql(m_scratch, QStringLiteral("delete from N_BBORROW where AIID=") + key);
                                if (!deleteAttachmentRows(QStringLiteral("delete from N_BIN where IFID=") + key, iids))
                                    throw SilentAbort();
                            });
}
