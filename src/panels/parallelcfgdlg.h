// The parallel port's panel: the port has nothing to set up yet, and the
// view always opens LPT1.
#pragma once

#include "panels/portcfgpanel.h"

class CParallelCfgDlg : public CPortCfgPanel
{
    Q_OBJECT

public:
    explicit CParallelCfgDlg(QWidget *parent = nullptr);
};
