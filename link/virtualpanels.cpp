#include <link/virtualpanels.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#endif

namespace {

const QString Suffix = QStringLiteral(".pty");

#ifdef Q_OS_UNIX
enum class Process { Running, Gone, Unknown };

Process processState(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return Process::Gone;
    // EPERM: it runs, under another user.
    if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
        return Process::Running;
    return errno == ESRCH ? Process::Gone : Process::Unknown;
}

struct Announcement
{
    qint64 pid = 0;
    QString path;
};

// Two lines: the process number and the terminal's path.
bool parse(const QByteArray &content, Announcement *announcement)
{
    const QList<QByteArray> lines = content.split('\n');
    if (lines.size() < 2)
        return false;
    bool ok = false;
    announcement->pid = lines.at(0).trimmed().toLongLong(&ok);
    announcement->path = QFile::decodeName(lines.at(1).trimmed());
    return ok && !announcement->path.isEmpty();
}
#endif

} // namespace

QString VirtualPanels::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/mirvane-panel");
}

QStringList VirtualPanels::runningPorts(const QString &folder)
{
    QStringList ports;
#ifdef Q_OS_UNIX
    const QDir dir(folder);
    const QStringList names = dir.entryList({ QLatin1Char('*') + Suffix }, QDir::Files);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        Announcement announcement;
        // One being written now is renamed into place whole, so an unreadable one stays unread.
        if (!parse(file.read(4096), &announcement))
            continue;
        file.close();
        switch (processState(announcement.pid)) {
        case Process::Gone:
            file.remove();
            break;
        case Process::Running:
            if (QFileInfo::exists(announcement.path))
                ports.append(announcement.path);
            break;
        case Process::Unknown:
            break;
        }
    }
    std::sort(ports.begin(), ports.end());
    ports.removeDuplicates();
#else
    Q_UNUSED(folder);
#endif
    return ports;
}

QString VirtualPanels::caption(const QString &path)
{
    return QStringLiteral("виртуальный прибор (%1)").arg(path);
}

VirtualPanelAnnouncement::VirtualPanelAnnouncement(const QString &path, const QString &folder)
{
    const qint64 pid = QCoreApplication::applicationPid();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("Не удалось создать папку %1").arg(folder);
        return;
    }
    QSaveFile file(QDir(folder).filePath(QString::number(pid) + Suffix));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QByteArray::number(pid) + '\n' + QFile::encodeName(path) + '\n') < 0 || !file.commit()) {
        m_error = QStringLiteral("Не удалось записать %1: %2").arg(file.fileName(), file.errorString());
        return;
    }
    m_fileName = file.fileName();
}

VirtualPanelAnnouncement::~VirtualPanelAnnouncement()
{
    if (!m_fileName.isEmpty())
        QFile::remove(m_fileName);
}
