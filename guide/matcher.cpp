#include "guide/matcher.h"

#include <algorithm>

namespace guide {

QString normalizeName(QStringView name) {
    // Called for every tooltip and every display name of a guide: one allocation, and ASCII
    // without the Unicode tables.
    QString out(name.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
                *to++ = c;
            else if (u >= u'A' && u <= u'Z')
                *to++ = QChar(char16_t(u + 32));
        } else if (c.isLetterOrNumber()) {
            *to++ = c.toCaseFolded();
        }
    }
    out.truncate(to - out.constData());
    return out;
}

Wanted Wanted::everything() {
    Wanted w;
    w.all_ = true;
    return w;
}

void Wanted::addStation(const QString& tvgId, const QString& name) {
    if (!tvgId.isEmpty())
        ids_.insert(tvgId);
    // The name as well: a tvg-id the guide does not know falls back to the name.
    const QString key = normalizeName(name);
    if (!key.isEmpty())
        names_.insert(key);
}

bool Wanted::wantsId(QStringView id) const {
    return all_ || ids_.contains(id.toString());
}

bool Wanted::wantsChannel(const Channel& channel) const {
    if (wantsId(channel.id))
        return true;
    return std::any_of(channel.names.cbegin(), channel.names.cend(),
                       [this](const QString& n) { return names_.contains(normalizeName(n)); });
}

NowNext nowNext(const QList<Programme>& programmes, std::int64_t at) {
    // The first programme starting after `at`; the one before it may be on now.
    const auto after =
        std::upper_bound(programmes.cbegin(), programmes.cend(), at,
                         [](std::int64_t t, const Programme& p) { return t < p.start; });
    NowNext result;
    if (after != programmes.cbegin()) {
        const Programme& candidate = *(after - 1);
        const std::int64_t end =
            candidate.stop > 0 ? candidate.stop : candidate.start + kOpenEndSeconds;
        if (at < end)
            result.now = candidate;
    }
    if (after != programmes.cend())
        result.next = *after;
    return result;
}

Matcher::Matcher(const Guide& guide) {
    // A programme may name a channel that has no <channel> element of its own.
    for (auto it = guide.programmes.cbegin(); it != guide.programmes.cend(); ++it)
        ids_.insert(it.key());
    for (const Channel& c : guide.channels) {
        ids_.insert(c.id);
        for (const QString& n : c.names) {
            const QString key = normalizeName(n);
            if (!key.isEmpty() && !byName_.contains(key))
                byName_.insert(key, c.id);
        }
    }
}

QString Matcher::channelFor(const QString& tvgId, QStringView name) const {
    if (!tvgId.isEmpty() && ids_.contains(tvgId))
        return tvgId;
    return byName_.value(normalizeName(name));
}

} // namespace guide
