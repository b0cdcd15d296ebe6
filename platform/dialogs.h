#pragma once
// Message boxes and file dialogs. Real Qt dialogs in the programs; automation can read and
// answer an open one; tests queue answers so that nothing is shown.
#include "platform/messages.h"

#include <QString>
#include <QStringList>
#include <variant>

class QWidget;

namespace platform::dialogs {

// Returns IDOK, IDCANCEL, IDYES or IDNO.
int messageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
               Icon icon = Icon::None);

// Filters in the suite's form: "ZT 채널파일(*.zt)|*.zt|모든 파일(*.*)|*.*||". Empty when
// cancelled.
QString openFileName(QWidget* owner, const QString& caption, const QString& directory,
                     const QString& filter);
// Several existing files at once; an empty list when cancelled. A queued or automated answer
// names the files one per line.
QStringList openFileNames(QWidget* owner, const QString& caption, const QString& directory,
                          const QString& filter);
QString saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                     const QString& proposedName, const QString& filter,
                     const QString& defaultSuffix);
QString browseFolder(QWidget* owner, const QString& caption, const QString& startFolder);

// A box opens above its owner's window: when that window stays on top of others, so does the
// box (a transient box alone is not kept above a window that is). The dialogs here do it
// themselves; dialogs of a program's own call it before they open.
void stayWithOwner(QWidget* dialog, const QWidget* owner);

// Converts the suite's "text|pattern|...||" filter form to Qt's name filters.
QStringList toNameFilters(const QString& filter);

// --- test seam -------------------------------------------------------------------------
// A queued answer is used by the next dialog instead of showing it: an int button id for a
// message box, a path (empty = cancel) for a file or folder dialog.
using Answer = std::variant<int, QString>;
void queueAnswer(const Answer& answer);
void clearAnswers();
int pendingAnswers();

struct Shown {
    QString kind; // "messagebox", "open", "save", "folder"
    QString caption;
    QString text; // a message box's text; the folder a multiple-file dialog opens in
    Buttons buttons = Buttons::Ok;
};
// Everything shown (or answered from the queue) since the last clear, oldest first.
QList<Shown> shown();
void clearShown();

} // namespace platform::dialogs
