// CPortExtras: the parts of the port column below the file group: the
// serial control lines (CControlLinesBox), "自动重连" (CReconnect) and
// "记录到文件" (CCaptureLog) with the log's form and whether sent bytes are
// logged too.
//
// The view tells the part when the port has opened, is about to close, was
// lost, and when a file transfer ended; the part follows the port through
// CViewPort, opens a lost port again by itself, and tells the user how that
// goes. Its captions keep the view's translation context.
//
// Window thread only.
#pragma once

#include "convert/codepage.h"
#include "viewmessages.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct CViewForm;
class CCaptureLog;
class CControlLinesBox;
class CReconnect;
class CViewPort;
class QCheckBox;
class QLabel;
class QComboBox;
class QPushButton;
class QWidget;

class CPortExtras : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    // What the part asks of the view.
    struct Hooks
    {
        std::function<void(const QString &text, StatusKind kind, int durationMs)> showStatus;
        std::function<QString(const QString &suggestedName)> chooseLogFile; // empty: cancelled
        std::function<void()> closePort; // as the open/close button closes it
        std::function<void()> place;     // the rows changed: place them again
    };

    CPortExtras(CViewPort &port, Hooks hooks);

    // Makes the controls on `view`. The lines are shown for the serial kind
    // of `portKind`, which also tells a reopen what to make; `openClose`
    // says while attempts run.
    void Create(QWidget *view, QComboBox *portKind, QPushButton *openClose);
    // Places the rows from y `top`, at least `width` wide; the least view
    // height that holds them (with the lines shown), nothing before Create.
    std::optional<int> Place(int width, int top);
    // Places the rows below the form's file group; the view's least height
    // grows to hold every row.
    void PlaceInForm(CViewForm &form, QWidget &view);
    // The log's forms in the current language.
    void Retranslate();

    void Opened();  // the open result said the port is usable
    void Closing(); // before the port closes, for any reason
    void Lost(bool transferRunning);
    void TransferEnded(bool failed);
    void OpenFailed();       // the open result of an attempt was a failure
    bool StopReconnecting(); // true when attempts were running

    // Bytes were read: into the log, and they tell that a reopened port held.
    void LogReceived(const uint8_t *bytes, std::size_t count);
    // A write was handed to the port; it is logged once reported done.
    void LogSent(const uint8_t *bytes, std::size_t count);
    void LogSendDone(bool written);
    // A file transfer started or ended: a note in the log's line forms.
    void LogTransfer(const QString &note);
    // The code page of the capture log's text lines.
    void SetLogCodePage(CodePageId page);

private:
    void CreateReconnect(QWidget *view);
    void CreateCaptureLog(QWidget *view);
    QString ReconnectHint(int attempt) const;
    QString QuickLossNote() const;
    bool TryReopen(int attempt);
    void OnCaptureLogToggled(bool on);
    bool OpenCaptureLog(); // false when it failed (and was reported)
    void StopCaptureLog(const QString &reason);
    void ShowLogPath();

    CViewPort &m_port;
    Hooks m_hooks;
    QWidget *m_view = nullptr;
    QComboBox *m_portKind = nullptr;
    QPushButton *m_openClose = nullptr;
    CControlLinesBox *m_pLines = nullptr; // child window of the view
    QCheckBox *m_pReconnectOption = nullptr;
    CReconnect *m_pReconnect = nullptr; // child object of the view
    int m_nReopenUsbDevice = -1;        // the USB device number an attempt waits for
    CCaptureLog *m_pLog = nullptr;      // child object of the view
    QCheckBox *m_pLogOption = nullptr;  // "记录到文件"
    QComboBox *m_pLogForm = nullptr;    // raw, hex lines, text lines
    QCheckBox *m_pLogSent = nullptr;    // sent bytes too
    QLabel *m_pLogPath = nullptr;       // the chosen file's name while logging is on
    QString m_strLogPath;               // the file the user chose
};
