#include "guide/texts.h"

#include <QDateTime>

namespace guide::texts {

QString clock(std::int64_t secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)
        .toLocalTime()
        .toString(QStringLiteral("HH:mm"));
}

QString nowNextLines(const NowNext& nn) {
    QStringList lines;
    if (nn.now)
        lines << QStringLiteral("지금: %1 (%2–%3)")
                     .arg(nn.now->title, clock(nn.now->start),
                          nn.now->stop > 0 ? clock(nn.now->stop) : QString());
    if (nn.next)
        lines << QStringLiteral("다음: %1 (%2)").arg(nn.next->title, clock(nn.next->start));
    return lines.join(QLatin1Char('\n'));
}

QString playerToolTip(const NowNext& nn) {
    QString tip = nowNextLines(nn);
    if (nn.now && !nn.now->desc.isEmpty()) {
        QString desc = nn.now->desc;
        if (desc.size() > kTipDescLength) {
            int end = kTipDescLength;
            if (desc[end - 1].isHighSurrogate())
                --end;
            desc = desc.left(end) + QStringLiteral("…");
        }
        tip += QLatin1Char('\n') + desc;
    }
    return tip;
}

} // namespace guide::texts
