#include "remote/stationsearch.h"

#include "platform/codec.h"
#include "remote/cataloguemodel.h"

#include <QThread>
#include <algorithm>
#include <array>
#include <thread>

namespace stationsearch {

namespace {

constexpr char16_t kSyllableFirst = 0xAC00;
constexpr char16_t kSyllablesPerInitial = 21 * 28;
constexpr char16_t kNotAChar = 0xFFFF; // in the pair table: no character of the code page
constexpr char16_t kReplacement = 0xFFFD;

// The initial consonants in syllable order, as the compatibility letters a keyboard types.
constexpr std::array<char16_t, 19> kInitials = {
    0x3131, 0x3132, 0x3134, 0x3137, 0x3138, 0x3139, 0x3141, 0x3142, 0x3143, 0x3145,
    0x3146, 0x3147, 0x3148, 0x3149, 0x314A, 0x314B, 0x314C, 0x314D, 0x314E};

// The initial a character stands for when typed, -1 for none. Conjoining initials (U+1100..)
// come from some input methods and mean the same.
int initialOf(char16_t c) {
    if (c >= 0x1100 && c <= 0x1112)
        return c - 0x1100;
    const auto* it = std::find(kInitials.begin(), kInitials.end(), c);
    return it == kInitials.end() ? -1 : int(it - kInitials.begin());
}

Unit unitFor(char16_t c) {
    if (const int initial = initialOf(c); initial >= 0)
        return {char16_t(kSyllableFirst + initial * kSyllablesPerInitial),
                char16_t(kSyllablesPerInitial - 1), kInitials[size_t(initial)]};
    return {c, 0, c};
}

// A word's units against folded characters: found at some place, consecutively.
bool contains(const Folded& name, const Word& word) {
    const qsizetype m = word.size();
    const qsizetype last = name.size() - m;
    const Unit* units = word.constData();
    const char16_t* text = name.constData();
    for (qsizetype i = 0; i <= last; ++i) {
        if (!units[0].accepts(text[i]))
            continue;
        qsizetype j = 1;
        while (j < m && units[j].accepts(text[i + j]))
            ++j;
        if (j == m)
            return true;
    }
    return false;
}

} // namespace

char16_t foldChar(char16_t c) {
    if (c < 0x80) {
        if (c == ' ' || (c >= '\t' && c <= '\r'))
            return 0;
        return c >= 'A' && c <= 'Z' ? char16_t(c + ('a' - 'A')) : c;
    }
    if (c >= 0xFF01 && c <= 0xFF5E) // full-width Latin and signs
        return foldChar(char16_t(c - 0xFF01 + 0x21));
    const QChar q(c);
    if (q.isSpace())
        return 0;
    // Surrogates stand alone here: names in the code page never hold them.
    return q.isSurrogate() ? kNotAChar : q.toCaseFolded().unicode();
}

QList<Word> parseQuery(QStringView text) {
    QList<Word> words;
    Word word;
    for (const QChar ch : text) {
        const char16_t c = foldChar(ch.unicode());
        if (c == 0) {
            if (!word.isEmpty())
                words << std::exchange(word, {});
            continue;
        }
        // No name holds a lone surrogate or U+FFFF: such a unit accepts nothing.
        word << (c == kNotAChar ? Unit{kNotAChar, 0, kNotAChar} : unitFor(c));
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

NameMatcher::NameMatcher() : pairs_(size_t(0xFE - 0x81 + 1) * 256, kNotAChar) {
    for (int b = 0; b < 0x80; ++b)
        ascii_[size_t(b)] = foldChar(char16_t(b));
    // Every pair of one lead byte decoded at once, each followed by a line end (which no pair
    // can swallow); a lead whose pairs do not come out one character each is read pair by pair.
    constexpr int kFirstTrail = 0x41;
    constexpr int kTrails = 0xFE - kFirstTrail + 1;
    QByteArray row;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        char16_t* out = pairs_.data() + (lead - 0x81) * 256;
        row.clear();
        for (int trail = kFirstTrail; trail <= 0xFE; ++trail)
            row.append(char(lead)).append(char(trail)).append('\n');
        const QString text = platform::cp949::toUnicode(row); // the views below point into it
        const QList<QStringView> decoded = QStringView(text).split(u'\n');
        for (int t = 0; t < kTrails; ++t) {
            QString single;
            QStringView c = t < decoded.size() ? decoded[t] : QStringView();
            if (decoded.size() != kTrails + 1 || c.size() != 1) {
                const char pair[2] = {char(lead), char(kFirstTrail + t)};
                single = platform::cp949::toUnicode(QByteArrayView(pair, 2));
                c = single;
            }
            if (c.size() == 1 && c[0].unicode() != kReplacement)
                out[kFirstTrail + t] = foldChar(c[0].unicode());
        }
    }
}

bool NameMatcher::fold(QByteArrayView name, Folded& out) const {
    out.resize(name.size()); // never more characters than bytes
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* const end = p + name.size();
    const char16_t* const pairs = pairs_.data();
    bool caret = false;
    while (p < end) {
        const unsigned b = *p;
        char16_t c;
        if (b < 0x80) {
            if (b == '^') {
                caret = true;
                break;
            }
            c = ascii_[b];
            ++p;
        } else if (b >= 0x81 && b <= 0xFE && end - p >= 2 &&
                   (c = pairs[(b - 0x81) * 256 + p[1]]) != kNotAChar) {
            p += 2;
        } else {
            c = kReplacement;
            ++p;
        }
        *o = c;
        o += c != 0;
    }
    out.resize(o - out.data());
    return caret;
}

namespace {

bool allFound(const Folded& folded, const QList<Word>& words) {
    return !folded.isEmpty() && std::all_of(words.cbegin(), words.cend(),
                                            [&](const Word& w) { return contains(folded, w); });
}

} // namespace

bool NameMatcher::matches(const QList<Word>& words, QByteArrayView name) const {
    if (words.isEmpty() || name.isEmpty())
        return false;
    Folded folded;
    fold(name, folded);
    return allFound(folded, words);
}

bool NameMatcher::matchesLine(const QList<Word>& words, QByteArrayView line) const {
    if (words.isEmpty())
        return false;
    Folded folded;
    return fold(line, folded) && allFound(folded, words);
}

// --- the search over the pages ---

namespace {

// Below this many rows a second thread costs more than it saves.
constexpr qsizetype kRowsPerThread = 50000;

int chunksFor(qsizetype rows) {
    const qsizetype wanted = rows / kRowsPerThread;
    return int(std::clamp<qsizetype>(wanted, 1, std::clamp(QThread::idealThreadCount(), 1, 4)));
}

// Runs work(0) .. work(chunks - 1), all but the first on threads of their own, and joins what
// they found in chunk order. The rows are only read meanwhile; the threads end before this
// returns.
template <typename Work> QList<Hit> inChunks(int chunks, const Work& work) {
    std::vector<QList<Hit>> parts(static_cast<size_t>(chunks));
    {
        std::vector<std::jthread> helpers;
        for (int c = 1; c < chunks; ++c)
            helpers.emplace_back([&parts, &work, c] { parts[size_t(c)] = work(c); });
        parts[0] = work(0);
    }
    if (chunks == 1)
        return std::move(parts[0]);
    qsizetype total = 0;
    for (const QList<Hit>& part : parts)
        total += part.size();
    QList<Hit> all;
    all.reserve(total);
    for (const QList<Hit>& part : parts)
        all.append(part);
    return all;
}

} // namespace

StationSearch::StationSearch(QList<const catalogue::CatalogueModel*> pages)
    : pages_(std::move(pages)) {}

void StationSearch::setText(const QString& text) {
    text_ = text;
    examined_ = 0;
    // Keep only the texts this one grew from.
    while (!levels_.isEmpty() && !text.startsWith(levels_.constLast().text))
        levels_.removeLast();
    if (!levels_.isEmpty() && levels_.constLast().text == text)
        return;
    const QList<Word> words = parseQuery(text);
    if (words.isEmpty()) {
        levels_.clear();
        return;
    }
    if (!matcher_)
        matcher_.emplace();
    QList<Hit> found = levels_.isEmpty() ? scanAll(words) : narrow(levels_.constLast().hits, words);
    // A few levels are enough to answer backspacing (each holds no more rows than the one
    // before); at the limit the new text takes the place of the one it grew from.
    constexpr qsizetype kMaxLevels = 4;
    if (levels_.size() == kMaxLevels)
        levels_.removeLast();
    levels_.append({text, std::move(found)});
}

void StationSearch::rowsChanged() {
    levels_.clear();
    const QString text = std::exchange(text_, {});
    setText(text);
}

QList<Hit> StationSearch::scanAll(const QList<Word>& words) {
    // All rows numbered one page after another, cut into equal chunks.
    QList<qsizetype> starts{0};
    for (const catalogue::CatalogueModel* model : std::as_const(pages_))
        starts << starts.constLast() + (model ? model->rowCount() : 0);
    const qsizetype total = starts.constLast();
    examined_ += total;
    const int chunks = chunksFor(total);
    const NameMatcher& matcher = *matcher_;
    return inChunks(chunks, [&](int chunk) {
        const qsizetype first = total * chunk / chunks;
        const qsizetype end = total * (chunk + 1) / chunks;
        QList<Hit> found;
        for (int page = 0; page < pages_.size(); ++page) {
            const qsizetype from = std::max(first, starts[page]);
            const qsizetype to = std::min(end, starts[page + 1]);
            const catalogue::CatalogueModel* model = pages_[page];
            for (qsizetype i = from; i < to; ++i) {
                const int row = int(i - starts[page]);
                if (matcher.matchesLine(words, model->lineView(row)))
                    found.append({page, row});
            }
        }
        return found;
    });
}

QList<Hit> StationSearch::narrow(const QList<Hit>& from, const QList<Word>& words) {
    const qsizetype total = from.size();
    examined_ += total;
    const int chunks = chunksFor(total);
    const NameMatcher& matcher = *matcher_;
    const Hit* hits = from.constData();
    return inChunks(chunks, [&](int chunk) {
        QList<Hit> found;
        for (qsizetype i = total * chunk / chunks; i < total * (chunk + 1) / chunks; ++i)
            if (matcher.matchesLine(words, pages_[hits[i].page]->lineView(hits[i].row)))
                found.append(hits[i]);
        return found;
    });
}

// --- the list of what was found ---

SearchResultsModel::SearchResultsModel(QList<const catalogue::CatalogueModel*> pages,
                                       QStringList pageTitles, QObject* parent)
    : QAbstractTableModel(parent), pages_(std::move(pages)), titles_(std::move(pageTitles)) {}

void SearchResultsModel::setHits(QList<Hit> hits) {
    beginResetModel();
    hits_ = std::move(hits);
    endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(hits_.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= hits_.size())
        return {};
    const Hit& h = hits_[index.row()];
    if (index.column() == 1)
        return titles_.value(h.page);
    const catalogue::CatalogueModel* model = pages_.value(h.page);
    return model ? platform::cp949::toUnicode(model->nameView(h.row)) : QString();
}

} // namespace stationsearch
