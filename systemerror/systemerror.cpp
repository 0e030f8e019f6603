#include <systemerror/systemerror.h>

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
        return QStringLiteral("Файл не найден");
    case Reason::PathNotFound:
        return QStringLiteral("Путь не найден");
    case Reason::NoAccess:
        return QStringLiteral("Нет доступа");
    case Reason::NoSpace:
        return QStringLiteral("Нет места на диске");
    case Reason::TooLarge:
        return QStringLiteral("Файл слишком большой");
    case Reason::ReadOnlyDisk:
        return QStringLiteral("Диск защищён от записи");
    case Reason::IsDirectory:
        return QStringLiteral("Это папка, а не файл");
    case Reason::NameTooLong:
        return QStringLiteral("Слишком длинное имя файла");
    case Reason::BadName:
        return QStringLiteral("Недопустимое имя файла");
    case Reason::Busy:
        return QStringLiteral("Занято другой программой");
    case Reason::TooManyOpenFiles:
        return QStringLiteral("Открыто слишком много файлов");
    case Reason::InputOutput:
        return QStringLiteral("Ошибка ввода-вывода");
    case Reason::NotConnected:
        return QStringLiteral("Устройство не подключено");
    case Reason::NotSerialPort:
        return QStringLiteral("Это не последовательный порт");
    case Reason::NoMemory:
        return QStringLiteral("Недостаточно памяти");
    case Reason::TimedOut:
        return QStringLiteral("Истекло время ожидания");
    case Reason::BadParameter:
        return QStringLiteral("Недопустимый параметр");
    case Reason::TryAgain:
        return QStringLiteral("Ресурс временно недоступен");
    case Reason::Aborted:
        return QStringLiteral("Операция прервана");
    }
    return {};
}

QString describe(int code)
{
    if (const std::optional<Reason> reason = reasonOf(code))
        return text(*reason);
    return QStringLiteral("Ошибка системы %1 (%2)").arg(code).arg(qt_error_string(code));
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
        return QStringLiteral("Ошибка чтения");
    case QFileDevice::WriteError:
        return QStringLiteral("Ошибка записи");
    case QFileDevice::ResourceError:
        return QStringLiteral("Не хватает ресурсов системы");
    case QFileDevice::RenameError:
        return QStringLiteral("Не удалось заменить файл");
    case QFileDevice::OpenError:
        return QStringLiteral("Файл не открывается");
    default:
        return QStringLiteral("Неизвестная ошибка");
    }
}

} // namespace SystemError
