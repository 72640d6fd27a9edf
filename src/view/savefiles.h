// CSaveFiles: choosing the files the receive history and the send box are
// saved to, and writing them.
//
// Files are written through QSaveFile: the bytes go to a temporary file that
// replaces the chosen one only when everything was written, so a failed save
// leaves no truncated file, only a message.
//
// Window thread only.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

class CSaveFiles
{
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

private:
    QWidget *m_dialogParent = nullptr;
    FileChooser m_saveFileChooser;
    // The program has one view, so this counts per process.
    int32_t m_nSavedSendNumber = 0;
};
