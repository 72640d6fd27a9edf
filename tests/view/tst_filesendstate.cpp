// The file-send state on its own controls: the pass counter across starts
// of single and multi-pass sends, and progress only while a send runs.
#include "view/filesendstate.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

class TestFileSendState : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_state = std::make_unique<CFileSendState>();
        m_state->Attach(
            nullptr, &m_path, &m_counter, [this] { ++m_shown; }, nullptr);
    }

    // Each start asks for some passes, of which some complete; the counter
    // shown afterwards.
    void counterAcrossStarts()
    {
        const struct
        {
            int asked, completed;
            const char *shown;
        } starts[] = {
            {1, 1, "1"}, {1, 1, "2"}, // single sends add up
            {3, 2, "2"},              // a multi-pass send counts from 0
            {2, 2, "2"},              //
            {1, 1, "1"},              // and so does the first single send after one
            {1, 0, "1"}, {1, 1, "2"}, //
        };
        for (const auto &start : starts) {
            m_state->ApplyCounterResetRule(start.asked);
            for (int pass = 0; pass < start.completed; ++pass)
                m_state->PassDone();
            QCOMPARE(m_counter.text(), QString::fromLatin1(start.shown));
        }
        m_state->ClearCounter();
        QCOMPARE(m_counter.text(), QStringLiteral("0"));
        QVERIFY(m_shown > 0);
    }

    // Notes queued before a stop arrive after it: progress is no longer
    // shown, but a completed pass still counts.
    void progressOnlyWhileSending()
    {
        QVERIFY(!m_state->ShowProgress(10));
        m_state->Started();
        QVERIFY(m_state->IsSending() && m_state->ShowProgress(50));
        m_state->Ended();
        QVERIFY(!m_state->IsSending() && !m_state->ShowProgress(60));
        m_state->PassDone();
        QCOMPARE(m_state->PassesDone(), 1);
    }

    void selectedFileIsShownWhole()
    {
        const QString path = QStringLiteral("/some/folder/printer-job.prn");
        m_state->SetSelectedFile(path);
        QCOMPARE(m_state->SelectedFile(), path);
        QCOMPARE(m_path.toolTip(), path);
    }

private:
    QLabel m_path;
    QLineEdit m_counter;
    std::unique_ptr<CFileSendState> m_state;
    int m_shown = 0;
};

QTEST_MAIN(TestFileSendState)
#include "tst_filesendstate.moc"
