#pragma once
// The serving side of the window directory: the bus object a window's title is answered by in
// this process, and the names both sides derive from a title. Only the directory includes it.
#include "platform/automation_internal.h"
#include "platform/messages.h"
#include "platform/windowdirectory.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace directory {

inline const QString kInterface = QStringLiteral("org.brontavia.Window");
inline const QString kPrefix = QStringLiteral("org.brontavia.Window.");
inline constexpr int kCallTimeoutMs = 10000;

inline QString titleKey(const QString& title) {
    const QByteArray utf8 = title.toUtf8();
    // Bus names are limited to 255 characters; long titles go by a digest instead.
    if (utf8.size() > 100)
        return QStringLiteral("h") +
               QString::fromLatin1(
                   QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex());
    return QStringLiteral("x") + QString::fromLatin1(utf8.toHex());
}

inline QString objectPath(const QString& title) {
    return QStringLiteral("/w/") + titleKey(title);
}

inline QVariantList messageArgs(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    return {QVariant::fromValue(uint(msg)), QVariant::fromValue(qulonglong(wParam)),
            QVariant::fromValue(qlonglong(lParam))};
}

inline QDBusConnection bus() {
    return QDBusConnection::sessionBus();
}

// One window (widget or stand-in) answering for a title in this process.
struct Target {
    QPointer<QWidget> widget;
    QPointer<windows::StandIn> standIn;
    bool alive() const { return widget || standIn; }
};

inline std::int64_t deliver(const Target& target, std::uint32_t msg, std::uint64_t wParam,
                            std::int64_t lParam) {
    if (target.standIn)
        return target.standIn->deliver(msg, wParam, lParam);
    QWidget* w = target.widget;
    if (!w)
        return 0;
    if (auto* handler = dynamic_cast<MessageHandler*>(w)) {
        if (auto result = handler->handleMessage(msg, wParam, lParam))
            return *result;
    }
    if (msg == WM_CLOSE && target.widget)
        target.widget->close();
    return 0;
}

} // namespace directory

// The object a title is served by on the bus. The first living window with the title answers;
// later ones wait behind it, as the bus queues their name requests across processes.
using directory::Target;

class TitleObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.brontavia.Window")
public:
    explicit TitleObject(const QString& title, QObject* parent) : QObject(parent), title_(title) {}

    QList<Target> targets;

    Target front() {
        targets.erase(std::remove_if(targets.begin(), targets.end(),
                                     [](const Target& t) { return !t.alive(); }),
                      targets.end());
        return targets.isEmpty() ? Target{} : targets.front();
    }

public slots:
    QString Title() { return title_; }
    qlonglong Pid() { return QCoreApplication::applicationPid(); }
    void Post(uint msg, qulonglong wParam, qlonglong lParam) { postLocal(msg, wParam, lParam); }
    qlonglong Send(uint msg, qulonglong wParam, qlonglong lParam) {
        return deliver(front(), msg, wParam, lParam);
    }
    bool Show(const QString& mode) {
        QWidget* w = front().widget;
        if (!w)
            return false;
        if (mode == QLatin1String("hide"))
            w->hide();
        else if (mode == QLatin1String("minimize"))
            w->showMinimized();
        else if (mode == QLatin1String("normal"))
            w->showNormal();
        else
            return false;
        return true;
    }
    bool Move(int x, int y, int width, int height) {
        QWidget* w = front().widget;
        if (!w)
            return false;
        if (width >= 0 && height >= 0) {
            // The size asked for is the outer size, frame included.
            const QSize frame = w->frameGeometry().size() - w->geometry().size();
            w->resize(std::max(0, width - frame.width()), std::max(0, height - frame.height()));
        }
        w->move(x, y);
        return true;
    }
    bool SetTopmost(bool topmost) {
        QWidget* w = front().widget;
        if (!w)
            return false;
        setWindowTopmost(w, topmost);
        return true;
    }
    QList<int> Rect() {
        QWidget* w = front().widget;
        if (!w)
            return {0, 0, 0, 0};
        const QRect r = w->frameGeometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    bool IsVisible() {
        QWidget* w = front().widget;
        return w && w->isVisible();
    }
    // The whole window with the first rows of its lists (callers from before row windows).
    QString Dump() { return DumpRows(0, windows::kDumpRows); }
    QString DumpRows(int firstRow, int rows) {
        Target t = front();
        if (t.widget)
            return automation::dumpWindow(t.widget, firstRow, rows);
        QJsonObject o{{QStringLiteral("title"), title_},
                      {QStringLiteral("pid"), QCoreApplication::applicationPid()},
                      {QStringLiteral("visible"), false},
                      {QStringLiteral("minimized"), false},
                      {QStringLiteral("topmost"), false},
                      {QStringLiteral("enabled"), true},
                      {QStringLiteral("rect"), QJsonArray{0, 0, 0, 0}},
                      {QStringLiteral("controls"), QJsonArray{}},
                      {QStringLiteral("owned"), QJsonArray{}},
                      {QStringLiteral("modal"), QJsonValue::Null}};
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    int Press(const QString& control) {
        return withWidget([&](QWidget* w) { return automation::press(w, control); });
    }
    int SetText(const QString& control, const QString& text) {
        return withWidget([&](QWidget* w) { return automation::setText(w, control, text); });
    }
    int Activate(const QString& control, int row) {
        return withWidget([&](QWidget* w) { return automation::activate(w, control, row); });
    }
    int Select(const QString& control, int row) {
        return withWidget([&](QWidget* w) { return automation::select(w, control, row); });
    }
    int Key(const QString& key) {
        return withWidget([&](QWidget* w) { return automation::key(w, key); });
    }
    int Answer(const QString& what) {
        return withWidget([&](QWidget* w) { return automation::answer(w, what); });
    }

public:
    void postLocal(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
        // Posted messages are handled later, in order, from the event loop.
        QPointer<TitleObject> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, msg, wParam, lParam] {
                if (self)
                    deliver(self->front(), msg, wParam, lParam);
            },
            Qt::QueuedConnection);
    }

private:
    template <typename F> int withWidget(F f) {
        QWidget* w = front().widget;
        return w ? f(w) : 1;
    }
    QString title_;
};

} // namespace platform
