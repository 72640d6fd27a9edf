// CHistoryWriter: saving the receive history to a file on a thread of its
// own, so that a history of gigabytes is written without holding up the
// window and without being read into memory: it writes the pieces the
// history shares (chunks in the file are read through their mappings and
// handed back to the system as they are done).
//
// The file is written through QSaveFile, so a failed or cancelled save
// leaves no truncated file. Progress and the end are signals delivered on
// the owner's (window) thread; destroying the writer cancels a save and
// waits for its thread.
#pragma once

#include "view/recv/recvhistory.h"

#include <QObject>

#include <atomic>
#include <thread>
#include <vector>

class CHistoryWriter : public QObject
{
    Q_OBJECT

public:
    explicit CHistoryWriter(QObject *parent = nullptr) : QObject(parent)
    {
        setObjectName(QStringLiteral("historyWriter"));
    }
    ~CHistoryWriter() override;

    bool IsBusy() const { return m_thread.joinable() && !m_done; }
    // Starts writing `pieces` to `path`; false while a save runs.
    bool Start(const QString &path, std::vector<CRecvHistory::SharedPiece> pieces);

signals:
    void Progress(int percent);
    // `error` is empty when every byte was written.
    void Finished(const QString &path, const QString &error);

private:
    void Run(const QString &path, const std::vector<CRecvHistory::SharedPiece> &pieces);
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
};
