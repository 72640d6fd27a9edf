// CExtStatusBarProgressCtrl: the progress bar of the file-send pane. It moves by
// explicit positions; a timer started on it advances it one step per tick.
#pragma once

#include <QProgressBar>

class CExtStatusBarProgressCtrl : public QProgressBar
{
    Q_OBJECT

public:
    explicit CExtStatusBarProgressCtrl(QWidget *parent = nullptr);

    void SetStep(int step) { m_nStep = step; }
    int GetStep() const { return m_nStep; }
    // Advances by one step, wrapping to the minimum past the maximum.
    void StepIt();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    int m_nStep = 1;
};
