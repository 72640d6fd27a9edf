// CSaveFiles: choosing the files the receive history and the send box are
// saved to, and writing them; with the form's buttons connected (Connect),
// saving the receive history (1010, on a thread of its own, CHistoryWriter)
// and the send box (1015). A failed save leaves the view as it was.
//
// Files are written through QSaveFile: the bytes go to a temporary file that
// replaces the chosen one only when everything was written, so a failed save
// leaves no truncated file, only a message.
//
// Window thread only.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

struct CViewForm;
class CHistoryWriter;
class CViewStatus;
class QWidget;

class CSaveFiles : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    using FileChooser = std::function<QString(const QString &suggestedName)>;

    // The parent of the file dialog and of the message on a failed write.
    void Attach(QWidget *dialogParent) { m_dialogParent = dialogParent; }
    // Empty chooser: the platform's file dialog. An empty result means cancelled.
    void SetChooser(FileChooser chooser) { m_saveFileChooser = std::move(chooser); }

    QString Choose(const QString &suggestedName) const;
    // The file for the send box, suggested as "senddataN.dat". N advances once
    // the user has confirmed a name, whether or not the file can then be written.
    QString ChooseSendFile();

    // False, after telling the user why, when the file could not be written.
    bool Write(const QString &path, const std::vector<QByteArrayView> &pieces) const;
    // Tells the user that `path` could not be written, and why.
    void ReportFailure(const QString &path, const QString &reason) const;

    // Attaches to `view` (the dialogs' parent, and the history writer's) and
    // connects the form's save buttons.
    void Connect(QWidget *view, const CViewForm &form, CViewStatus &status);

private:
    void ConnectHistoryWriter();
    void OnSaveRecv();
    void OnSaveSend();
    // A save the user cannot see happen is confirmed with the file and its size.
    void SaveAndConfirm(const QString &path, const std::vector<QByteArrayView> &pieces);
    void ConfirmSaved(const QString &path, qint64 size);
    QByteArray DisplayedSendText() const;

    QWidget *m_dialogParent = nullptr;
    FileChooser m_saveFileChooser;
    // The program has one view, so this counts per process.
    int32_t m_nSavedSendNumber = 0;
    const CViewForm *m_form = nullptr;
    CViewStatus *m_status = nullptr;
    CHistoryWriter *m_historyWriter = nullptr; // child of the view
};
