#include "remote/searchpanel.h"

#include "platform/automation.h"
#include "remote/catalogue.h"
#include "remote/remoteids.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

namespace {

// Over the bottom strip, from the pages' left edge to the refresh button.
const QRect kLineRect(68, 334, 199, 22);

QList<const catalogue::CatalogueModel*> modelsOf(const QList<QTreeView*>& lists) {
    QList<const catalogue::CatalogueModel*> models;
    for (const QTreeView* l : lists)
        models << catalogue::modelOf(l);
    return models;
}

bool isSearchKey(const QKeyEvent* e) {
    return e->matches(QKeySequence::Find) ||
           (e->key() == Qt::Key_F && e->modifiers() == Qt::ControlModifier);
}

// Keys the line passes on to the list of stations found.
bool isListKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

// A letter or digit typed without a command modifier starts a search from a page list.
bool startsSearch(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = e->text();
    return !text.isEmpty() && text.at(0).isLetterOrNumber();
}

} // namespace

CSearchPanel::CSearchPanel(QWidget* window, QWidget* pages, const QList<QTreeView*>& lists,
                           const QStringList& titles, Play play)
    : QObject(window), window_(window), pages_(pages), lists_(lists), play_(std::move(play)),
      search_(modelsOf(lists)) {
    line_ = new QLineEdit(window);
    platform::setControlId(line_, remote::kSearchLine);
    line_->setGeometry(kLineRect);
    line_->setPlaceholderText(QStringLiteral("채널 검색 (초성 가능)"));
    line_->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(90,90,86); color: white; "
                                        "border: 1px solid rgb(214,150,52); padding: 0 2px; }"));
    line_->hide();

    results_ = new QTreeView(window);
    platform::setControlId(results_, remote::kSearchList);
    model_ = new stationsearch::SearchResultsModel(modelsOf(lists), titles, results_);
    results_->setModel(model_);
    catalogue::setListLook(results_);
    results_->setColumnWidth(0, 140);
    results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long names are elided
    results_->hide();

    connect(line_, &QLineEdit::textChanged, this, &CSearchPanel::onTextChanged);
    connect(results_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { playRow(index.row()); });
    // A page that gets new rows is searched again; the rows found there are stale.
    for (const catalogue::CatalogueModel* m : modelsOf(lists)) {
        if (!m)
            continue;
        const auto again = [this] {
            search_.rowsChanged();
            showHits();
        };
        connect(m, &QAbstractItemModel::modelReset, this, again);
        connect(m, &QAbstractItemModel::layoutChanged, this, again);
        connect(m, &QAbstractItemModel::rowsInserted, this, again);
        connect(m, &QAbstractItemModel::rowsRemoved, this, again);
    }

    window->installEventFilter(this);
    line_->installEventFilter(this);
    results_->installEventFilter(this);
    for (QTreeView* l : lists_)
        l->installEventFilter(this);
}

bool CSearchPanel::isOpen() const {
    return !line_->isHidden();
}

void CSearchPanel::open(const QString& typed) {
    if (isOpen()) {
        if (typed.isEmpty())
            line_->selectAll(); // ready to be typed over
    } else {
        QWidget* focus = window_->focusWidget();
        focusBefore_ = focus == line_ || focus == results_ ? nullptr : focus;
        results_->setGeometry(pages_->geometry());
        results_->show();
        results_->raise();
        line_->show();
        line_->raise();
    }
    if (!typed.isEmpty())
        line_->setText(typed);
    line_->setFocus(Qt::ShortcutFocusReason);
}

void CSearchPanel::close() {
    if (!isOpen())
        return;
    line_->hide();
    results_->hide();
    {
        // Emptied quietly: an empty line is no reason to open again.
        const QSignalBlocker quiet(line_);
        line_->clear();
    }
    search_.setText(QString());
    showHits();
    if (focusBefore_)
        focusBefore_->setFocus(Qt::OtherFocusReason);
    else if (QWidget* w = window_->focusWidget(); w == line_ || w == results_)
        pages_->setFocus(Qt::OtherFocusReason);
}

void CSearchPanel::onTextChanged(const QString& text) {
    // Automation may set the text of the hidden line: that opens the search too.
    if (!isOpen())
        open();
    search_.setText(text);
    showHits();
}

void CSearchPanel::showHits() {
    model_->setHits(search_.hits());
    if (model_->rowCount() > 0)
        results_->setCurrentIndex(model_->index(0, 0));
}

void CSearchPanel::playRow(int row) {
    const stationsearch::Hit h = model_->hit(row);
    if (const catalogue::CatalogueModel* m = model_->page(h.page); m && play_)
        play_(*m, h.row);
}

bool CSearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    if (isSearchKey(key)) {
        open();
        return true;
    }
    if (watched == line_ || watched == results_) {
        if (k == Qt::Key_Escape) {
            close();
            return true;
        }
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            if (results_->currentIndex().isValid())
                playRow(results_->currentIndex().row());
            return true;
        }
        if (watched == line_ && isListKey(k)) {
            QCoreApplication::sendEvent(results_, event);
            return true;
        }
        if (watched == results_ && !key->text().isEmpty() && key->text().at(0).isPrint()) {
            // Typing in the list goes on in the line.
            line_->setFocus(Qt::OtherFocusReason);
            line_->insert(key->text());
            return true;
        }
        return false;
    }
    if (watched == window_) {
        if (k == Qt::Key_Escape && isOpen()) {
            close();
            return true;
        }
        return false;
    }
    if (lists_.contains(qobject_cast<QTreeView*>(watched)) && startsSearch(key)) {
        open(key->text());
        return true;
    }
    return false;
}
