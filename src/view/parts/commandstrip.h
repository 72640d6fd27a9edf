// CCommandStrip: the user command strip (CUserCommandView) inside group
// 1073: loading the commands from the configuration file, creating the
// strip, passing the mouse wheel to it, and menu command 32776, which edits
// the list in the configuration dialog, saves it and rebuilds the strip.
//
// Window thread only.
#pragma once

#include <QObject>
#include <QRect>

#include <filesystem>
#include <functional>

class CFrameCommands;
class CTextCodePage;
class CUserCommandView;
class QWheelEvent;
class QWidget;

class CCommandStrip : public QObject
{
public:
    // What a button of the strip does with its bytes.
    using SendData = std::function<int(const QByteArray &bytes)>;

    CCommandStrip(const std::filesystem::path &iniPath, CFrameCommands &commands,
                  const CTextCodePage &codePage);

    // Loads the commands, then shows the strip in `group` on `view`. The
    // records are loaded before the strip is shown, so a question about a
    // faulty entry comes up over a window without half-built buttons.
    void Create(QWidget *view, QRect group, SendData send);
    // None before Create.
    CUserCommandView *Strip() const { return m_pStrip; }
    // The wheel anywhere on `view` scrolls the strip while the strip can
    // move in the wheel's direction; false when it cannot.
    bool TakeWheel(QWidget *view, QWheelEvent *event);
    void OnPresetCommands();

private:
    const std::filesystem::path &m_iniPath;
    CFrameCommands &m_commands;
    const CTextCodePage &m_codePage;
    QWidget *m_view = nullptr;
    CUserCommandView *m_pStrip = nullptr; // child window of the view
};
