#include "shell/extstatusbarprogressctrl.h"

CExtStatusBarProgressCtrl::CExtStatusBarProgressCtrl(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

void CExtStatusBarProgressCtrl::StepIt()
{
    int next = value() + m_nStep;
    if (next > maximum())
        next = minimum() + (next - maximum() - 1);
    setValue(next);
}

// QObject stops its timers when the control is destroyed.
void CExtStatusBarProgressCtrl::timerEvent(QTimerEvent *)
{
    StepIt();
}
