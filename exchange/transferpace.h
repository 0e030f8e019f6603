#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the progress window tells besides its bar: the block under way and how long the
// rest will take at the pace of the blocks so far.
namespace TransferPace {

// Fewer blocks than this say too little of the pace.
constexpr int FewestBlocksToJudge = 16;

// "Блок 812 из 1600"
QString blockText(int block, int count);

// `done` of `count` blocks took `elapsedMs`: the time the rest will take, or nothing
// while too few have come.
std::optional<qint64> timeLeft(int done, int count, qint64 elapsedMs);

// "осталось ≈ 2 мин 10 с"; rounded, as a guess should be: to 10 s above a minute, up to
// 5 s below.
QString timeLeftText(qint64 ms);

} // namespace TransferPace
