#include "panels/portcfgpanel.h"

#include "convert/convert.h"
#include "language.h"
#include "panels/ethportcfgdlg.h"
#include "panels/parallelcfgdlg.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "panels/usbcfgdlg.h"

#include <QByteArray>
#include <QVBoxLayout>

#include <memory>
#include <string_view>

CPortCfgPanel::CPortCfgPanel(const QString &groupTitle, QWidget *parent)
    : QWidget(parent), m_pGroup(new QGroupBox(groupTitle, this))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_pGroup);
}

CPortCfgPanel::~CPortCfgPanel() = default;

QString PanelControlName(int id)
{
    return QString::number(id);
}

namespace {
CPortCfgPanel *NewPortCfgPanel(int kind, const PanelProviders &providers, QWidget *parent)
{
    switch (kind) {
    case static_cast<int>(PortKind::Serial):
        return new CSerialCfgDlg(providers, parent);
    case static_cast<int>(PortKind::Parallel):
        return new CParallelCfgDlg(parent);
    case static_cast<int>(PortKind::Usb):
        return new CUsbCfgDlg(providers, parent);
    case static_cast<int>(PortKind::Network):
        return new CEthPortCfgDlg(parent);
    case static_cast<int>(PortKind::Printer):
        return new CPrinterCfgDlg(providers, parent);
    default:
        return nullptr;
    }
}
} // namespace

CPortCfgPanel *CreatePortCfgPanel(int kind, const PanelProviders &providers, QWidget *parent)
{
    CPortCfgPanel *panel = NewPortCfgPanel(kind, providers, parent);
    if (panel)
        Language::TranslateTree(panel);
    return panel;
}

QSize PortCfgPanelsMinimumSize(const PanelProviders &providers, QWidget *parent)
{
    QSize size;
    for (int kind = int(PortKind::Serial); kind <= int(PortKind::Printer); ++kind) {
        const std::unique_ptr<CPortCfgPanel> panel(CreatePortCfgPanel(kind, providers, parent));
        size = size.expandedTo(panel->minimumSizeHint());
    }
    return size;
}

int LeadingDecimal(const QString &text)
{
    // Characters outside Latin-1 become '?', which is neither blank, sign
    // nor digit, so the number read is the same.
    const QByteArray latin1 = text.toLatin1();
    return LeadingDecimalValue(std::string_view(latin1.constData(), std::size_t(latin1.size())));
}
