// The file-send state on its own controls: the pass counter across starts
// of multi-pass sends and passes that never complete, and progress only
// while a send runs.
#include "partfixture.h"
#include "view/filesendstate.h"

class TestFileSendState : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_c = std::make_unique<CPartControls>();
        m_state = std::make_unique<CFileSendState>();
        m_state->Attach(nullptr, m_c->label, m_c->counter, nullptr, nullptr);
    }

    // Each start asks for some passes, of which some complete; the counter
    // shown afterwards. Single sends add up; a multi-pass send counts from 0,
    // also after another, and so does the first single send after one.
    void counterAcrossStarts()
    {
        const struct
        {
            int asked, completed;
            const char *shown;
        } starts[] = {{1, 1, "1"}, {1, 1, "2"}, {3, 2, "2"}, {2, 2, "2"}, {1, 0, "0"}, {1, 1, "1"}};
        for (const auto &start : starts) {
            m_state->ApplyCounterResetRule(start.asked);
            for (int pass = 0; pass < start.completed; ++pass)
                m_state->PassDone();
            QCOMPARE(m_c->counter->text(), QString::fromLatin1(start.shown));
        }
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
        QCOMPARE(m_c->counter->text(), QStringLiteral("1"));
    }

private:
    std::unique_ptr<CPartControls> m_c;
    std::unique_ptr<CFileSendState> m_state;
};

QTEST_MAIN(TestFileSendState)
#include "tst_filesendstate.moc"
