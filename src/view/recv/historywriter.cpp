#include "view/recv/historywriter.h"

#include <QSaveFile>

CHistoryWriter::~CHistoryWriter()
{
    m_cancel = true;
    Join();
}

void CHistoryWriter::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CHistoryWriter::Start(const QString &path, std::vector<CRecvHistory::SharedPiece> pieces)
{
    if (IsBusy())
        return false;
    Join();
    m_cancel = false;
    m_done = false;
    m_thread = std::thread([this, path, pieces = std::move(pieces)] {
        Run(path, pieces);
        m_done = true;
    });
    return true;
}

void CHistoryWriter::Run(const QString &path, const std::vector<CRecvHistory::SharedPiece> &pieces)
{
    std::size_t total = 0;
    for (const CRecvHistory::SharedPiece &piece : pieces)
        total += piece.bytes.size();
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    std::size_t done = 0;
    int shown = -1;
    for (const CRecvHistory::SharedPiece &piece : pieces) {
        if (!written || m_cancel)
            break;
        if (piece.record)
            piece.record->LoadPages();
        const auto *data = reinterpret_cast<const char *>(piece.bytes.data());
        written = file.write(data, qint64(piece.bytes.size())) == qint64(piece.bytes.size());
        if (piece.record)
            piece.record->DropPages();
        done += piece.bytes.size();
        const int percent = int(done * 100 / std::max<std::size_t>(total, 1));
        if (percent != shown)
            emit Progress(shown = percent);
    }
    if (written && !m_cancel && file.commit())
        return emit Finished(path, QString());
    const QString error = file.errorString();
    file.cancelWriting();
    emit Finished(path, m_cancel ? QString() : error);
}
