// CCaptureLog: "记录到文件", every byte received (and, as an option, every
// byte sent) appended to a file while a port is open.
//
// Forms: the raw bytes; hex lines (a direction mark, then up to kHexPerLine
// bytes as hex pairs); text lines (one per read or write: a timestamp, the
// direction mark, then the bytes, with '\', control bytes and DEL written as
// \xHH escapes and "\\", so every line reads back to its bytes and GBK text
// stays readable). Marks: '<' received, '>' sent.
//
// Bytes are collected in memory and written by a timer every kFlushMs (and
// whenever kWriteAhead bytes wait), then flushed, so logging costs the
// receive path one append. A write that fails (a full disk) closes the file
// with what was written before and reports the error; the caller stops
// logging. So does a flush that finds the path no longer naming the open
// file (deleted, its folder removed): the bytes would go nowhere.
//
// Only a regular file is opened, and it is locked exclusively while open, so
// a second instance logging to the same file is refused instead of
// interleaving its bytes (appendfile.h).
//
// Sent bytes are logged once the port reports them written (SendDone), not
// when the write is handed over. The line forms also carry notes, lines
// with the mark '#' (a file transfer ran; a write that never completed);
// the raw form has no room for them.
//
// Window thread only.
#pragma once

#include "convert/appendfile.h"
#include "convert/codepagerules.h"

#include <QObject>
#include <QTimer>

#include <cstdint>

class CCaptureLog : public QObject
{
    Q_OBJECT

public:
    enum class Form
    {
        Raw,
        HexLines,
        TextLines
    };
    static constexpr int kFlushMs = 500;
    static constexpr qsizetype kWriteAhead = 256 * 1024;
    static constexpr std::size_t kHexPerLine = 16;

    explicit CCaptureLog(QObject *parent);
    ~CCaptureLog() override;

    // Opens `path` for appending; an empty result, or the reason it failed.
    QString Open(const QString &path, Form form, bool withSent);
    // Writes what waits and closes; an empty result, or why the rest was lost.
    QString Close();
    // Writes what waits now; false (and the file closed) when it could not.
    bool Flush() { return WritePending(); }
    bool IsOpen() const { return m_file.IsOpen(); }

    void Received(const uint8_t *bytes, std::size_t count) { Add('<', bytes, count); }
    // A write of `bytes` was handed to the port; they are logged at SendDone.
    void Sending(const uint8_t *bytes, std::size_t count);
    // The port reported the write done: `written` false when it failed.
    void SendDone(bool written);
    // A line of its own in the line forms.
    void Note(const QString &text);
    // Text lines keep bytes from 0x80 as they are (GBK), or with a code
    // page's rules only those that form its characters; others are escaped.
    void SetCodePage(const CodePageRules *rules) { m_rules = rules; }

signals:
    // A write failed; the file is closed. `reason` names the file and the error.
    void failed(const QString &reason);

private:
    void Add(char mark, const uint8_t *bytes, std::size_t count);
    void AddHexLines(char mark, const uint8_t *bytes, std::size_t count);
    void AddTextLine(char mark, const uint8_t *bytes, std::size_t count);
    void AppendTimestamp();
    bool WritePending();
    QString Failure(const QString &reason) const;
    QString OpenFailure(CAppendFile::Outcome outcome) const;

    CAppendFile m_file;
    QString m_path;
    Form m_form = Form::Raw;
    bool m_withSent = false;
    QByteArray m_pending;
    QByteArray m_sending; // handed to the port, not yet reported written
    QString m_failure;    // why the last open or write failed
    qint64 m_stampSecond = -1;
    QByteArray m_stampPrefix; // "yyyy-MM-dd HH:mm:ss." of m_stampSecond
    QTimer m_flush;
    const CodePageRules *m_rules = nullptr;
};
