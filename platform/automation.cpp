// Controls known by id, found in a window, its modal box and owned windows, and driven.
#include "platform/automation.h"

#include "platform/automation_internal.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

namespace platform {

namespace {
const char* const kIdProperty = "brontaviaControlId";
const char* const kClassProperty = "brontaviaControlClass";
} // namespace

void setControlId(QWidget* control, int id) {
    if (control)
        control->setProperty(kIdProperty, id);
}

int controlId(const QWidget* control) {
    if (!control)
        return -1;
    const QVariant v = control->property(kIdProperty);
    return v.isValid() ? v.toInt() : -1;
}

void setControlClass(QWidget* control, const QString& className) {
    if (control)
        control->setProperty(kClassProperty, className);
}

QString controlClass(const QWidget* control) {
    if (!control)
        return {};
    const QVariant v = control->property(kClassProperty);
    return v.isValid() ? v.toString() : QString::fromLatin1(control->metaObject()->className());
}

namespace automation {

namespace {

// Secondary windows of our own (docked bars, member dialogs); Qt's own popups, message boxes
// and file dialogs are not "owned windows" in this sense.
bool isOwnedWindow(const QWidget* w) {
    if (!w->isWindow())
        return false;
    const Qt::WindowType type = w->windowType();
    if (type == Qt::ToolTip || type == Qt::Popup)
        return false;
    return !controlClass(w).startsWith(QLatin1Char('Q'));
}

void collect(QWidget* parent, QList<QWidget*>* controls, QList<QWidget*>* owned) {
    for (QObject* o : parent->children()) {
        if (!o->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(o);
        if (w->isWindow()) {
            if (owned && isOwnedWindow(w))
                *owned << w;
            continue;
        }
        if (controls && controlId(w) >= 0)
            *controls << w;
        collect(w, controls, owned);
    }
}

} // namespace

QList<QWidget*> controlsOf(QWidget* window) {
    QList<QWidget*> controls;
    collect(window, &controls, nullptr);
    return controls;
}

QList<QWidget*> ownedOf(QWidget* window) {
    QList<QWidget*> owned;
    collect(window, nullptr, &owned);
    return owned;
}

QWidget* modalFor(QWidget* window) {
    QWidget* m = QApplication::activeModalWidget();
    if (!m || m == window)
        return nullptr;
    for (QWidget* p = m->parentWidget(); p; p = p->parentWidget())
        if (p == window)
            return m;
    return m->parentWidget() ? nullptr : m;
}

namespace {

QWidget* findIn(QWidget* window, int id) {
    for (QWidget* c : controlsOf(window))
        if (controlId(c) == id)
            return c;
    return nullptr;
}

QWidget* findOwned(QWidget* window, int id, const QString& cls) {
    for (QWidget* w : ownedOf(window)) {
        if (cls.isEmpty() || controlClass(w) == cls)
            if (QWidget* c = findIn(w, id))
                return c;
        if (QWidget* c = findOwned(w, id, cls))
            return c;
    }
    return nullptr;
}

// "1028" or "CAddressBar:1028": the modal dialog first, then the window, then its owned windows.
QWidget* findControl(QWidget* window, const QString& spec) {
    QString cls;
    QString idText = spec;
    const int colon = spec.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        cls = spec.left(colon);
        idText = spec.mid(colon + 1);
    }
    bool ok = false;
    const int id = idText.toInt(&ok);
    if (!ok)
        return nullptr;
    if (QWidget* m = modalFor(window); m && (cls.isEmpty() || controlClass(m) == cls))
        if (QWidget* c = findIn(m, id))
            return c;
    if (cls.isEmpty() || controlClass(window) == cls)
        if (QWidget* c = findIn(window, id))
            return c;
    return findOwned(window, id, cls);
}

// Actions run from the event loop, after the automation call has returned: a press may open
// a modal box, and the caller must not wait for the user's answer.
template <typename F> void later(QWidget* target, F f) {
    QPointer<QWidget> p(target);
    QMetaObject::invokeMethod(
        qApp,
        [p, f] {
            if (p)
                f(p.data());
        },
        Qt::QueuedConnection);
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& pos) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent ev(type, local, local, global, Qt::LeftButton,
                   type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(target, &ev);
}

void clickRow(QAbstractItemView* view, int row, bool dbl) {
    const QModelIndex idx = view->model()->index(row, 0, view->rootIndex());
    view->scrollTo(idx);
    const QRect r = view->visualRect(idx);
    if (r.isValid() && view->viewport()->rect().contains(r.center()) &&
        view->indexAt(r.center()).row() == row) {
        const QPoint p = r.center();
        sendMouse(view->viewport(), QEvent::MouseButtonPress, p);
        sendMouse(view->viewport(), QEvent::MouseButtonRelease, p);
        if (dbl) {
            sendMouse(view->viewport(), QEvent::MouseButtonDblClick, p);
            sendMouse(view->viewport(), QEvent::MouseButtonRelease, p);
        }
        return;
    }
    // Not laid out on screen (hidden window): act on the model directly.
    view->setCurrentIndex(idx);
    if (view->selectionModel())
        view->selectionModel()->select(idx, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    Q_EMIT view->clicked(idx);
    if (dbl) {
        Q_EMIT view->doubleClicked(idx);
        Q_EMIT view->activated(idx);
    }
}

int rowAction(QWidget* window, const QString& control, int row, bool dbl) {
    QWidget* c = findControl(window, control);
    if (!c)
        return 1;
    if (row < 0)
        return 1;
    if (auto* view = qobject_cast<QAbstractItemView*>(c)) {
        if (!view->model() || row >= view->model()->rowCount(view->rootIndex()))
            return 1;
        later(view,
              [row, dbl](QWidget* w) { clickRow(static_cast<QAbstractItemView*>(w), row, dbl); });
        return 0;
    }
    QTabBar* bar = qobject_cast<QTabBar*>(c);
    if (auto* tw = qobject_cast<QTabWidget*>(c))
        bar = tw->tabBar();
    if (bar) {
        if (row >= bar->count())
            return 1;
        later(bar, [row](QWidget* w) { static_cast<QTabBar*>(w)->setCurrentIndex(row); });
        return 0;
    }
    if (auto* cb = qobject_cast<QComboBox*>(c)) {
        if (row >= cb->count())
            return 1;
        later(cb, [row](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(row); });
        return 0;
    }
    if (dynamic_cast<Automatable*>(c)) {
        later(c, [row, dbl](QWidget* w) {
            auto* a = dynamic_cast<Automatable*>(w);
            if (dbl)
                a->automationActivate(row);
            else
                a->automationSelect(row);
        });
        return 0;
    }
    return 2;
}

} // namespace

int press(QWidget* window, const QString& control) {
    QWidget* c = findControl(window, control);
    if (!c)
        return 1;
    if (dynamic_cast<Automatable*>(c)) {
        later(c, [](QWidget* w) {
            if (!dynamic_cast<Automatable*>(w)->automationPress())
                if (auto* b = qobject_cast<QAbstractButton*>(w))
                    b->click();
        });
        return 0;
    }
    if (qobject_cast<QAbstractButton*>(c)) {
        later(c, [](QWidget* w) { static_cast<QAbstractButton*>(w)->click(); });
        return 0;
    }
    return 2;
}

int setText(QWidget* window, const QString& control, const QString& text) {
    QWidget* c = findControl(window, control);
    if (!c)
        return 1;
    if (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QTextEdit*>(c) ||
        qobject_cast<QPlainTextEdit*>(c) || dynamic_cast<Automatable*>(c)) {
        later(c, [text](QWidget* w) {
            if (auto* a = dynamic_cast<Automatable*>(w); a && a->automationSetText(text))
                return;
            if (auto* e = qobject_cast<QLineEdit*>(w)) {
                e->setText(text);
                Q_EMIT e->textEdited(text);
            } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
                if (cb->isEditable())
                    cb->setEditText(text);
                else if (int i = cb->findText(text); i >= 0)
                    cb->setCurrentIndex(i);
            } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
                te->setPlainText(text);
            } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
                pe->setPlainText(text);
            }
        });
        return 0;
    }
    return 2;
}

