// tarvik-cli and the printer simulator as child processes of the tests.
#pragma once

#include <QProcess>
#include <QStringList>

#include <string>

struct CliOutcome
{
    int exitCode = -1; // -1: crashed or did not end
    std::string out;
    std::string err;
};

// tarvik-cli while it runs; Finish waits for it (a hang is ctest's time-out).
class CCliRun
{
public:
    // `errorFile`: standard error goes to this file (a terminal, say) instead of a pipe.
    explicit CCliRun(const QStringList &args, const QString &workDir = {},
                     const QString &errorFile = {});
    ~CCliRun();
    // Writes `bytes` to its standard input and closes it.
    void FeedInput(const QByteArray &bytes);
    CliOutcome Finish();

private:
    QProcess m_process;
};

CliOutcome RunCli(const QStringList &args, const QString &workDir = {});

// The test fails unless the run ended with `exitCode` and its standard error holds `errHas`.
void ExpectOutcome(const CliOutcome &outcome, int exitCode, const std::string &errHas);

// tarvik-printersim on a port the system chose.
class CPrinterSim
{
public:
    explicit CPrinterSim(const QStringList &args = {});
    ~CPrinterSim();
    quint16 Port() const { return m_port; }
    QString PortArgument() const { return QStringLiteral("tcp:127.0.0.1:%1").arg(m_port); }
    bool Stop(); // SIGTERM; true when it ended with status 0

private:
    QProcess m_process;
    quint16 m_port = 0;
};
