// A window as automation reads it: its controls, owned windows and modal box as JSON.
#include "platform/automation.h"

#include "platform/automation_internal.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>

namespace platform::automation {

namespace {

QJsonArray rectOf(const QRect& r) {
    return QJsonArray{r.x(), r.y(), r.width(), r.height()};
}

// The rows of a dump: a window of `rows.count` rows from `rows.first` on.
struct RowWindow {
    int first = 0;
    int count = windows::kDumpRows;
    // One past the last row of the window in a list of `total` rows.
    int end(int total) const {
        if (first < 0 || count < 0)
            return first;
        return int(std::min<qint64>(total, qint64(first) + count));
    }
};

void putRows(QJsonObject& o, const QAbstractItemModel* model, const QModelIndex& root,
             const RowWindow& rows, bool allColumns) {
    const int total = model ? model->rowCount(root) : 0;
    const int columns = !model ? 0 : allColumns ? model->columnCount(root) : 1;
    QJsonArray items;
    for (int r = std::max(0, rows.first); r < rows.end(total); ++r) {
        QJsonArray cols;
        for (int c = 0; c < columns; ++c)
            cols << model->data(model->index(r, c, root)).toString();
        items << cols;
    }
    o[QStringLiteral("items")] = items;
    o[QStringLiteral("rowCount")] = total;
    o[QStringLiteral("firstRow")] = std::max(0, rows.first);
}

// Fully selected rows inside the window, in order, found from the selection's ranges rather
// than from every selected index (a select-all of a large list is one range).
QJsonArray selectedRows(const QItemSelectionModel* selection, const QModelIndex& root,
                        const RowWindow& rows, int total) {
    QList<int> found;
    const int first = std::max(0, rows.first);
    const int end = rows.end(total);
    for (const QItemSelectionRange& range : selection->selection()) {
        if (range.parent() != root)
            continue;
        for (int r = std::max(first, range.top()); r <= std::min(end - 1, range.bottom()); ++r)
            if (selection->isRowSelected(r, root))
                found << r;
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    QJsonArray out;
    for (int r : std::as_const(found))
        out << r;
    return out;
}

QJsonObject describe(QWidget* c, QWidget* window, const RowWindow& rows) {
    QJsonObject o;
    o[QStringLiteral("id")] = controlId(c);
    o[QStringLiteral("class")] = controlClass(c);
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(c))
        text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(c))
        text = l->text();
    else if (auto* e = qobject_cast<QLineEdit*>(c))
        text = e->text();
    else if (auto* cb = qobject_cast<QComboBox*>(c))
        text = cb->currentText();
    else if (auto* te = qobject_cast<QTextEdit*>(c))
        text = te->toPlainText();
    else if (auto* pe = qobject_cast<QPlainTextEdit*>(c))
        text = pe->toPlainText();
    else
        text = c->windowTitle();
    o[QStringLiteral("text")] = text;
    o[QStringLiteral("tooltip")] = c->toolTip();
    o[QStringLiteral("visible")] = c->isVisibleTo(window);
    o[QStringLiteral("enabled")] = c->isEnabled();
    o[QStringLiteral("rect")] = rectOf(QRect(c->mapTo(window, QPoint(0, 0)), c->size()));
    if (auto* b = qobject_cast<QAbstractButton*>(c); b && b->isCheckable())
        o[QStringLiteral("checked")] = b->isChecked();
    if (auto* cb = qobject_cast<QComboBox*>(c)) {
        putRows(o, cb->model(), cb->rootModelIndex(), rows, false);
        o[QStringLiteral("current")] = cb->currentIndex();
    }
    if (auto* v = qobject_cast<QAbstractItemView*>(c)) {
        putRows(o, v->model(), v->rootIndex(), rows, true);
        o[QStringLiteral("selected")] =
            v->selectionModel() ? selectedRows(v->selectionModel(), v->rootIndex(), rows,
                                               o[QStringLiteral("rowCount")].toInt())
                                : QJsonArray();
        o[QStringLiteral("current")] = v->currentIndex().isValid() ? v->currentIndex().row() : -1;
    }
    auto tabsOf = [&](QTabBar* bar) {
        QJsonArray tabs;
        for (int i = 0; i < bar->count(); ++i)
            tabs << bar->tabText(i);
        o[QStringLiteral("tabs")] = tabs;
        o[QStringLiteral("current")] = bar->currentIndex();
    };
    if (auto* bar = qobject_cast<QTabBar*>(c))
        tabsOf(bar);
    if (auto* tw = qobject_cast<QTabWidget*>(c))
        tabsOf(tw->tabBar());
    if (auto* s = qobject_cast<QAbstractSlider*>(c))
        o[QStringLiteral("value")] = s->value();
    if (auto* p = qobject_cast<QProgressBar*>(c))
        o[QStringLiteral("value")] = p->value();
    if (auto* a = dynamic_cast<Automatable*>(c))
        a->describeControl(o);
    return o;
}

QString buttonName(QMessageBox::StandardButton b) {
    switch (b) {
    case QMessageBox::Ok:
        return QStringLiteral("ok");
    case QMessageBox::Cancel:
        return QStringLiteral("cancel");
    case QMessageBox::Yes:
        return QStringLiteral("yes");
    case QMessageBox::No:
        return QStringLiteral("no");
    default:
        return {};
    }
}

QJsonValue describeModal(QWidget* m, const RowWindow& rows) {
    if (!m)
        return QJsonValue::Null;
    QJsonObject o;
    o[QStringLiteral("caption")] = m->windowTitle();
    QJsonArray buttons;
    if (auto* box = qobject_cast<QMessageBox*>(m)) {
        o[QStringLiteral("kind")] = QStringLiteral("messagebox");
        o[QStringLiteral("text")] = box->text();
        for (QAbstractButton* b : box->buttons()) {
            const QString name = buttonName(box->standardButton(b));
            if (!name.isEmpty())
                buttons << name;
        }
    } else if (auto* fd = qobject_cast<QFileDialog*>(m)) {
        o[QStringLiteral("kind")] = QStringLiteral("file");
        const QStringList sel = fd->selectedFiles();
        o[QStringLiteral("text")] = fd->fileMode() == QFileDialog::Directory
                                        ? fd->directory().absolutePath()
                                        : (sel.isEmpty() ? QString() : sel.constFirst());
        buttons << QStringLiteral("ok") << QStringLiteral("cancel");
    } else {
        o[QStringLiteral("kind")] = QStringLiteral("dialog");
        o[QStringLiteral("text")] = QString();
        buttons << QStringLiteral("ok") << QStringLiteral("cancel");
        QJsonArray controls;
        for (QWidget* c : controlsOf(m))
            controls << describe(c, m, rows);
        o[QStringLiteral("controls")] = controls;
    }
    o[QStringLiteral("buttons")] = buttons;
    // A program's own message box (a skinned dialog) says what it is and what it shows.
    if (auto* a = dynamic_cast<Automatable*>(m))
        a->describeControl(o);
    return o;
}

QJsonObject dumpObject(QWidget* window, bool withModal, const RowWindow& rows) {
    QJsonObject o;
    o[QStringLiteral("title")] = window->windowTitle();
    o[QStringLiteral("class")] = controlClass(window);
    o[QStringLiteral("pid")] = QCoreApplication::applicationPid();
    o[QStringLiteral("visible")] = window->isVisible();
    o[QStringLiteral("minimized")] = window->isMinimized();
    o[QStringLiteral("topmost")] = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    o[QStringLiteral("enabled")] = window->isEnabled();
    o[QStringLiteral("rect")] = rectOf(window->frameGeometry());
    // Where the window system cannot place windows (a Wayland client), rect means little.
    o[QStringLiteral("platform")] = QGuiApplication::platformName();
    QJsonArray controls;
    for (QWidget* c : controlsOf(window))
        controls << describe(c, window, rows);
    o[QStringLiteral("controls")] = controls;
    QJsonArray owned;
    for (QWidget* w : ownedOf(window))
        owned << dumpObject(w, false, rows);
    o[QStringLiteral("owned")] = owned;
    o[QStringLiteral("modal")] =
        withModal ? describeModal(modalFor(window), rows) : QJsonValue::Null;
    return o;
}

} // namespace

QString dumpWindow(QWidget* window, int firstRow, int rows) {
    return QString::fromUtf8(QJsonDocument(dumpObject(window, true, RowWindow{firstRow, rows}))
                                 .toJson(QJsonDocument::Compact));
}

} // namespace platform::automation
