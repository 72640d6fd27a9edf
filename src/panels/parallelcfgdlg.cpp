#include "parallelcfgdlg.h"

#include <QLabel>
#include <QVBoxLayout>

CParallelCfgDlg::CParallelCfgDlg(QWidget *parent)
    : CPortCfgPanel(QStringLiteral("并口参数"), parent)
{
    auto *layout = new QVBoxLayout(Group());
    auto *note = new QLabel(QStringLiteral("并口暂无配置参数"), Group());
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
}
