#include "shell/codepagemenu.h"

#include "language.h"
#include "shell/extstatuscontrolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace {
// The pane has no string of its own: it is as wide as its label.
constexpr uint32_t kCodePagePane = 0xE7F0;
constexpr int kPaneAfterTopBox = 2;

// The pane takes the width of the text its label has when attached.
const char *WidestName(const QFontMetrics &metrics)
{
    const char *widest = "";
    for (const CodePageName &page : CodePageNames()) {
        if (metrics.horizontalAdvance(QLatin1String(page.name)) >
            metrics.horizontalAdvance(QLatin1String(widest)))
            widest = page.name;
    }
    return widest;
}
} // namespace

CCodePageMenu::CCodePageMenu(QMenu *settings, CExtStatusControlBar *bar, QObject *parent)
    : QObject(parent)
{
    QMenu *menu = settings->addMenu(QString());
    menu->setObjectName(QStringLiteral("codePageMenu"));
    Language::SetTranslated(menu, "title", Language::kCaptionContext,
                            QT_TRANSLATE_NOOP("Caption", "文本编码"));
    m_group = new QActionGroup(menu);
    for (const CodePageName &page : CodePageNames()) {
        QAction *action = m_group->addAction(QString::fromLatin1(page.name));
        action->setObjectName(QStringLiteral("codepage_") + QLatin1String(page.name));
        action->setCheckable(true);
        action->setData(static_cast<int>(page.id));
        connect(action, &QAction::triggered, this, [this, id = page.id] { emit chosen(id); });
        menu->addAction(action);
    }
    m_label = new QLabel(bar);
    m_label->setObjectName(QStringLiteral("codePagePane"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setText(QString::fromLatin1(WidestName(m_label->fontMetrics())));
    if (bar->InsertPane(kCodePagePane, std::min(kPaneAfterTopBox, bar->GetCount())))
        bar->AttachPaneControl(m_label, kCodePagePane);
    Show(CodePageId::Gbk);
}

void CCodePageMenu::Show(CodePageId page)
{
    for (QAction *action : m_group->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(page));
    m_label->setText(QString::fromLatin1(NameOfCodePage(page)));
}
