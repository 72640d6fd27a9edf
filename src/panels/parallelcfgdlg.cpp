#include "panels/parallelcfgdlg.h"

#include <QLabel>
#include <QVBoxLayout>

CParallelCfgDlg::CParallelCfgDlg(QWidget *parent)
    : CPortCfgPanel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "并口参数")), parent)
{
    auto *layout = new QVBoxLayout(Group());
    auto *note =
        new QLabel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "并口暂无配置参数")), Group());
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
}
