#include "clirunner.h"

#include <gtest/gtest.h>

namespace {
constexpr int kNoLimit = -1;

void KillIfRunning(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(kNoLimit);
    }
}
} // namespace

CCliRun::CCliRun(const QStringList &args, const QString &workDir, const QString &errorFile)
{
    if (!workDir.isEmpty())
        m_process.setWorkingDirectory(workDir);
    if (!errorFile.isEmpty())
        m_process.setStandardErrorFile(errorFile, QIODevice::Append);
    m_process.start(QStringLiteral(TARVIK_CLI), args);
}

CCliRun::~CCliRun()
{
    KillIfRunning(m_process);
}

void CCliRun::FeedInput(const QByteArray &bytes)
{
    // The test's thread waits in plain calls afterwards, where QProcess
    // writes nothing: hand everything over now.
    m_process.write(bytes);
    while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten(kNoLimit)) {
    }
    m_process.closeWriteChannel();
}

CliOutcome CCliRun::Finish()
{
    CliOutcome outcome;
    if (!m_process.waitForFinished(kNoLimit))
        return outcome;
    if (m_process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = m_process.exitCode();
    outcome.out = m_process.readAllStandardOutput().toStdString();
    outcome.err = m_process.readAllStandardError().toStdString();
    return outcome;
}

CliOutcome RunCli(const QStringList &args, const QString &workDir)
{
    return CCliRun(args, workDir).Finish();
}

void ExpectOutcome(const CliOutcome &outcome, int exitCode, const std::string &errHas)
{
    EXPECT_EQ(outcome.exitCode, exitCode) << outcome.err;
    EXPECT_NE(outcome.err.find(errHas), std::string::npos) << outcome.err;
}

CPrinterSim::CPrinterSim(const QStringList &args)
{
    m_process.start(QStringLiteral(TARVIK_PRINTERSIM), QStringList{"--port", "0"} + args);
    while (!m_process.canReadLine() && m_process.waitForReadyRead(kNoLimit)) {
    }
    m_port = quint16(m_process.readLine().trimmed().toUInt());
}

CPrinterSim::~CPrinterSim()
{
    KillIfRunning(m_process);
}

bool CPrinterSim::Stop()
{
    m_process.terminate();
    return m_process.waitForFinished(kNoLimit) && m_process.exitStatus() == QProcess::NormalExit &&
           m_process.exitCode() == 0;
}
