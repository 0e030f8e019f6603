#include <exchange/transferoutcome.h>

#include <QTime>

namespace {

QString doneText(const TransferOutcome &outcome)
{
    switch (outcome.kind) {
    case TransferOutcome::Kind::Write:
        return outcome.verified ? QStringLiteral("Записано в прибор и проверено") : QStringLiteral("Записано в прибор");
    case TransferOutcome::Kind::Read:
        return QStringLiteral("Прочитано из прибора");
    case TransferOutcome::Kind::Compare:
        return QStringLiteral("Сравнение с прибором завершено");
    case TransferOutcome::Kind::WorkingMode:
        return QStringLiteral("Прибор переведён в рабочий режим");
    }
    return {};
}

QString stoppedText(TransferOutcome::Kind kind, int block)
{
    switch (kind) {
    case TransferOutcome::Kind::Write:
        return block == 0 ? QStringLiteral("Запись не начата") : QStringLiteral("Запись прервана на блоке %1").arg(block);
    case TransferOutcome::Kind::Read:
        return block == 0 ? QStringLiteral("Чтение не начато") : QStringLiteral("Чтение прервано на блоке %1").arg(block);
    case TransferOutcome::Kind::Compare:
        return block == 0 ? QStringLiteral("Сравнение с прибором не начато")
                          : QStringLiteral("Сравнение с прибором прервано на блоке %1").arg(block);
    case TransferOutcome::Kind::WorkingMode:
        return QStringLiteral("Прибор не подтвердил переход в рабочий режим");
    }
    return {};
}

QString endText(const TransferOutcome &outcome)
{
    using End = TransferOutcome::End;
    switch (outcome.end) {
    case End::Done:
        return doneText(outcome);
    case End::Stopped:
        return stoppedText(outcome.kind, outcome.block);
    case End::VerifyDiffers:
        return QStringLiteral("Записано в прибор, но проверка нашла отличия");
    case End::VerifyStopped:
        return outcome.block == 0
                ? QStringLiteral("Записано в прибор, не проверено")
                : QStringLiteral("Записано в прибор, проверка прервана на блоке %1").arg(outcome.block);
    case End::NotLoaded:
        return QStringLiteral("Прочитанное из прибора не загружено");
    case End::NoWorkingMode:
        if (outcome.kind == TransferOutcome::Kind::WorkingMode)
            return stoppedText(outcome.kind, 0);
        return doneText(outcome) + QStringLiteral(", но прибор не подтвердил переход в рабочий режим");
    }
    return {};
}

} // namespace

QString TransferOutcome::statusText(const QTime &at) const
{
    const QString text = endText(*this);
    // A block number right before the time would read as one with it.
    const bool endsWithNumber = !text.isEmpty() && text.back().isDigit();
    return QLatin1Char(' ') + text + (endsWithNumber ? QStringLiteral(", ") : QStringLiteral(" "))
            + at.toString(QStringLiteral("HH:mm"));
}
