// What the form's controls need at the current font and style: the sizes of
// the right-hand side (layout.h) and the width a caption or a number needs in
// a control. The designed sizes are the least; a larger font makes controls
// larger, never smaller.
#pragma once

#include "view/form/layout.h"

#include <QString>

class QLineEdit;
class QWidget;
struct CViewForm;

namespace FormMetrics {
// Width of a push button whose caption is `text` (mnemonic marks removed).
int ButtonWidth(const QWidget *button, const QString &text);
// Width of a line edit that shows `sample` without scrolling.
int LineEditWidth(const QLineEdit *edit, const QString &sample);
// Height of a control of the form: its own least height, or `designed`.
int Height(const QWidget *control, int designed);

// The sizes of the right-hand side, with the areas starting at `areaLeft`.
ViewLayout::Metrics MeasureAreas(const CViewForm &form, int areaLeft);
} // namespace FormMetrics
