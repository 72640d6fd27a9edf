// CHistoryFinder: searching the rendering of the receive history on a thread
// of its own. The window thread plans the pieces (unit boundaries from the
// history's index) and hands over the bytes the history shares; the thread
// renders piece after piece, looks for the text, and turns a match back into
// byte offsets by walking the units of its piece. Pieces overlap by three
// bytes for each character of the text, so a match across a piece (and a
// chunk) boundary is found.
//
// Results and progress are signals delivered on the owner's thread; Cancel
// ends the search soon, and a cancelled search reports nothing. Destroying
// the finder cancels and waits for its thread.
#pragma once

#include "convert/codepage.h"
#include "view/recv/recvhistory.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

// Only ASCII letters change case, as the C library's conversion does here;
// this also keeps every position of the folded text that of the original.
QString FoldAsciiCase(QString text);

class CHistoryFinder : public QObject
{
    Q_OBJECT

public:
    struct Piece
    {
        std::size_t from = 0; // unit boundaries
        std::size_t to = 0;
        int pass = 0; // 1: after wrapping to the beginning
    };
    struct Request
    {
        std::vector<CRecvHistory::SharedPiece> bytes;
        std::vector<Piece> plan;
        QString text;
        bool matchCase = false;
        bool hex = false;
        CodePageId page = CodePageId::Gbk;
    };

    explicit CHistoryFinder(QObject *parent = nullptr) : QObject(parent) {}
    ~CHistoryFinder() override;

    void Start(Request request);
    void Cancel();
    bool IsBusy() const { return m_busy; }

signals:
    void Progress(int percent);
    // `pass` -1: not found.
    void Finished(std::size_t from, std::size_t to, int pass);

private:
    void Run(const Request &request, unsigned generation);
    bool Search(const Request &request, const Piece &piece, std::vector<uint8_t> &scratch,
                std::size_t &from, std::size_t &to) const;
    void Join();

    std::thread m_thread;
    std::atomic<unsigned> m_generation{0};
    bool m_busy = false; // window thread
};
