#include <exchange/transferpace.h>

namespace TransferPace {

QString blockText(int block, int count)
{
    return QStringLiteral("Блок %1 из %2").arg(block).arg(count);
}

std::optional<qint64> timeLeft(int done, int count, qint64 elapsedMs)
{
    if (done < FewestBlocksToJudge || done > count || elapsedMs < 0)
        return std::nullopt;
    return elapsedMs * (count - done) / done;
}

QString timeLeftText(qint64 ms)
{
    constexpr qint64 Minute = 60;
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < Minute) {
        const qint64 shown = qMax<qint64>(5, (seconds + 4) / 5 * 5);
        if (shown < Minute)
            return QStringLiteral("осталось ≈ %1 с").arg(shown);
    }
    const qint64 rounded = qMax<qint64>(Minute, (seconds + 5) / 10 * 10);
    const qint64 minutes = rounded / Minute;
    const qint64 rest = rounded % Minute;
    if (rest == 0)
        return QStringLiteral("осталось ≈ %1 мин").arg(minutes);
    return QStringLiteral("осталось ≈ %1 мин %2 с").arg(minutes).arg(rest);
}

} // namespace TransferPace
