#pragma once
// Finding stations by typing, free of windows. Names are read straight from the catalogue's
// CP949 bytes through a table of folded characters, so no second copy of the decoded names is
// ever held.
//
// How a query is read:
// - Letters match whatever their case (Latin, Greek, Cyrillic; full-width Latin as plain Latin),
//   anywhere in the name.
// - A typed initial consonant (ㄱ ㄲ ㄴ ... ㅎ) matches every syllable that begins with it, and
//   the consonant itself; a full syllable matches only itself. The two mix freely: "ㅂ송" finds
//   "방송" and "부송". Consecutive characters of the query match consecutive characters of the
//   name, so "ㅂㅅ" finds "부산 지역 방송".
// - Spaces in a name are skipped ("부산방송" and "ㅂㅅㅂㅅ" find "부산 방송"); spaces in the
//   query separate words that must all be found, in any order ("방송 부산").
// - An empty query (or one of spaces alone) finds nothing.
#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <array>
#include <optional>
#include <vector>

namespace catalogue {
class CatalogueModel;
}

namespace stationsearch {

// One character of a query word: the folded characters of a name it accepts, a range and one
// more (a typed consonant accepts its syllables and itself).
struct Unit {
    char16_t first;
    char16_t span; // the range is first .. first + span
    char16_t also;
    bool accepts(char16_t c) const { return char16_t(c - first) <= span || c == also; }
};

using Word = QList<Unit>;
using Folded = QVarLengthArray<char16_t, 128>;

// A character as names and queries are compared: case folded, full-width Latin made plain,
// and 0 for white space (which separates nothing in a name and words in a query).
char16_t foldChar(char16_t c);

// The words of a query, each a list of units; no words for an empty query.
QList<Word> parseQuery(QStringView text);

// Reads CP949 names. The table from two-byte codes to folded characters is built once per
// matcher (about 64 KB), from the suite's code page.
class NameMatcher {
public:
    NameMatcher();

    // The folded characters of a name, white space dropped; a byte that starts no character
    // of the code page reads as U+FFFD. Reading stops at a '^' (where a line's target begins);
    // the result says whether there was one.
    bool fold(QByteArrayView name, Folded& out) const;
    // Whether every word is found in the name.
    bool matches(const QList<Word>& words, QByteArrayView name) const;
    // The same for the name of a whole "name^target" line; a line without '^' has no name.
    bool matchesLine(const QList<Word>& words, QByteArrayView line) const;

private:
    std::array<char16_t, 0x80> ascii_{};
    std::vector<char16_t> pairs_; // (lead - 0x81) * 256 + trail -> folded character
};

// A station found: its page (0 to 10) and its row there.
struct Hit {
    int page;
    int row;
    bool operator==(const Hit&) const = default;
};

// The search over the pages of the remote. Each new text is looked for in the rows the last
// shorter text found when it only grew (and the rows did not change since), and a text typed
// before is answered from memory when the user takes characters back. A long list is read by
// a few threads at once; the models are only read, and only during setText.
class StationSearch {
public:
    // `pages` in page order; the models must outlive the search.
    explicit StationSearch(QList<const catalogue::CatalogueModel*> pages);

    void setText(const QString& text);
    QString text() const { return text_; }
    QList<Hit> hits() const { return levels_.isEmpty() ? QList<Hit>() : levels_.constLast().hits; }
    // The rows the last setText looked at.
    qsizetype rowsExamined() const { return examined_; }
    // The rows of a page changed: what was found is forgotten and the text looked for again.
    void rowsChanged();

private:
    struct Level {
        QString text;
        QList<Hit> hits;
    };
    QList<Hit> scanAll(const QList<Word>& words);
    QList<Hit> narrow(const QList<Hit>& from, const QList<Word>& words);

    QList<const catalogue::CatalogueModel*> pages_;
    std::optional<NameMatcher> matcher_; // built when first needed
    QString text_;
    // Texts found so far, each a prefix of the next; the last one is the current text.
    QList<Level> levels_;
    qsizetype examined_ = 0;
};

// The stations found, as a list: the name (decoded for the rows shown) and its page's name.
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    SearchResultsModel(QList<const catalogue::CatalogueModel*> pages, QStringList pageTitles,
                       QObject* parent = nullptr);

    // The search's hits changed: the list shows them.
    void setHits(QList<Hit> hits);
    Hit hit(int row) const { return hits_.value(row, Hit{-1, -1}); }
    const catalogue::CatalogueModel* page(int page) const { return pages_.value(page); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<const catalogue::CatalogueModel*> pages_;
    QStringList titles_;
    QList<Hit> hits_;
};

} // namespace stationsearch
