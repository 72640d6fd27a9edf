// The file-send state on its own controls: the pass counter across starts
// of multi-pass sends and passes that never complete, and progress only
// while a send runs.
#include "partfixture.h"
#include "view/parts/filesendstate.h"

class TestFileSendState : public QObject
{
    Q_OBJECT

private slots:
    // Each start asks for some passes, of which some complete; the counter
    // shown afterwards. Single sends add up; a multi-pass send counts from 0,
    // also after another, and so does the first single send after one.
    void counterAcrossStarts()
    {
        CPartControls c;
        CFileSendState state;
        state.Attach(nullptr, c.label, c.counter, nullptr, nullptr);
        const struct
        {
            int asked, completed;
            const char *shown;
        } starts[] = {{1, 1, "1"}, {1, 1, "2"}, {3, 2, "2"}, {2, 2, "2"}, {1, 0, "0"}, {1, 1, "1"}};
        QStringList shown, expected; // a difference names its start
        for (const auto &start : starts) {
            state.ApplyCounterResetRule(start.asked);
            for (int pass = 0; pass < start.completed; ++pass)
                state.PassDone();
            shown << c.counter->text();
            expected << QString::fromLatin1(start.shown);
        }
        QCOMPARE(shown, expected);
    }

    // Notes queued before a stop arrive after it: progress is no longer
    // shown, but a completed pass still counts.
    void progressOnlyWhileSending()
    {
        CPartControls c;
        CFileSendState state;
        state.Attach(nullptr, c.label, c.counter, nullptr, nullptr);
        QVERIFY(!state.ShowProgress(10));
        state.Started();
        QVERIFY(state.IsSending() && state.ShowProgress(50));
        state.Ended();
        QVERIFY(!state.IsSending() && !state.ShowProgress(60));
        state.PassDone();
        QCOMPARE(c.counter->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestFileSendState)
#include "tst_filesendstate.moc"
