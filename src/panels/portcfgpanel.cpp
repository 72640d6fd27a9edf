#include "portcfgpanel.h"

#include "ethportcfgdlg.h"
#include "parallelcfgdlg.h"
#include "printercfgdlg.h"
#include "serialcfgdlg.h"
#include "usbcfgdlg.h"

#include <QVBoxLayout>

#include <algorithm>
#include <climits>

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

CPortCfgPanel *CreatePortCfgPanel(int kind, const PanelProviders &providers, QWidget *parent)
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

int LeadingDecimal(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        // Saturate like strtol instead of overflowing on long digit runs.
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL + INT_MAX);
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
