// CExtStatusBarButton: the "Top" check box that sits in the status bar. It has no
// behaviour of its own; the frame reacts to its toggles.
#pragma once

#include <QCheckBox>

class CExtStatusBarButton : public QCheckBox
{
public:
    static constexpr int kControlId = 1029; // command sent when it is clicked

    using QCheckBox::QCheckBox;
};
