// Every caption of the main window and of each settings panel fits its
// control, in both languages (chosen at start or switched to), at the
// application's font and at one and a half times its size, with the window at
// its least size; and every caption of the dialogs at their first size.
#include "viewsandbox.h"

#include "language.h"
#include "shell/aboutdlg.h"
#include "shell/findtextdlg.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdeditdlg.h"

#include <QGroupBox>
#include <QStyleOptionComboBox>

namespace {
PanelProviders LongNames()
{
    PanelProviders providers;
    providers.usbDevices = [] { return std::vector<int>{0, 12}; };
    providers.printers = [] { return QStringList{QStringLiteral("Office_Laser_4200_PCL6")}; };
    providers.devicePath = [](const QString &name) {
        return QStringLiteral("/dev/ttyUSB%1").arg(name.mid(3));
    };
    return providers;
}

// The width the text of `w` needs; 0 for a control measured otherwise.
int NeededWidth(const QWidget *w)
{
    const auto metric = [w](QStyle::PixelMetric m) {
        return w->style()->pixelMetric(m, nullptr, w);
    };
    if (auto *push = qobject_cast<const QPushButton *>(w))
        return w->fontMetrics().horizontalAdvance(QString(push->text()).remove(u'&')) +
               2 * metric(QStyle::PM_ButtonMargin);
    if (auto *label = qobject_cast<const QLabel *>(w); label && label->wordWrap())
        return 0;
    if (w->inherits("QAbstractButton") || w->inherits("QLabel"))
        return w->sizeHint().width();
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return w->fontMetrics().horizontalAdvance(edit->text()) +
               2 * metric(QStyle::PM_DefaultFrameWidth);
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return w->fontMetrics().horizontalAdvance(group->title());
    return 0;
}

// The first item of `combo` its edit field cuts, or nothing.
QString ComboProblem(const QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    const int room =
        combo->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .width();
    for (int i = 0; i < combo->count(); ++i)
        if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) > room)
            return combo->itemText(i);
    return {};
}

QString WidthProblem(const QWidget *w)
{
    if (auto *combo = qobject_cast<const QComboBox *>(w))
        return ComboProblem(combo);
    const int need = NeededWidth(w);
    return w->width() < need ? QStringLiteral("needs %1").arg(need) : QString();
}

// The controls under `root` whose text is cut, with what they lack.
QStringList Clipped(const QWidget *root)
{
    QStringList clipped;
    for (const QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || w->inherits("QAbstractScrollArea") ||
            w->parentWidget()->inherits("QComboBox"))
            continue;
        const bool control = w->inherits("QAbstractButton") || w->inherits("QComboBox") ||
                             w->inherits("QLineEdit") || w->inherits("QLabel");
        QString problem = WidthProblem(w);
        if (problem.isEmpty() && control && w->height() < w->minimumSizeHint().height())
            problem = QStringLiteral("height %1").arg(w->height());
        if (!problem.isEmpty())
            clipped << QStringLiteral("%1 \"%2 in %3\": %4")
                           .arg(QLatin1String(w->metaObject()->className()), w->objectName(),
                                QLatin1String(w->parentWidget()->metaObject()->className()),
                                problem);
    }
    return clipped;
}
} // namespace

class TestViewForm : public CViewTestCase
{
    Q_OBJECT

private slots:
    void init()
    {
        CViewTestCase::init();
        m_font = QApplication::font();
    }
    void cleanup()
    {
        CViewTestCase::cleanup();
        Language::Apply(QString::fromLatin1(Language::kChinese));
        QApplication::setFont(m_font);
    }

    // A serial panel whose device names grew after the start widens the
    // window while it is shown, and only then.
    void theWindowGivesBackTheWidthAPanelTook()
    {
        Start();
        CMainFrame &frame = m_framed->Frame();
        m_framed->SelectKind(PortKind::Network);
        const int narrow = frame.width();
        m_framed->View()->SetPanelProviders(LongNames());
        for (int round = 0; round < 2; ++round) {
            m_framed->SelectKind(PortKind::Serial);
            QTRY_VERIFY(frame.width() > narrow);
            QVERIFY(m_framed->Panel()->width() >= m_framed->Panel()->minimumSizeHint().width());
            m_framed->SelectKind(PortKind::Network);
            QTRY_COMPARE(frame.width(), narrow);
            QCOMPARE(frame.minimumWidth(), narrow);
        }
    }

    void captionsFitAtTheLeastWindowSize_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("startIn");
        QTest::addColumn<QString>("language"); // switched to while the window is open
        const QString zh = QString::fromLatin1(Language::kChinese);
        const QString en = QString::fromLatin1(Language::kEnglish);
        for (double scale : {1.0, 1.5})
            for (const auto &[start, shown] : {std::pair{zh, zh}, {en, en}, {zh, en}, {en, zh}})
                QTest::addRow("%s then %s, font x%.1f", qPrintable(start), qPrintable(shown), scale)
                    << scale << start << shown;
    }
    void captionsFitAtTheLeastWindowSize()
    {
        QFETCH(double, scale);
        QFETCH(QString, startIn);
        QFETCH(QString, language);
        Language::Apply(startIn);
        QFont font = m_font;
        font.setPointSizeF(m_font.pointSizeF() * scale);
        QApplication::setFont(font);
        Start({}, LongNames());
        Language::Apply(language);
        QCoreApplication::processEvents(); // the windows hear of it through posted events
        CMainFrame &frame = m_framed->Frame();
        frame.resize(frame.minimumSize());
        QTRY_COMPARE(frame.size(), frame.minimumSize());
        for (int id : {ViewId::kRecvCount, ViewId::kSendCount})
            Find<QLineEdit>(id)->setText(QStringLiteral("2147483647"));
        for (PortKind kind : kAllKinds) {
            m_framed->SelectKind(kind);
            QCoreApplication::processEvents();
            const QStringList clipped = Clipped(&frame);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        }
    }

    void dialogCaptionsFit()
    {
        for (const char *language : {Language::kChinese, Language::kEnglish}) {
            Language::Apply(QString::fromLatin1(language));
            CAboutDlg about;
            CFindTextDlg find;
            CUserCmdCfgDlg commands;
            CUserCmdEditDlg edit;
            for (QDialog *dialog :
                 std::initializer_list<QDialog *>{&about, &find, &commands, &edit}) {
                dialog->show();
                QVERIFY(QTest::qWaitForWindowExposed(dialog));
                const QStringList clipped = Clipped(dialog);
                QVERIFY2(clipped.isEmpty(), qPrintable(language + QStringLiteral(": ") +
                                                       clipped.join(QStringLiteral("; "))));
            }
        }
    }

private:
    QFont m_font;
};

QTEST_MAIN(TestViewForm)
#include "tst_viewform.moc"
