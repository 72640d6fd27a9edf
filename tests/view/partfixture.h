// Test support for the view's parts on their own: a shown window holding the
// kinds of controls the view hands its parts. A part's test attaches the
// ones it uses.
#pragma once

#include "shell/extstatuscontrolbar.h"
#include "shell/statusmessenger.h"
#include "view/parts/viewstatus.h"
#include "view/recv/recvview.h"
#include "widgets/editex.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include <cstdint>
#include <type_traits>
#include <vector>

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

// The parts' test classes share a program per file. A class name as the
// first argument runs that class alone, so that each part is a test of its
// own; the rest goes to Qt Test. The exit status adds up the failures, and
// a name that matches no class fails.
template <class... Tests> int RunPartTests(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const bool chosen = argc > 1 && argv[1][0] != '-';
    std::vector<char *> args{argv[0]};
    args.insert(args.end(), argv + (chosen ? 2 : 1), argv + argc);
    int failed = 0, run = 0;
    const auto runIfChosen = [&]<class Test>(std::type_identity<Test>) {
        if (chosen && qstrcmp(argv[1], Test::staticMetaObject.className()) != 0)
            return;
        ++run;
        Test test; // gone before the next class starts
        failed += QTest::qExec(&test, int(args.size()), args.data());
    };
    (runIfChosen(std::type_identity<Tests>{}), ...);
    return run ? failed : 1;
}
#define TARVIK_PART_TESTS_MAIN(...)                                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        return RunPartTests<__VA_ARGS__>(argc, argv);                                              \
    }
