// The main view's form: every control in its place, named by its id, with its text.
#include "tarvikview.h"
#include "viewids.h"
#include "viewsandbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {
template <typename Control> Control *Find(const QWidget &view, int id)
{
    return view.findChild<Control *>(ViewId::Name(id), Qt::FindDirectChildrenOnly);
}

QString TextOf(const QWidget *control)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    return {};
}
} // namespace

class TestViewForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlTexts_data();
    void controlTexts();
    void portKindList();
    void startStates();
    void layoutWaitsForStartupTimer();
    void resizeKeepsPortColumn();

private:
    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CTarvikView> m_view;
};

void TestViewForm::init()
{
    m_sandbox = std::make_unique<CViewSandbox>();
    m_view = std::make_unique<CTarvikView>();
    m_view->resize(608, 400);
    m_view->show();
}

void TestViewForm::cleanup()
{
    m_view.reset();
    m_sandbox.reset();
}

void TestViewForm::controlTexts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    const QList<std::pair<int, const char *>> rows = {
        {ViewId::kOpenClose, "打开端口"},
        {ViewId::kSend, "发送(&S)"},
        {ViewId::kSendFile, "发送"},
        {ViewId::kStopFile, "停止"},
        {ViewId::kSelectFile, "选择文件"},
        {ViewId::kFileRepeat, "1"},
        {ViewId::kFileInterval, "0"},
        {ViewId::kFileCounter, "0"},
        {ViewId::kClearFileCounter, "C"},
        {ViewId::kFilePath, ""},
        {ViewId::kRecvGroup, "接收区"},
        {ViewId::kCmdGroup, "预设命令"},
        {ViewId::kSendGroup, "发送区"},
        {ViewId::kCountRecv, "接收计数"},
        {ViewId::kRecvCount, "0"},
        {ViewId::kClearRecvCount, "C"},
        {ViewId::kHexRecv, "Hex"},
        {ViewId::kCountSend, "发送计数"},
        {ViewId::kSendCount, "0"},
        {ViewId::kClearSendCount, "C"},
        {ViewId::kAutoSend, "自动发送：间隔"},
        {ViewId::kAutoInterval, "1000"},
        {ViewId::kAutoUnit, "ms"},
        {ViewId::kHexSend, "Hex"},
        {ViewId::kPauseRecv, "暂停接收"},
        {ViewId::kSaveRecv, "保存内容"},
        {ViewId::kCopyToSend, "复制到发送"},
        {ViewId::kClearRecv, "清空接收"},
        {ViewId::kPrevPage, "上一页(&B)"},
        {ViewId::kNextPage, "下一页(&N)"},
        {ViewId::kLoadFile, "装载文件"},
        {ViewId::kSaveSend, "保存内容"},
        {ViewId::kClearSend, "清空发送"},
        {ViewId::kPageLabel, "页数: 1/1"},
    };
    for (const auto &[id, text] : rows)
        QTest::addRow("%d", id) << id << QString::fromUtf8(text);
}

void TestViewForm::controlTexts()
{
    QFETCH(int, id);
    QWidget *control = Find<QWidget>(*m_view, id);
    QVERIFY2(control, "no control with that id");
    QTEST(TextOf(control), "text");
}

void TestViewForm::portKindList()
{
    auto *kinds = Find<QComboBox>(*m_view, ViewId::kPortKind);
    QVERIFY(kinds);
    const QStringList expected = {"串行接口", "并行接口", "USB接口", "网络接口", "驱动接口"};
    QStringList shown;
    for (int i = 0; i < kinds->count(); ++i)
        shown << kinds->itemText(i);
    QCOMPARE(shown, expected);
    QCOMPARE(kinds->currentIndex(), 0);
    QVERIFY(!kinds->isEditable());
}

// Closed state: open enabled, send and file sending disabled; the boxes exist.
void TestViewForm::startStates()
{
    QVERIFY(Find<QPushButton>(*m_view, ViewId::kOpenClose)->isEnabled());
    QVERIFY(!Find<QPushButton>(*m_view, ViewId::kSend)->isEnabled());
    QVERIFY(!Find<QPushButton>(*m_view, ViewId::kSendFile)->isEnabled());
    QVERIFY(!Find<QPushButton>(*m_view, ViewId::kStopFile)->isEnabled());
    QVERIFY(Find<QPlainTextEdit>(*m_view, ViewId::kRecvBox)->isReadOnly());
    QVERIFY(!Find<QPlainTextEdit>(*m_view, ViewId::kSendBox)->isReadOnly());
    QVERIFY(Find<QLineEdit>(*m_view, ViewId::kRecvCount)->isReadOnly());
    QVERIFY(Find<QLineEdit>(*m_view, ViewId::kFileCounter)->isReadOnly());
}

// Nothing is placed before the start-up tick; then the areas follow the layout.
void TestViewForm::layoutWaitsForStartupTimer()
{
    auto *recvGroup = Find<QGroupBox>(*m_view, ViewId::kRecvGroup);
    QCOMPARE(m_view->Splitter1Pos(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_view->Splitter1Pos() != 0, 2000);
    // Designed tops 120 and 175 on a 400-pixel form.
    QCOMPARE(m_view->Splitter1Pos(), 120);
    QCOMPARE(m_view->Splitter2Pos(), 175);
    QCOMPARE(recvGroup->geometry(), QRect(152, 0, 454, 120));
    QCOMPARE(Find<QPushButton>(*m_view, ViewId::kSend)->geometry(), QRect(538, 344, 65, 47));
    QCOMPARE(m_view->findChild<QWidget *>("1072")->geometry(), QRect(152, 120, 454, 5));
}

void TestViewForm::resizeKeepsPortColumn()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_view->Splitter1Pos() != 0, 2000);
    auto *open = Find<QPushButton>(*m_view, ViewId::kOpenClose);
    const QRect before = open->geometry();
    m_view->resize(900, 800);
    QCOMPARE(open->geometry(), before);
    // Shares kept: 120 / 400 of 800, (400 - 175) / 400 of 800.
    QCOMPARE(m_view->Splitter1Pos(), 240);
    QCOMPARE(m_view->Splitter2Pos(), 350);
    QCOMPARE(Find<QPlainTextEdit>(*m_view, ViewId::kSendBox)->geometry(),
             QRect(155, 365, 673, 410));
}

QTEST_MAIN(TestViewForm)
#include "tst_viewform.moc"
