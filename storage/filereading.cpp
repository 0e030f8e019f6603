#include <storage/filereading.h>

#include <messages/messages.h>
#include <systemerror/systemerror.h>

#include <QDir>
#include <QFile>

std::optional<QByteArray> readFileBytes(const QString &fileName, qint64 limit, QString *error)
{
    QFile file(fileName);
    int code = 0;
    const auto failed = [&](MessageId what) -> std::optional<QByteArray> {
        if (error)
            *error = message(what).arg(QDir::toNativeSeparators(fileName), SystemError::describe(file, code));
        return std::nullopt;
    };
    if (!SystemError::attempt([&] { return file.open(QIODevice::ReadOnly); }, code))
        return failed(MessageId::FileNotOpened);
    QByteArray bytes;
    if (!SystemError::attempt(
                [&] {
                    bytes = limit < 0 ? file.readAll() : file.read(limit);
                    return file.error() == QFileDevice::NoError;
                },
                code))
        return failed(MessageId::FileNotRead);
    return bytes;
}
