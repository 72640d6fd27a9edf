// Test support for the view's parts on their own: a shown window holding the
// kinds of controls the view hands its parts. A part's test attaches the
// ones it uses.
#pragma once

#include "shell/extstatuscontrolbar.h"
#include "shell/statusmessenger.h"
#include "view/parts/viewstatus.h"
#include "view/recv/recvview.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include <cstdint>

inline const uint8_t *U8(const char *bytes)
{
    return reinterpret_cast<const uint8_t *>(bytes);
}

struct CPartControls
{
    CPartControls() { window.show(); }
    QWidget window;
    CEditEx *sendBox = new CEditEx(&window);
    CRecvView *recvBox = new CRecvView(&window);
    QLineEdit *edit = new QLineEdit(&window);
    QLineEdit *counter = new QLineEdit(&window);
    QCheckBox *check = new QCheckBox(&window);
    QLabel *label = new QLabel(&window);
    QPushButton *button = new QPushButton(&window);
};

// A frame's status bar with its message routine, and the view's voice in it,
// for a part that tells the user something.
struct CPartStatus
{
    CPartStatus()
    {
        frame.setStatusBar(bar);
        frame.setCentralWidget(new QWidget);
        auto *messenger = new CStatusMessenger(bar, &frame);
        panesSetUp = messenger->SetUpPanes();
        status.SetMessenger(messenger);
    }
    QString Text() const { return bar->WindowText(); }

    QMainWindow frame;
    CExtStatusControlBar *bar = new CExtStatusControlBar(&frame);
    CViewStatus status{&frame};
    bool panesSetUp = false;
};
