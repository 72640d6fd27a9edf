// CUserCommandView: the strip of user command buttons between the receive and
// the send area of the main view.
//
// One push button per record, captioned with the record's name, in cells of
// 83 by 30 pixels filling each row from the left; the strip scrolls vertically
// when the rows do not fit. A click hands the record's bytes to whoever
// listens to sendData (the main view, which sends them through its port).
//
// Button k carries the identifier 2700 + k as its object name.
//
// Window thread only.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QList>
#include <QString>

class QPushButton;

class CUserCommandView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    struct tagUSER_CMD_DATA
    {
        QString strName;
        QByteArray data; // the command's bytes; data.size() is the byte count
    };

    static constexpr int kFirstButtonId = 2700;
    static constexpr int kCellWidth = 83;
    static constexpr int kCellHeight = 30;
    static constexpr int kButtonGap = 5; // cell size minus button size
    static constexpr int kButtonTop = 3; // offset of a button inside its row
    static constexpr int kLineStep = 15; // one scroll line

    explicit CUserCommandView(QWidget *parent = nullptr);
    ~CUserCommandView() override;

    // The commands, one per button. Changing them takes effect on screen at
    // the next OnInitialUpdate.
    QList<tagUSER_CMD_DATA> &Records() { return m_records; }
    const QList<tagUSER_CMD_DATA> &Records() const { return m_records; }

    // (Re)builds one button per record, lays them out and scrolls to the top.
    void OnInitialUpdate();

    // Height of the laid-out rows: what the strip scrolls over.
    int ContentHeight() const;
    QList<QPushButton *> Buttons() const { return m_buttons; }

signals:
    // A command button was clicked; `bytes` are the command's bytes (empty
    // for a command without bytes). Emitted synchronously.
    void sendData(const QByteArray &bytes);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void DestroyButtons();
    void OnButtonClicked(int index);
    void LayOut(int clientWidth);

    QWidget *m_content = nullptr; // the buttons' parent, moved to scroll
    QList<QPushButton *> m_buttons;
    QList<tagUSER_CMD_DATA> m_records;
    bool m_bBuilt = false; // layout waits for the first build
};
