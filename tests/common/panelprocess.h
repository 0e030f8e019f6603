#pragma once

#include <QProcess>
#include <QTest>

// mirvane-panel running for one test: started with its options, serving a
// pseudo-terminal whose path it prints first.
class PanelProcess
{
public:
    explicit PanelProcess(const QStringList &arguments)
    {
        m_process.setProgram(QStringLiteral(MIRVANE_PANEL));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(5000);
        m_port = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~PanelProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    PanelProcess(const PanelProcess &) = delete;
    PanelProcess &operator=(const PanelProcess &) = delete;

    QString port() const { return m_port; }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // Ends the panel and tells whether it ended cleanly.
    bool terminate()
    {
        m_process.terminate();
        return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit
                && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    QString m_port;
};
