#pragma once
// The remote's station search: Ctrl+F, or a letter typed while a page list has the focus,
// opens a line over the bottom strip and, over the pages, one list of the stations found on
// all of them. Enter or a double-click plays the chosen one as its page would; Escape closes
// the search and gives the focus back.
#include "remote/stationsearch.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QLineEdit;
class QTreeView;
class QWidget;

class CSearchPanel : public QObject {
    Q_OBJECT
public:
    // What a double-click on a page does with one of its rows.
    using Play = std::function<void(const catalogue::CatalogueModel& list, int row)>;

    // `lists` are the pages' list controls in page order, `titles` their names; the list of
    // stations found covers `pages` while the search is open. Its controls are `window`'s.
    CSearchPanel(QWidget* window, QWidget* pages, const QList<QTreeView*>& lists,
                 const QStringList& titles, Play play);

    bool isOpen() const;
    // Opens the search (the line takes the focus) with `typed` as its text; an open search
    // keeps its text, selected for typing over.
    void open(const QString& typed = QString());
    void close();

    QLineEdit* line() const { return line_; }
    QTreeView* results() const { return results_; }
    const stationsearch::StationSearch& search() const { return search_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTextChanged(const QString& text);
    void showHits();
    void playRow(int row);

    QWidget* window_;
    QWidget* pages_;
    QList<QTreeView*> lists_;
    Play play_;
    stationsearch::StationSearch search_;
    stationsearch::SearchResultsModel* model_ = nullptr; // owned by results_
    QLineEdit* line_ = nullptr;                          // the window's children
    QTreeView* results_ = nullptr;
    QPointer<QWidget> focusBefore_;
};
