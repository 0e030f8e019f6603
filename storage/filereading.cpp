#include <storage/filereading.h>

#include <systemerror/systemerror.h>

#include <QDir>
#include <QFile>

std::optional<QByteArray> readFileBytes(const QString &fileName, qint64 limit, QString *error)
{
    QFile file(fileName);
    int code = 0;
    const auto failed = [&](const QString &what) -> std::optional<QByteArray> {
        if (error)
            *error = what.arg(QDir::toNativeSeparators(fileName), SystemError::describe(file, code));
        return std::nullopt;
    };
    if (!SystemError::attempt([&] { return file.open(QIODevice::ReadOnly); }, code))
        return failed(QStringLiteral("Не удалось открыть файл «%1»: %2"));
    QByteArray bytes;
    if (!SystemError::attempt(
                [&] {
                    bytes = limit < 0 ? file.readAll() : file.read(limit);
                    return file.error() == QFileDevice::NoError;
                },
                code))
        return failed(QStringLiteral("Не удалось прочитать файл «%1»: %2"));
    return bytes;
}
