#pragma once
// How now and next read where the user looks. Times are shown in local time.
#include "guide/matcher.h"

#include <QString>
#include <cstdint>

namespace guide::texts {

// "HH:mm" in local time.
QString clock(std::int64_t secondsSinceEpoch);

// "지금: <title> (<HH:mm>–<HH:mm>)" and "다음: <title> (<HH:mm>)" on their own lines; empty
// when neither is known.
QString nowNextLines(const NowNext& nn);

// The player's tooltip: now and next, then the start of the description of what is on.
QString playerToolTip(const NowNext& nn);

// The start of a description as the tooltip shows it.
inline constexpr int kTipDescLength = 120;

} // namespace guide::texts
