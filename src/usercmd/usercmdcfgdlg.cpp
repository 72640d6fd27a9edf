#include "usercmd/usercmdcfgdlg.h"

#include "usercmd/usercmdeditdlg.h"
#include "widgets/editex.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kColumnWidths[] = {39, 80, 270};
} // namespace

CUserCmdCfgDlg::CUserCmdCfgDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("配置用户命令"));
    BuildControls();
    resize(430, 300);
}

void CUserCmdCfgDlg::BuildControls()
{
    m_pTable = new QTableWidget(0, 3, this);
    m_pTable->setObjectName(QString::number(kTableId));
    m_pTable->setHorizontalHeaderLabels({tr("序号"), tr("命令名称"), tr("命令内容")});
    m_pTable->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < 3; ++column)
        m_pTable->setColumnWidth(column, kColumnWidths[column]);
    m_pTable->verticalHeader()->hide();
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setShowGrid(true);
    m_pTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pTable, &QWidget::customContextMenuRequested, this, &CUserCmdCfgDlg::OnContextMenu);
    connect(m_pTable, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { OnEditCommand(index.row()); });

    auto *add = new QPushButton(tr("添加(&A)..."), this);
    add->setObjectName(QString::number(kAddId));
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &CUserCmdCfgDlg::OnAddCommand);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CUserCmdCfgDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUserCmdCfgDlg::reject);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(add);
    buttonRow->addStretch();
    buttonRow->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pTable);
    layout->addLayout(buttonRow);
}

void CUserCmdCfgDlg::SetRows(const QList<tagUSER_CMD_STR> &rows)
{
    m_rows = rows;
    m_editedRows = rows;
    m_nSelItem = -1;
    FillTable();
}

void CUserCmdCfgDlg::accept()
{
    m_rows = m_editedRows;
    QDialog::accept();
}

QString CUserCmdCfgDlg::ShownValue(const QString &value)
{
    if (value.size() <= kShownValueLength)
        return value;
    return value.left(kShownValueLength - 1) + QStringLiteral(" ...");
}

void CUserCmdCfgDlg::FillTable()
{
    m_pTable->clearContents();
    m_pTable->setRowCount(int(m_editedRows.size()));
    for (int row = 0; row < m_editedRows.size(); ++row) {
        const tagUSER_CMD_STR &entry = m_editedRows[row];
        m_pTable->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        m_pTable->setItem(row, 1, new QTableWidgetItem(entry.strName));
        m_pTable->setItem(row, 2, new QTableWidgetItem(ShownValue(entry.strValue)));
    }
}

void CUserCmdCfgDlg::OnAddCommand()
{
    CUserCmdEditDlg edit(this);
    edit.ContentBox()->SetCodePage(m_codePage);
    if (edit.exec() == QDialog::Accepted)
        m_editedRows.append({edit.m_strName, edit.m_strContent});
    FillTable();
}

void CUserCmdCfgDlg::OnEditCommand(int row)
{
    m_nSelItem = row;
    if (row < 0 || row >= m_editedRows.size())
        return;
    CUserCmdEditDlg edit(this);
    edit.ContentBox()->SetCodePage(m_codePage);
    edit.m_strName = m_editedRows[row].strName;
    edit.m_strContent = m_editedRows[row].strValue;
    if (edit.exec() != QDialog::Accepted)
        return;
    m_editedRows[row] = {edit.m_strName, edit.m_strContent};
    FillTable();
}

void CUserCmdCfgDlg::OnDeleteCommand()
{
    if (m_nSelItem < 0 || m_nSelItem >= m_editedRows.size())
        return;
    m_editedRows.removeAt(m_nSelItem);
    FillTable();
    m_nSelItem = -1;
}

// `pos` is in the table's viewport. A menu asked for from the keyboard comes
// at the current row, so it acts on that row.
void CUserCmdCfgDlg::OnContextMenu(const QPoint &pos)
{
    m_nSelItem = m_pTable->indexAt(pos).row();
    QMenu menu(this);
    BuildPopupMenu(menu);
    menu.exec(m_pTable->viewport()->mapToGlobal(pos));
}

void CUserCmdCfgDlg::BuildPopupMenu(QMenu &menu)
{
    QAction *add = menu.addAction(tr("添加命令..."), this, &CUserCmdCfgDlg::OnAddCommand);
    add->setObjectName(QString::number(kAddCommandId));
    QAction *remove = menu.addAction(tr("删除"), this, &CUserCmdCfgDlg::OnDeleteCommand);
    remove->setObjectName(QString::number(kDeleteCommandId));
    remove->setEnabled(m_nSelItem >= 0);
}
