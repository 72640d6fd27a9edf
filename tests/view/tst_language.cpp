// The two languages: the start-up choice, every caption of the window and its
// dialogs in English, and a switch while a port is open.
#include "viewsandbox.h"

#include "language.h"
#include "shell/aboutdlg.h"
#include "shell/findtextdlg.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdeditdlg.h"

#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {
bool HasCjk(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF) ||
               (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF);
    });
}

QString Describe(const QObject *object, const QString &text)
{
    return QStringLiteral("%1 \"%2\": %3")
        .arg(QString::fromLatin1(object->metaObject()->className()), object->objectName(), text);
}

// Texts a widget shows besides its caption properties: list items and headers.
QStringList ItemTexts(const QObject *object)
{
    QStringList texts;
    if (auto *combo = qobject_cast<const QComboBox *>(object))
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    if (auto *table = qobject_cast<const QTableWidget *>(object))
        for (int i = 0; i < table->columnCount(); ++i)
            if (table->horizontalHeaderItem(i))
                texts << table->horizontalHeaderItem(i)->text();
    return texts;
}

// Every caption under `root` that still holds Chinese, named by class and
// object; but the language menu names each language in its own language.
QStringList ChineseCaptions(const QObject *root)
{
    QList<const QObject *> objects{root};
    for (const QObject *child : root->findChildren<QObject *>())
        objects << child;
    QStringList found;
    for (const QObject *object : objects) {
        QStringList texts = ItemTexts(object);
        for (const char *property : {"text", "title", "windowTitle", "placeholderText", "toolTip"})
            if (object->property(property).typeId() == QMetaType::QString)
                texts << object->property(property).toString();
        for (const QString &text : texts)
            if (HasCjk(text))
                found << Describe(object, text);
    }
    found.removeIf([](const QString &entry) {
        return entry.contains(QStringLiteral("Language / 语言")) ||
               entry.contains(QStringLiteral("language_zh"));
    });
    return found;
}

// The texts among `texts` whose mnemonic another text has too.
QStringList MnemonicClashes(const QStringList &texts)
{
    QMap<QKeySequence, QString> seen;
    QStringList clashes;
    for (const QString &text : texts) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            clashes << seen[key] + QStringLiteral(" / ") + text;
        seen[key] = text;
    }
    return clashes;
}
} // namespace

