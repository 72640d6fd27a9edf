// The "配置用户命令" dialog: the list of user commands in a table, with
// adding (button and popup menu), editing (double-click) and deleting (popup
// menu) of entries through CUserCmdEditDlg.
//
// The caller hands in the rows with SetRows() before exec() and reads Rows()
// after OK. Edits work on a copy that only OK takes over, so after Cancel
// Rows() is what the caller handed in.
#pragma once

#include "convert/codepage.h"

#include <QDialog>
#include <QList>
#include <QString>

class QMenu;
class QPoint;
class QTableWidget;

class CUserCmdCfgDlg : public QDialog
{
    Q_OBJECT

public:
    struct tagUSER_CMD_STR
    {
        QString strName;
        QString strValue; // the bytes in the written value form (usercmdvalue.h)
        bool operator==(const tagUSER_CMD_STR &) const = default;
    };

    static constexpr int kTableId = 1045;
    static constexpr int kAddId = 1046;
    static constexpr int kAddCommandId = 32777;
    static constexpr int kDeleteCommandId = 32778;
    // Longer values are shown as their first kShownValueLength - 1
    // characters and " ...".
    static constexpr int kShownValueLength = 24;

    explicit CUserCmdCfgDlg(QWidget *parent = nullptr);

    void SetRows(const QList<tagUSER_CMD_STR> &rows);
    const QList<tagUSER_CMD_STR> &Rows() const { return m_rows; }
    // The code page of the command editor's text notation.
    void SetCodePage(CodePageId page) { m_codePage = page; }

    void accept() override;

    // Column 2's text for a value.
    static QString ShownValue(const QString &value);

private:
    void BuildControls();
    void FillTable();
    void OnAddCommand();
    void OnEditCommand(int row);
    void OnDeleteCommand();
    void OnContextMenu(const QPoint &pos);
    void BuildPopupMenu(QMenu &menu);

    QTableWidget *m_pTable = nullptr;
    // The row the last double-click or right-click hit; -1 for none.
    int m_nSelItem = -1;
    QList<tagUSER_CMD_STR> m_rows;
    QList<tagUSER_CMD_STR> m_editedRows;
    CodePageId m_codePage = CodePageId::Gbk;
};
