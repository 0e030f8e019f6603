#include <systemerror/systemerror.h>

#include <messages/messages.h>

#include <QFileDevice>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#endif

namespace SystemError {

int last()
{
#ifdef Q_OS_WIN
    return int(GetLastError());
#else
    return errno;
#endif
}

void clear()
{
#ifdef Q_OS_WIN
    SetLastError(ERROR_SUCCESS);
#else
    errno = 0;
#endif
}

std::optional<Reason> reasonOf(int code)
{
    switch (code) {
#ifdef Q_OS_WIN
    case ERROR_FILE_NOT_FOUND:
        return Reason::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY:
        return Reason::PathNotFound;
    case ERROR_ACCESS_DENIED:
        return Reason::NoAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Reason::NoSpace;
    case ERROR_FILE_TOO_LARGE:
        return Reason::TooLarge;
    case ERROR_WRITE_PROTECT:
        return Reason::ReadOnlyDisk;
    case ERROR_FILENAME_EXCED_RANGE:
        return Reason::NameTooLong;
    case ERROR_INVALID_NAME:
        return Reason::BadName;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
        return Reason::Busy;
    case ERROR_TOO_MANY_OPEN_FILES:
        return Reason::TooManyOpenFiles;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return Reason::InputOutput;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:
        return Reason::NotConnected;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return Reason::NoMemory;
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT:
        return Reason::TimedOut;
    case ERROR_INVALID_PARAMETER:
        return Reason::BadParameter;
    case ERROR_OPERATION_ABORTED:
        return Reason::Aborted;
#else
    case ENOENT:
        return Reason::NotFound;
    case ENOTDIR:
        return Reason::PathNotFound;
    case EACCES:
    case EPERM:
        return Reason::NoAccess;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Reason::NoSpace;
    case EFBIG:
        return Reason::TooLarge;
    case EROFS:
        return Reason::ReadOnlyDisk;
    case EISDIR:
        return Reason::IsDirectory;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case EBUSY:
    case ETXTBSY:
        return Reason::Busy;
    case EMFILE:
    case ENFILE:
        return Reason::TooManyOpenFiles;
    case EIO:
        return Reason::InputOutput;
    case ENXIO:
    case ENODEV:
        return Reason::NotConnected;
    case ENOTTY:
        return Reason::NotSerialPort;
    case ENOMEM:
        return Reason::NoMemory;
    case ETIMEDOUT:
        return Reason::TimedOut;
    case EINVAL:
        return Reason::BadParameter;
    case EAGAIN:
        return Reason::TryAgain;
    case EINTR:
        return Reason::Aborted;
#endif
    default:
        return std::nullopt;
    }
}

QString text(Reason reason)
{
    switch (reason) {
    case Reason::NotFound:
        return message(MessageId::SystemNotFound);
    case Reason::PathNotFound:
        return message(MessageId::SystemPathNotFound);
    case Reason::NoAccess:
        return message(MessageId::SystemNoAccess);
    case Reason::NoSpace:
        return message(MessageId::SystemNoSpace);
    case Reason::TooLarge:
        return message(MessageId::SystemTooLarge);
    case Reason::ReadOnlyDisk:
        return message(MessageId::SystemReadOnlyDisk);
    case Reason::IsDirectory:
        return message(MessageId::SystemIsDirectory);
    case Reason::NameTooLong:
        return message(MessageId::SystemNameTooLong);
    case Reason::BadName:
        return message(MessageId::SystemBadName);
    case Reason::Busy:
        return message(MessageId::SystemBusy);
    case Reason::TooManyOpenFiles:
        return message(MessageId::SystemTooManyOpenFiles);
    case Reason::InputOutput:
        return message(MessageId::SystemInputOutput);
    case Reason::NotConnected:
        return message(MessageId::SystemNotConnected);
    case Reason::NotSerialPort:
        return message(MessageId::SystemNotSerialPort);
    case Reason::NoMemory:
        return message(MessageId::SystemNoMemory);
    case Reason::TimedOut:
        return message(MessageId::SystemTimedOut);
    case Reason::BadParameter:
        return message(MessageId::SystemBadParameter);
    case Reason::TryAgain:
        return message(MessageId::SystemTryAgain);
    case Reason::Aborted:
        return message(MessageId::SystemAborted);
    }
    return {};
}

QString describe(int code)
{
    if (const std::optional<Reason> reason = reasonOf(code))
        return text(*reason);
    return message(MessageId::SystemOther).arg(code).arg(qt_error_string(code));
}

QString describe(const QFileDevice &file, int code)
{
    if (code != 0)
        return describe(code);
    // Qt turns a folder away itself, before the system is asked.
    if (!file.fileName().isEmpty() && QFileInfo(file.fileName()).isDir())
        return text(Reason::IsDirectory);
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return text(Reason::NoAccess);
    case QFileDevice::TimeOutError:
        return text(Reason::TimedOut);
    case QFileDevice::AbortError:
        return text(Reason::Aborted);
    case QFileDevice::ReadError:
        return message(MessageId::FileReadError);
    case QFileDevice::WriteError:
        return message(MessageId::FileWriteError);
    case QFileDevice::ResourceError:
        return message(MessageId::FileResourceError);
    case QFileDevice::RenameError:
        return message(MessageId::FileNotReplaced);
    case QFileDevice::OpenError:
        return message(MessageId::FileOpenError);
    default:
        return message(MessageId::FileUnknownError);
    }
}

} // namespace SystemError