class TestLanguage : public CViewTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        Language::Apply(QString::fromLatin1(Language::kChinese));
        qunsetenv(Language::kEnvVariable);
        CViewTestCase::cleanup();
    }

    void localeChoosesLanguage()
    {
        for (const QString zh : {"zh_CN", "zh_TW", "zh_HK", "C", "POSIX"})
            QCOMPARE(std::pair(zh, Language::ForLocale(zh)), std::pair(zh, QStringLiteral("zh")));
        for (const QString en : {"en_US", "en_GB", "de_DE", "ja_JP", "fr_FR"})
            QCOMPARE(std::pair(en, Language::ForLocale(en)), std::pair(en, QStringLiteral("en")));
    }

    void pinBeatsChoiceBeatsLocale()
    {
        Language::Choose(QStringLiteral("en"));
        qunsetenv(Language::kEnvVariable);
        QCOMPARE(Language::AtStart(), QStringLiteral("en"));
        qputenv(Language::kEnvVariable, "zh");
        QCOMPARE(Language::AtStart(), QStringLiteral("zh"));
        Language::Choose(QStringLiteral("zh"));
        qputenv(Language::kEnvVariable, "en");
        QCOMPARE(Language::AtStart(), QStringLiteral("en"));
    }

    void englishWindowShowsNoChinese()
    {
        Language::Apply(QStringLiteral("en"));
        Start();
        CMainFrame &frame = m_framed->Frame();
        QStringList found;
        for (PortKind kind : kAllKinds) {
            m_framed->SelectKind(kind);
            found << ChineseCaptions(&frame);
        }
        frame.OnEditFind();
        QVERIFY(frame.FindDialog());
        found << ChineseCaptions(frame.FindDialog())
              << ChineseCaptions(std::make_unique<CAboutDlg>(&frame).get())
              << ChineseCaptions(std::make_unique<CUserCmdCfgDlg>(&frame).get())
              << ChineseCaptions(std::make_unique<CUserCmdEditDlg>(&frame).get());
        if (HasCjk(frame.StatusBar()->WindowText()))
            found << Describe(frame.StatusBar(), frame.StatusBar()->WindowText());
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("\n"))));
    }

    // Captions follow each switch; a text the code has changed since, and what
    // the user typed, stay as they are.
    void captionsFollowUnlessChangedSince()
    {
        QWidget window;
        auto *caption = new QLabel(QStringLiteral("接收区"), &window);
        auto *changed = new QPushButton(QStringLiteral("发送区"), &window);
        auto *typed = new QLineEdit(QStringLiteral("接收区"), &window);
        Language::TranslateTree(&window);
        Language::Apply(QStringLiteral("en"));
        QTRY_COMPARE(caption->text(), QStringLiteral("Receive"));
        QCOMPARE(changed->text(), QStringLiteral("Send"));
        changed->setText(QStringLiteral("12 %"));
        Language::Apply(QStringLiteral("zh"));
        QTRY_COMPARE(caption->text(), QStringLiteral("接收区"));
        QCOMPARE(changed->text(), QStringLiteral("12 %"));
        QCOMPARE(typed->text(), QStringLiteral("接收区"));
    }

    // Alt+letter reaches one thing only: the menu bar's menus and the window's
    // buttons share the window's mnemonics, each menu's items their menu's.
    void mnemonicsAreUniqueInBothLanguages()
    {
        for (const QString language : {"zh", "en"}) {
            Language::Apply(language);
            Start();
            CMainFrame &frame = m_framed->Frame();
            QStringList window;
            for (const QAction *menu : frame.menuBar()->actions())
                window << menu->text();
            for (const QAbstractButton *button :
                 m_framed->View()->findChildren<QAbstractButton *>())
                window << button->text();
            QStringList clashes = MnemonicClashes(window);
            for (const QMenu *menu : frame.menuBar()->findChildren<QMenu *>()) {
                QStringList items;
                for (const QAction *action : menu->actions())
                    items << action->text();
                clashes << MnemonicClashes(items);
            }
            QVERIFY2(clashes.isEmpty(), qPrintable(language + u'\n' + clashes.join(u'\n')));
            QCOMPARE(QKeySequence::mnemonic(Button(ViewId::kSend)->text()),
                     QKeySequence(Qt::ALT | Qt::Key_S));
        }
    }

    // Qt's own buttons speak the window's language.
    void standardButtonsFollowTheLanguage()
    {
        for (const auto &[language, yes] : {std::pair{"zh", "是"}, {"en", "Yes"}}) {
            Language::Apply(QString::fromLatin1(language));
            QMessageBox box(QMessageBox::Question, QString(), QString(),
                            QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&').section(u'(', 0, 0),
                     QString::fromUtf8(yes));
        }
    }

    // Every caption follows at once, in both directions, and the menu shows the choice.
    void switchingTranslatesTheOpenWindow()
    {
        Start();
        CMainFrame &frame = m_framed->Frame();
        QAction *english = frame.findChild<QAction *>(QStringLiteral("language_en"));
        QVERIFY(english);
        QCOMPARE(frame.StatusBar()->WindowText(), ViewText::kReady);
        english->trigger(); // windows hear of it through a posted event
        QTRY_COMPARE(m_framed->OpenButton()->text(), QStringLiteral("Open port"));
        QCOMPARE(frame.StatusBar()->WindowText(), QStringLiteral("Ready"));
        QCOMPARE(Find<QGroupBox>(ViewId::kRecvGroup)->title(), QStringLiteral("Receive"));
        QCOMPARE(frame.menuBar()->actions().first()->text(), QStringLiteral("&File"));
        QCOMPARE(Find<QComboBox>(ViewId::kPortKind)->itemText(0), QStringLiteral("Serial"));
        QVERIFY2(ChineseCaptions(&frame).isEmpty(),
                 qPrintable(ChineseCaptions(&frame).join(u'\n')));
        QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarvik"),
                           QStringLiteral("Settings"))
                     .value(QLatin1String(Language::kSettingsKey)),
                 QVariant(QStringLiteral("en")));
        frame.findChild<QAction *>(QStringLiteral("language_zh"))->trigger();
        QTRY_COMPARE(m_framed->OpenButton()->text(), ViewText::kOpenCaption);
        QCOMPARE(frame.StatusBar()->WindowText(), ViewText::kReady);
        QVERIFY(!english->isChecked());
    }

    void switchingKeepsPortBoxesAndHistory()
    {
        OpenAgainstPeer();
        PeerSends("reply 1\r\n");
        QTRY_VERIFY(RecvBox()->WholeText().contains(QStringLiteral("reply 1")));
        SendBox()->setPlainText(QStringLiteral("ping 中文"));
        const QString received = RecvBox()->WholeText();

        Language::Choose(QStringLiteral("en"));
        QTRY_COMPARE(m_framed->OpenButton()->text(), QStringLiteral("Close port"));
        QVERIFY(m_framed->View()->HasPort());
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("ping 中文"));
        QCOMPARE(RecvBox()->WholeText(), received);
        PeerSends("reply 2\r\n");
        QTRY_VERIFY(RecvBox()->WholeText().contains(QStringLiteral("reply 2")));
        QVERIFY(RecvBox()->WholeText().startsWith(received));
        Click(ViewId::kSend);
        QTRY_VERIFY(m_peer->bytesAvailable() > 0);
        QVERIFY(m_peer->readAll().startsWith("ping "));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
