#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AttachmentStore;
class Dataset;
class QWidget;

// The three deletions of the main window: the current volume record, every
// volume record the volume grid shows, and the current document record. A
// volume owns its documents (N_B.AIID); a document owns its lending rows
// (N_BBORROW.AIID holds the document key) and its attachments (N_BIN.IFID
// plus one stored file each).
//
// Each command asks first, then (FTP store) checks that the store can be
// reached, then deletes the rows in one transaction on the datasets'
// connection and removes the stored files only after the commit, so a
// rollback leaves every row and every file as it was. A file that still
// cannot be removed then is named in a warning.
class RecordDeletion {
public:
    // volumes and documents: the window's volume and document datasets;
    // scratch runs the statements; parent carries the progress window.
    RecordDeletion(Dataset &volumes, Dataset &documents, Dataset &scratch, AttachmentStore &store,
                   QWidget *parent = nullptr);

    // True when the records were deleted; false when there was nothing to
    // delete, the user did not confirm, the store was not ready or the
    // transaction was rolled back (the user has been told).
    bool deleteVolume();      // "案卷记录删除"
    bool deleteAllVolumes();  // "批删"
    bool deleteDocument();    // "文件记录删除"

    // Keys per IN list of the batch deletion.
    int chunkSize() const { return m_chunkSize; }
    void setChunkSize(int keys) { m_chunkSize = keys < 1 ? 1 : keys; }
    // From how many volumes on the batch deletion shows its progress window.
    int progressThreshold() const { return m_progressThreshold; }
    void setProgressThreshold(int volumes) { m_progressThreshold = volumes; }

    // The statements that delete what the documents of these volumes own and
    // the volumes themselves, in order (lendings, attachment rows, documents,
    // volumes); keys are decimal integers.
    static QStringList volumeDeleteStatements(const QString &keyList);

    // The messages of the three commands.
    static QString confirmVolumeText() { return QStringLiteral("删除后将不能再恢复，确认要删除吗？"); }
    static QString confirmDocumentText() { return QStringLiteral("确定要删除吗？"); }
    static QString doneText() { return QStringLiteral("删除完成！"); }
    static QString storeNotReadyText() { return QStringLiteral("附件服务器连接失败，记录未删除！"); }

private:
    bool readKey(Dataset &dataset, int pos, const QString &field, qint64 &key);
    bool storeReady();
    // Deletes the lendings, attachment rows and documents of these volumes,
    // and the volume rows too when asked; throws when a statement failed.
    void deleteVolumeRows(const QString &keyList, QList<qint64> &iids, bool volumeRows);
    // Runs an N_BIN deletion; when files move, adds the IIDs it removed.
    bool deleteAttachmentRows(const QString &sql, QList<qint64> &iids);
    void removeFiles(const QList<qint64> &iids, QWidget *progress);
    // The current row of dataset after a question: what it owns (ownedRows
    // gets its key and collects the stored files to remove), then the row
    // itself through the dataset, in one transaction; the files after it.
    bool deleteCurrentRow(Dataset &dataset, const QString &keyField, const QString &question,
                          const std::function<void(const QString &, QList<qint64> &)> &ownedRows);

    Dataset &m_volumes;
    Dataset &m_documents;
    Dataset &m_scratch;
    AttachmentStore &m_store;
    QWidget *m_parent;
    int m_chunkSize = 2000;
    int m_progressThreshold = 1000;
};
