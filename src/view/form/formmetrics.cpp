#include "view/form/formmetrics.h"

#include "stringtable.h"
#include "view/form/viewform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <initializer_list>

namespace FormMetrics {
namespace {
// The largest value a counter can show.
const QString kCounterSample = QStringLiteral("2147483647");
// An interval of five digits is more than anyone types.
const QString kIntervalSample = QStringLiteral("99999");
// QLineEdit keeps two pixels on each side of its text, and one for the caret.
constexpr int kLineEditTextMargins = 5;

int WidestHint(std::initializer_list<const QWidget *> controls, int designed)
{
    int width = designed;
    for (const QWidget *control : controls)
        width = std::max(width, control->sizeHint().width());
    return width;
}

int TallestHint(std::initializer_list<const QWidget *> controls, int designed)
{
    int height = designed;
    for (const QWidget *control : controls)
        height = std::max(height, Height(control, designed));
    return height;
}

int ColumnButtonWidth(const CViewForm &f, int designed)
{
    int width = designed;
    for (const QPushButton *b : {f.pauseRecv, f.saveRecv, f.copyToSend, f.clearRecv, f.prevPage,
                                 f.nextPage, f.loadFile, f.saveSend, f.clearSend, f.send})
        width = std::max(width, ButtonWidth(b, b->text()));
    // Both captions of the pause button, and a page label of two-digit numbers.
    width = std::max(width, ButtonWidth(f.pauseRecv, LoadString(IDS_CONTINUE_RECEIVE)));
    const QString pages =
        QString::asprintf(LoadString(IDS_PAGE_LABEL).toUtf8().constData(), 88, 88);
    return std::max(width, f.pageLabel->fontMetrics().horizontalAdvance(pages) + 4);
}
} // namespace

int ButtonWidth(const QWidget *button, const QString &text)
{
    const QStyle *style = button->style();
    const int padding = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    return button->fontMetrics().horizontalAdvance(QString(text).remove(u'&')) + padding;
}

int LineEditWidth(const QLineEdit *edit, const QString &sample)
{
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    return edit->fontMetrics().horizontalAdvance(sample) + 2 * frame + kLineEditTextMargins;
}

int Height(const QWidget *control, int designed)
{
    return std::max(designed, control->minimumSizeHint().height());
}

ViewLayout::Metrics MeasureAreas(const CViewForm &f, int areaLeft)
{
    ViewLayout::Metrics m;
    m.areaLeft = std::max(m.areaLeft, areaLeft);
    m.captionHeight = std::max(m.captionHeight, f.recvGroup->fontMetrics().height() + 1);
    m.rowHeight = TallestHint({f.countRecv, f.recvCount, f.clearRecvCount, f.hexRecv, f.autoSend,
                               f.autoInterval, f.autoUnit},
                              m.rowHeight);
    m.buttonHeight = Height(f.pauseRecv, m.buttonHeight);
    m.labelHeight = Height(f.pageLabel, m.labelHeight);
    m.buttonWidth = ColumnButtonWidth(f, m.buttonWidth);
    m.countWidth = WidestHint({f.countRecv, f.countSend}, m.countWidth);
    m.counterWidth = std::max(m.counterWidth, LineEditWidth(f.recvCount, kCounterSample));
    m.clearWidth = std::max(m.clearWidth, ButtonWidth(f.clearRecvCount, f.clearRecvCount->text()));
    m.autoSendWidth = WidestHint({f.autoSend}, m.autoSendWidth);
    m.intervalWidth = std::max(m.intervalWidth, LineEditWidth(f.autoInterval, kIntervalSample));
    m.unitWidth = WidestHint({f.autoUnit}, m.unitWidth);
    m.hexWidth = WidestHint({f.hexRecv, f.hexSend}, m.hexWidth);
    m.timesWidth = WidestHint({f.recvTimes}, m.timesWidth);
    return m;
}
} // namespace FormMetrics
