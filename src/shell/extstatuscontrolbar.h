// CExtStatusControlBar: a status bar made of numbered panes that can carry child
// controls (the message label, the "Top" check box, the file-send progress bar).
//
// Panes are addressed by identifier (a string-table number or 0 for the message
// pane) and by index from the left. Each pane is a cell widget in the bar's
// permanent area; a control attached to a pane is laid over its cell, so it moves
// and resizes with the pane without further work. The bar owns attached controls:
// deleting a pane, or the bar, destroys them.
//
// The message pane (identifier 0) carries the current status message. SetWindowText
// sets it and clears the error flag; the label repaints on windowTextChanged.
// Status tips that Qt routes through QStatusBar::showMessage (menu prompts) land in
// the message pane in hint colour; when the tip is withdrawn the idle text returns.
#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QString>
#include <cstdint>
#include <vector>

class QLabel;

class CExtStatusControlBar : public QStatusBar
{
    Q_OBJECT

public:
    // Pane style bits, as the platform's status bar numbers them.
    static constexpr uint32_t SBPS_NOBORDERS = 0x00000100;
    static constexpr uint32_t SBPS_DISABLED = 0x04000000;
    static constexpr uint32_t SBPS_STRETCH = 0x08000000;

    explicit CExtStatusControlBar(QWidget *parent = nullptr);
    ~CExtStatusControlBar() override;

    // Replaces all panes by one pane per identifier, as the frame does at creation.
    void SetIndicators(const std::vector<uint32_t> &paneIds);

    // False when index > pane count or a pane with that identifier exists.
    bool InsertPane(uint32_t paneId, int index);
    // False when there is no such pane or it is the only one. Destroys its controls.
    bool DeletePane(uint32_t paneId);
    // False when no pane has that identifier. The bar takes ownership of control.
    bool AttachPaneControl(QWidget *control, uint32_t paneId);
    void ResizePane(int width, int index);
    void LayoutPaneControls();
    void EnablePaneControls(int index, bool enable);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int CommandToIndex(uint32_t paneId) const; // -1 when absent
    uint32_t GetItemID(int index) const;
    uint32_t GetPaneStyle(int index) const;
    int GetPaneWidth(int index) const;
    QString GetPaneText(int index) const;
    bool SetPaneText(int index, const QString &text);
    QRect GetItemRect(int index) const; // in bar coordinates, empty for a bad index

    // Text of the message pane. Returns 0, or -1 when there is no pane 0.
    int SetWindowText(const QString &text);
    QString WindowText() const;

    // True while the message pane shows an error (drawn red), false for a hint.
    bool IsErrorShown() const { return m_bError; }
    void SetErrorShown(bool error);

signals:
    void windowTextChanged();

private:
    struct _STATUSBAR_PANE_
    {
        uint32_t nID = 0;
        int cxText = 0;
        uint32_t nStyle = 0;
        QString strText;
        QLabel *pCell = nullptr;
    };
    struct _STATUSBAR_PANE_CTRL_
    {
        QPointer<QWidget> hWnd;
        uint32_t nID = 0;
        bool bAutoDestroy = true;
    };

    _STATUSBAR_PANE_ MakePane(uint32_t paneId, int index) const;
    void InstallCell(_STATUSBAR_PANE_ &pane, int index);
    void ApplyPaneGeometry(const _STATUSBAR_PANE_ &pane);
    void RefreshCellText(const _STATUSBAR_PANE_ &pane);
    bool HasControls(uint32_t paneId) const;
    int WidestControl(uint32_t paneId) const;
    int TallestControl(uint32_t paneId) const;
    void DestroyPaneControls(uint32_t paneId);
    void DeleteCell(QLabel *cell);
    void OnMessageChanged(const QString &message);

    std::vector<_STATUSBAR_PANE_> m_panes;
    std::vector<_STATUSBAR_PANE_CTRL_> m_controls;
    bool m_bError = false;
    bool m_bShowingTip = false;
};
