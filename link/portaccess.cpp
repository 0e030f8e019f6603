#include <link/portaccess.h>

#include <messages/messages.h>

#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

#ifdef Q_OS_UNIX
bool sessionHasGroup(gid_t gid)
{
    if (getegid() == gid)
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int listed = getgroups(count, groups.data());
    return listed > 0 && std::find(groups.begin(), groups.begin() + listed, gid) != groups.begin() + listed;
}

// The groups the user database lists for this user now, which a new login would get.
bool databaseHasGroup(gid_t gid)
{
    const passwd *user = getpwuid(geteuid());
    if (!user)
        return false;
    const QByteArray name(user->pw_name);
    const gid_t primary = user->pw_gid;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(name.constData(), primary, groups.data(), &count) < 0) {
        groups.resize(std::size_t(count));
        if (getgrouplist(name.constData(), primary, groups.data(), &count) < 0)
            return false;
    }
    return std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}
#endif

} // namespace

std::optional<DeviceAccess> deviceAccess(const QString &port)
{
#ifdef Q_OS_UNIX
    // QSerialPort takes a bare name, "ttyUSB0", for a device in /dev.
    const bool bare = !port.startsWith(QLatin1Char('/')) && !port.startsWith(QLatin1String("./"))
            && !port.startsWith(QLatin1String("../"));
    const QString path = bare ? QLatin1String("/dev/") + port : port;
    const QFileInfo file(path);
    if (!file.exists())
        return std::nullopt;
    DeviceAccess access;
    access.owner = file.owner();
    access.group = file.group();
    if (access.group.isEmpty())
        access.group = QString::number(file.groupId());
    const QFile::Permissions permissions = file.permissions();
    access.groupMayUse = permissions.testFlag(QFile::ReadGroup) && permissions.testFlag(QFile::WriteGroup);
    // Asked of the system rather than worked out from the mode: access lists count too.
    access.userMayUse = faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0;
    const gid_t gid = file.groupId();
    access.joinedSinceLogin = !sessionHasGroup(gid) && databaseHasGroup(gid);
    return access;
#else
    Q_UNUSED(port);
    return std::nullopt;
#endif
}

PortRefusal refusalOf(const std::optional<DeviceAccess> &access)
{
    // Without a file to ask (Windows) a refused port is one another program has open.
    return access && !access->userMayUse ? PortRefusal::NoAccess : PortRefusal::HeldByAnother;
}

QString refusalAdvice(PortRefusal refusal, const QString &port, const std::optional<DeviceAccess> &access)
{
    if (refusal == PortRefusal::HeldByAnother)
        return message(MessageId::PortHeldByAnother).arg(port);
    if (!access)
        return message(MessageId::PortNoAccess).arg(port);
    if (!access->groupMayUse)
        return message(MessageId::PortOwnerOnly).arg(port, access->owner);
    if (access->joinedSinceLogin)
        return message(MessageId::PortGroupSinceLogin).arg(port, access->group);
    return message(MessageId::PortGroupOnly).arg(port, access->group);
}
