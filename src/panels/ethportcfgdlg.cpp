#include "panels/ethportcfgdlg.h"

#include "panels/textfield.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

namespace {

constexpr uint32_t kConnKindIpx = 2;

} // namespace

CEthPortCfgDlg::CEthPortCfgDlg(QWidget *parent)
    : CPortCfgPanel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "网络接口参数")), parent)
{
    BuildControls();
    ShowMembers();
    const tagETHERNET_CFG &stored = PortCfgData().ethernet;
    if (stored.dwMarker == kCfgMarkerValid)
        ShowStoredChoices(stored);
    m_pHost->lineEdit()->setMaxLength(kHostMaxLength);
}

void CEthPortCfgDlg::BuildControls()
{
    auto *grid = new QGridLayout(Group());
    m_pTcpIp = AddRadio(grid, 0, 0, QStringLiteral("TCP/IP"), kEthTcpIpId);
    m_pIpx = AddRadio(grid, 0, 1, QStringLiteral("IPX"), kEthIpxId);
    auto *hostLabel =
        new QLabel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "计算机名或IP地址")), Group());
    hostLabel->setObjectName(PanelControlName(kEthHostLabelId));
    grid->addWidget(hostLabel, 1, 0, 1, 2);
    m_pHost = new QComboBox(Group());
    m_pHost->setObjectName(PanelControlName(kEthHostId));
    m_pHost->setEditable(true);
    m_pHost->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(m_pHost, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "端口号")), Group()),
                    3, 0);
    m_pPort = new QLineEdit(Group());
    m_pPort->setObjectName(PanelControlName(kEthPortId));
    grid->addWidget(m_pPort, 3, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "类型")), Group()), 4,
                    0, 1, 2);
    m_pTcp = AddRadio(grid, 5, 0, QStringLiteral("TCP"), kEthTcpId);
    m_pUdp = AddRadio(grid, 5, 1, QStringLiteral("UDP"), kEthUdpId);
    m_pUdp->setEnabled(false);

    auto *netTypes = new QButtonGroup(this);
    netTypes->addButton(m_pTcpIp);
    netTypes->addButton(m_pIpx);
    auto *protocols = new QButtonGroup(this);
    protocols->addButton(m_pTcp);
    protocols->addButton(m_pUdp);
    connect(m_pTcpIp, &QRadioButton::clicked, this, &CEthPortCfgDlg::OnNetTypeClicked);
    connect(m_pIpx, &QRadioButton::clicked, this, &CEthPortCfgDlg::OnNetTypeClicked);
}

QRadioButton *CEthPortCfgDlg::AddRadio(QGridLayout *grid, int row, int column, const QString &text,
                                       int id)
{
    auto *radio = new QRadioButton(text, Group());
    radio->setObjectName(PanelControlName(id));
    grid->addWidget(radio, row, column);
    return radio;
}

void CEthPortCfgDlg::ShowStoredChoices(const tagETHERNET_CFG &stored)
{
    m_strHost = TextOfField(stored.szHost, sizeof(stored.szHost));
    m_nPort = stored.wPort;
    if (stored.dwConnKind == kConnKindIpx) {
        m_nNetType = Ipx;
        ShowProtocolRadios(false);
    } else {
        m_nNetType = TcpIp;
        m_nProtocol = stored.dwConnKind != 0 ? Udp : Tcp;
    }
    ShowMembers();
}

void CEthPortCfgDlg::ShowMembers()
{
    (m_nNetType == Ipx ? m_pIpx : m_pTcpIp)->setChecked(true);
    (m_nProtocol == Udp ? m_pUdp : m_pTcp)->setChecked(true);
    m_pPort->setText(m_nPort == 0 ? QString() : QString::number(m_nPort));
    m_pHost->setEditText(m_strHost);
}

// One rule for every port text: an empty box is a port not chosen yet (0,
// which the open then reports), anything else must be 1 to 65535. Port 0
// cannot be connected to, and a value above 65535 would silently become
// another port.
CEthPortCfgDlg::PortText CEthPortCfgDlg::ParsePortText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {uint16_t(0), {}};
    bool isNumber = true;
    for (const QChar ch : trimmed)
        isNumber = isNumber && ch >= u'0' && ch <= u'9';
    const qulonglong value = isNumber ? trimmed.toULongLong(&isNumber) : 0;
    if (!isNumber || value == 0 || value > 0xFFFF)
        return {std::nullopt, tr("端口号无效：请输入 1 到 65535 之间的整数。")};
    return {static_cast<uint16_t>(value), {}};
}

bool CEthPortCfgDlg::ReadControls()
{
    m_nNetType = m_pIpx->isChecked() ? Ipx : TcpIp;
    m_nProtocol = m_pUdp->isChecked() ? Udp : Tcp;
    const PortText port = ParsePortText(m_pPort->text());
    if (!port.port) {
        QMessageBox::warning(this, QStringLiteral("Tarvik"), port.error);
        m_pPort->setFocus();
        m_pPort->selectAll();
        return false;
    }
    m_nPort = *port.port;
    m_strHost = m_pHost->currentText();
    return true;
}

void CEthPortCfgDlg::OnNetTypeClicked()
{
    ShowProtocolRadios(!m_pIpx->isChecked());
    ReadControls();
}

void CEthPortCfgDlg::ShowProtocolRadios(bool visible)
{
    m_pTcp->setVisible(visible);
    m_pUdp->setVisible(visible);
}

tagETHERNET_CFG CEthPortCfgDlg::BuildRecord()
{
    ReadControls();
    tagETHERNET_CFG record;
    CopyToTextField(m_strHost, record.szHost, sizeof(record.szHost) - 1);
    record.wPort = m_nPort;
    record.dwConnKind = 0;
    record.dwMarker = kCfgMarkerValid;
    return record;
}

void CEthPortCfgDlg::StoreToBlock()
{
    ReadControls();
    tagETHERNET_CFG &stored = PortCfgData().ethernet;
    // The block keeps all 50 characters the box allows; readers bound the
    // field by its size, not by a terminator.
    CopyToTextField(m_strHost, stored.szHost, sizeof(stored.szHost));
    stored.wPort = m_nPort;
    stored.dwConnKind = m_nNetType == Ipx ? kConnKindIpx : m_nProtocol;
    stored.dwMarker = kCfgMarkerValid;
}
