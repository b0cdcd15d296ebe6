#include "guide/xmltv.h"

#include "guide/gzipdevice.h"
#include "platform/log.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>

namespace guide::xmltv {

namespace {

// A hostile guide could fill memory with one channel's programmes or one endless title.
constexpr int kMaxProgrammesPerChannel = 1000;
constexpr int kTitleLength = 200;

// Days from 1970-01-01 to a civil date (proleptic Gregorian), without a calendar object: the
// reader converts two times per programme of a guide that may hold hundreds of thousands.
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return std::int64_t(era) * 146097 + doe - 719468;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

int digits(QStringView text, qsizetype at, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[at + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Cuts text to at most `limit` characters without splitting a surrogate pair.
QString cut(QString text, int limit) {
    if (text.size() <= limit)
        return text;
    int end = limit;
    if (text[end - 1].isHighSurrogate())
        --end;
    text.truncate(end);
    return text;
}

bool isKorean(QStringView lang) {
    return lang.compare(u"ko", Qt::CaseInsensitive) == 0 ||
           lang.startsWith(u"ko-", Qt::CaseInsensitive) ||
           lang.startsWith(u"ko_", Qt::CaseInsensitive);
}

// A text of several languages: the Korean one, else the first.
struct Choice {
    QString text;
    bool korean = false;
    bool set = false;
    void offer(QStringView lang, QString value) {
        const bool ko = isKorean(lang);
        if (!set || (ko && !korean)) {
            text = std::move(value);
            korean = ko;
            set = true;
        }
    }
};

class Reader {
public:
    Reader(QIODevice& device, const ReadOptions& options) : xml_(&device), options_(options) {
        xml_.setNamespaceProcessing(false);
    }

    Guide run() {
        while (!xml_.atEnd()) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::DTD) {
                // Declared entities are how "billion laughs" and external files get in; a
                // programme guide has no use for them.
                if (!xml_.entityDeclarations().isEmpty()) {
                    guide_.stoppedAt = where() + QStringLiteral(": entity declarations refused");
                    break;
                }
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml_.name();
            if (name == u"tv")
                continue; // the root: its children follow
            if (name == u"channel")
                readChannel();
            else if (name == u"programme")
                readProgramme();
            else
                xml_.skipCurrentElement();
        }
        if (guide_.stoppedAt.isEmpty() && xml_.hasError())
            guide_.stoppedAt = where() + QStringLiteral(": ") + xml_.errorString();
        settle();
        return std::move(guide_);
    }

private:
    QString where() const {
        return QStringLiteral("line %1, column %2").arg(xml_.lineNumber()).arg(xml_.columnNumber());
    }

    void readChannel() {
        Channel channel;
        channel.id = xml_.attributes().value(QLatin1StringView("id")).toString();
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"display-name")
                channel.names
                    << xml_.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else
                xml_.skipCurrentElement();
        }
        if (xml_.hasError() || channel.id.isEmpty())
            return;
        if (options_.wanted.wantsChannel(channel)) {
            kept_.insert(channel.id);
            guide_.channels << std::move(channel);
        }
    }

    void readProgramme() {
        const QXmlStreamAttributes attributes = xml_.attributes();
        const QString channel = attributes.value(QLatin1StringView("channel")).toString();
        if (!kept_.contains(channel) && !options_.wanted.wantsId(channel)) {
            xml_.skipCurrentElement();
            return;
        }
        Programme p;
        const std::optional<std::int64_t> start =
            parseTime(attributes.value(QLatin1StringView("start")));
        const std::optional<std::int64_t> stop =
            parseTime(attributes.value(QLatin1StringView("stop")));
        if (!start) {
            xml_.skipCurrentElement();
            return;
        }
        p.start = *start;
        p.stop = stop && *stop > *start ? *stop : 0;
        // Without a stop the next programme closes it; one that started a day before the
        // window cannot reach into it.
        const std::int64_t latestEnd = p.stop > 0 ? p.stop : p.start + 24 * 3600;
        if (p.start >= options_.to || latestEnd <= options_.from) {
            xml_.skipCurrentElement();
            return;
        }
        Choice title;
        Choice desc;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"title" || name == u"desc") {
                const QString lang = xml_.attributes().value(QLatin1StringView("lang")).toString();
                QString text = xml_.readElementText(QXmlStreamReader::SkipChildElements);
                (name == u"title" ? title : desc).offer(lang, std::move(text));
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError())
            return; // cut off inside: not a whole programme
        p.title = cut(title.text.simplified(), kTitleLength);
        p.desc = cut(desc.text.simplified(), kDescLength);
        QList<Programme>& list = guide_.programmes[channel];
        if (list.size() < 4 * kMaxProgrammesPerChannel) // a settled list keeps fewer still
            list << std::move(p);
    }