int activate(QWidget* window, const QString& control, int row) {
    return rowAction(window, control, row, true);
}

int select(QWidget* window, const QString& control, int row) {
    return rowAction(window, control, row, false);
}

int key(QWidget* window, const QString& keyName) {
    if (keyName.compare(QLatin1String("Alt+F4"), Qt::CaseInsensitive) == 0) {
        // What the window manager does on Alt+F4: ask the window to close.
        later(window, [](QWidget* w) { w->close(); });
        return 0;
    }
    const QKeySequence seq = QKeySequence::fromString(keyName, QKeySequence::PortableText);
    if (seq.isEmpty() || seq[0].key() == Qt::Key_unknown)
        return 2;
    const QKeyCombination kc = seq[0];
    const int k = kc.key();
    const Qt::KeyboardModifiers mods = kc.keyboardModifiers();
    QString text;
    if (k == Qt::Key_Return || k == Qt::Key_Enter)
        text = QStringLiteral("\r");
    else if (k == Qt::Key_Escape)
        text = QString(QChar(0x1b));
    else if (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde &&
             !(mods & (Qt::ControlModifier | Qt::AltModifier)))
        text = (mods & Qt::ShiftModifier) ? QString(QChar(k)) : QString(QChar(k)).toLower();
    QWidget* target = modalFor(window);
    if (!target)
        target = window->focusWidget() ? window->focusWidget() : window;
    later(target, [k, mods, text](QWidget* w) {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QCoreApplication::sendEvent(w, &release);
    });
    return 0;
}

int answer(QWidget* window, const QString& what) {
    QWidget* m = modalFor(window);
    if (!m)
        return 1;
    const QString w = what.toLower();
    if (auto* box = qobject_cast<QMessageBox*>(m)) {
        QMessageBox::StandardButton sb = QMessageBox::NoButton;
        if (w == QLatin1String("ok"))
            sb = QMessageBox::Ok;
        else if (w == QLatin1String("cancel"))
            sb = QMessageBox::Cancel;
        else if (w == QLatin1String("yes"))
            sb = QMessageBox::Yes;
        else if (w == QLatin1String("no"))
            sb = QMessageBox::No;
        QAbstractButton* b = sb == QMessageBox::NoButton ? nullptr : box->button(sb);
        if (!b)
            return 2;
        later(b, [](QWidget* x) { static_cast<QAbstractButton*>(x)->click(); });
        return 0;
    }
    auto* dlg = qobject_cast<QDialog*>(m);
    if (!dlg)
        return 2;
    if (w == QLatin1String("cancel")) {
        later(dlg, [](QWidget* x) { static_cast<QDialog*>(x)->reject(); });
        return 0;
    }
    if (qobject_cast<QFileDialog*>(m)) {
        // The dialog service reads the answer from this property instead of the dialog's
        // own selection, so no overwrite question or validation can intervene.
        if (w != QLatin1String("ok"))
            dlg->setProperty("brontaviaAnswer", what);
        later(dlg, [](QWidget* x) { static_cast<QDialog*>(x)->done(QDialog::Accepted); });
        return 0;
    }
    if (w == QLatin1String("ok")) {
        later(dlg, [](QWidget* x) { static_cast<QDialog*>(x)->accept(); });
        return 0;
    }
    return 2;
}

} // namespace automation
} // namespace platform
