#pragma once

// Ways to make the file system refuse the program as it refuses a user at work: with a
// full disk or without access. Tests run as root here, and root reads and writes past
// file permissions.

#include <QtGlobal>

#ifdef Q_OS_LINUX

#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

// While it lives, this thread sees files as an ordinary user would: a root process takes
// the file system rights of "nobody", which also drops root's power over permissions.
class OrdinaryUserFileAccess
{
public:
    OrdinaryUserFileAccess() : m_root(geteuid() == 0)
    {
        if (!m_root)
            return;
        setfsgid(Nobody); // else root's group still opens what is shared with the group
        setfsuid(Nobody);
    }
    ~OrdinaryUserFileAccess()
    {
        if (!m_root)
            return;
        setfsuid(0);
        setfsgid(0);
    }
    OrdinaryUserFileAccess(const OrdinaryUserFileAccess &) = delete;
    OrdinaryUserFileAccess &operator=(const OrdinaryUserFileAccess &) = delete;

    // A root process that could not give up its rights still reads and writes everything.
    bool isEffective() const
    {
        return !m_root || (setfsuid(uid_t(-1)) == int(Nobody) && setfsgid(gid_t(-1)) == int(Nobody));
    }

private:
    static constexpr unsigned Nobody = 65534; // user "nobody", group "nogroup"
    const bool m_root;
};

// While it lives, no file of this process grows past `bytes`: writes beyond fail with EFBIG,
// as they do when the disk fills up, instead of the signal that would end the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = signal(SIGXFSZ, SIG_IGN);
        m_valid = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        m_valid = m_valid && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isValid() const { return m_valid; }

private:
    rlimit m_previous {};
    sighandler_t m_previousHandler;
    bool m_valid = false;
};

#else

// Elsewhere the tests cannot make the file system refuse; they skip what needs it.
class OrdinaryUserFileAccess
{
public:
    bool isEffective() const { return false; }
};

class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64) { }
    bool isValid() const { return false; }
};

#endif