    // Sorted by start, one programme per start, missing stops closed by the next start, and
    // what falls outside the window dropped.
    void settle() {
        for (auto it = guide_.programmes.begin(); it != guide_.programmes.end();) {
            QList<Programme>& list = it.value();
            std::stable_sort(list.begin(), list.end(), [](const Programme& a, const Programme& b) {
                return a.start < b.start;
            });
            list.erase(std::unique(list.begin(), list.end(),
                                   [](const Programme& a, const Programme& b) {
                                       return a.start == b.start;
                                   }),
                       list.end());
            for (qsizetype i = 0; i + 1 < list.size(); ++i)
                if (list[i].stop == 0 || list[i].stop > list[i + 1].start)
                    list[i].stop = list[i + 1].start;
            list.removeIf([this](const Programme& p) {
                const std::int64_t end = p.stop > 0 ? p.stop : p.start + kOpenEndSeconds;
                return end <= options_.from || p.start >= options_.to;
            });
            if (list.size() > kMaxProgrammesPerChannel)
                list.resize(kMaxProgrammesPerChannel);
            if (list.isEmpty())
                it = guide_.programmes.erase(it);
            else
                ++it;
        }
    }

    QXmlStreamReader xml_;
    const ReadOptions& options_;
    QSet<QString> kept_;
    Guide guide_;
};

} // namespace

std::optional<std::int64_t> parseTime(QStringView text) {
    text = text.trimmed();
    qsizetype n = 0;
    while (n < text.size() && text[n].isDigit())
        ++n;
    if (n != 8 && n != 10 && n != 12 && n != 14)
        return std::nullopt;
    const int y = digits(text, 0, 4);
    const int mo = digits(text, 4, 2);
    const int d = digits(text, 6, 2);
    const int h = n >= 10 ? digits(text, 8, 2) : 0;
    const int mi = n >= 12 ? digits(text, 10, 2) : 0;
    const int s = n >= 14 ? digits(text, 12, 2) : 0;
    if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h < 0 || h > 23 ||
        mi < 0 || mi > 59 || s < 0 || s > 59)
        return std::nullopt;
    std::int64_t offset = 0;
    const QStringView zone = text.sliced(n).trimmed();
    if (!zone.isEmpty()) {
        if (zone.size() != 5 || (zone[0] != u'+' && zone[0] != u'-'))
            return std::nullopt;
        const int zh = digits(zone, 1, 2);
        const int zm = digits(zone, 3, 2);
        if (zh < 0 || zh > 14 || zm < 0 || zm > 59)
            return std::nullopt;
        offset = (zh * 3600 + zm * 60) * (zone[0] == u'-' ? -1 : 1);
    }
    return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offset;
}

ReadOptions optionsAround(std::int64_t now, Wanted wanted) {
    ReadOptions options;
    options.from = now - 2 * 3600;
    options.to = now + 24 * 3600;
    options.wanted = std::move(wanted);
    return options;
}

Guide read(QIODevice& device, const ReadOptions& options) {
    return Reader(device, options).run();
}

Guide readFile(const QString& path, const ReadOptions& options) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Guide none;
        none.stoppedAt = QStringLiteral("cannot open: ") + file.errorString();
        return none;
    }
    if (GzipDevice::isGzip(file.peek(2))) {
        GzipDevice gzip(&file);
        if (!gzip.open(QIODevice::ReadOnly)) {
            Guide none;
            none.stoppedAt = QStringLiteral("not a gzip stream");
            return none;
        }
        return read(gzip, options);
    }
    return read(file, options);
}

} // namespace guide::xmltv
