#include "usercmd/usercmdeditdlg.h"

#include "stringtable.h"
#include "usercmd/usercmdvalue.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

CUserCmdEditDlg::CUserCmdEditDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("详细内容"));
    BuildControls();
    resize(360, 265);
}

void CUserCmdEditDlg::BuildControls()
{
    m_pName = new QLineEdit(this);
    m_pName->setObjectName(QString::number(kNameId));
    m_pContent = new CEditEx(this);
    m_pContent->setObjectName(QString::number(kContentId));
    m_pContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pHex = new QCheckBox(QStringLiteral("Hex"), this);
    m_pHex->setObjectName(QString::number(kHexId));
    connect(m_pHex, &QCheckBox::clicked, this, &CUserCmdEditDlg::OnHexClicked);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CUserCmdEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUserCmdEditDlg::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("命令名称："), this), 0, 0);
    grid->addWidget(m_pName, 0, 1);
    grid->addWidget(new QLabel(tr("命令内容："), this), 1, 0, Qt::AlignTop);
    grid->addWidget(m_pContent, 1, 1);
    grid->addWidget(m_pHex, 2, 0);
    grid->addWidget(buttons, 2, 1);
}

int CUserCmdEditDlg::exec()
{
    m_pName->setText(m_strName);
    m_pContent->setPlainText(m_strContent);
    m_pContent->m_bHex = true;
    m_pHex->setChecked(true);
    return QDialog::exec();
}

// With Ctrl held the box only changes how the text is read from now on, so
// text typed in the wrong mode can be taken as it stands.
void CUserCmdEditDlg::OnHexClicked(bool checked)
{
    if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
        m_pContent->m_bHex = checked;
    } else if (!m_pContent->SetHexMode(checked)) {
        m_pHex->setChecked(m_pContent->m_bHex);
        ShowMessage(IDS_HEX_INPUT_ERROR);
    }
    m_pContent->setFocus();
}

void CUserCmdEditDlg::accept()
{
    const QString name = m_pName->text().trimmed();
    if (name.isEmpty()) {
        ShowMessage(IDS_CMD_NAME_REQUIRED);
        return;
    }
    if (m_pContent->toPlainText().isEmpty()) {
        ShowMessage(IDS_CMD_VALUE_REQUIRED);
        return;
    }
    ByteString bytes;
    const ConvResult count = m_pContent->GetData(bytes);
    if (IsConvError(count)) {
        // Selected first, so the message can point at it.
        m_pContent->HighlightInputError(count);
        ShowMessage(IDS_HEX_INPUT_ERROR);
        m_pContent->setFocus();
        return;
    }
    m_strName = name;
    m_strContent = count > 0 ? UserCmdValueFromBytes(bytes.bytes()) : QString();
    QDialog::accept();
}

void CUserCmdEditDlg::ShowMessage(unsigned stringId)
{
    QMessageBox::warning(this, LoadString(IDR_MAINFRAME), LoadString(stringId));
}
