#pragma once

#include <QString>

#include <optional>

class QFileDevice;

// The operating system's error codes (errno; GetLastError() on Windows) told in the
// program's language. Qt words them in the system's language, or loses them ("Unknown
// error" after a write that stopped short), so callers take the code at the failing call.
namespace SystemError {

// What a code means to the user, whatever the system calls it.
enum class Reason {
    NotFound,
    PathNotFound,
    NoAccess,
    NoSpace,
    TooLarge,
    ReadOnlyDisk,
    IsDirectory,
    NameTooLong,
    BadName,
    Busy,
    TooManyOpenFiles,
    InputOutput,
    NotConnected,
    NotSerialPort,
    NoMemory,
    TimedOut,
    BadParameter,
    TryAgain,
    Aborted,
};

// The code the last failing system call left behind.
int last();
// Clears it, so that a failure which leaves none is not blamed on an earlier one.
void clear();

// Runs `operation`, which returns whether it succeeded; when it fails, `code` gets the
// code it left behind, read before anything else can overwrite it (0 when it left none).
template<typename Operation>
bool attempt(Operation &&operation, int &code)
{
    clear();
    if (operation())
        return true;
    code = last();
    return false;
}

std::optional<Reason> reasonOf(int code);
QString text(Reason reason); // e.g. "Нет места на диске"

// The reason for `code`; a code without a Russian text keeps the system's own words.
QString describe(int code);

// Why an operation on `file` failed: the reason for `code` when the failing call left one,
// else what Qt knows of the failure.
QString describe(const QFileDevice &file, int code);

} // namespace SystemError
