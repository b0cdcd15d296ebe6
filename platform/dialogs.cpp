#include "platform/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <deque>

namespace platform::dialogs {

namespace {

struct Script {
    // Kept as plain fields: copying the variant out trips GCC's uninitialised-use analysis.
    struct Queued {
        bool isPath = false;
        int button = 0;
        QString path;
    };
    std::deque<Queued> answers;
    QList<Shown> shown;
};

Script& script() {
    static Script s; // test seam only; programs never queue answers
    return s;
}

void record(const Shown& s) {
    QList<Shown>& list = script().shown;
    list << s;
    if (list.size() > 64) // a record for tests, not a history
        list.removeFirst();
}

std::optional<Script::Queued> takeAnswer() {
    Script& s = script();
    if (s.answers.empty())
        return std::nullopt;
    Script::Queued a = s.answers.front();
    s.answers.pop_front();
    return a;
}

QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Icon i) {
    switch (i) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int toId(QMessageBox::StandardButton b, Buttons buttons) {
    switch (b) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        // Closed without a button: what Escape gives on the platform the suite was built for.
        return buttons == Buttons::Ok ? IDOK : buttons == Buttons::YesNo ? IDNO : IDCANCEL;
    }
}

QString runFileDialog(QWidget* owner, const QString& kind, const QString& caption,
                      const QString& directory, const QString& proposed, const QString& filter,
                      const QString& suffix) {
    record(Shown{kind, caption, proposed, Buttons::OkCancel});
    if (auto a = takeAnswer())
        return a->isPath ? a->path : QString();
    QFileDialog dlg(owner, caption, directory);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    stayWithOwner(&dlg, owner);
    if (kind == QLatin1String("folder")) {
        dlg.setFileMode(QFileDialog::Directory);
        dlg.setOption(QFileDialog::ShowDirsOnly, true);
    } else if (kind == QLatin1String("save")) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!suffix.isEmpty())
            dlg.setDefaultSuffix(suffix);
    } else {
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList filters = toNameFilters(filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    if (!proposed.isEmpty())
        dlg.selectFile(proposed);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QVariant automated = dlg.property("brontaviaAnswer");
    if (automated.isValid())
        return automated.toString();
    const QStringList sel = dlg.selectedFiles();
    return sel.isEmpty() ? QString() : sel.constFirst();
}

} // namespace

int messageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
               Icon icon) {
    record(Shown{QStringLiteral("messagebox"), caption, text, buttons});
    if (auto a = takeAnswer())
        return a->isPath ? IDCANCEL : a->button;
    QMessageBox box(boxIcon(icon), caption, text, standardButtons(buttons), owner);
    box.setWindowModality(Qt::ApplicationModal);
    stayWithOwner(&box, owner);
    const int r = box.exec();
    return toId(static_cast<QMessageBox::StandardButton>(r), buttons);
}

QString openFileName(QWidget* owner, const QString& caption, const QString& directory,
                     const QString& filter) {
    return runFileDialog(owner, QStringLiteral("open"), caption, directory, QString(), filter,
                         QString());
}

QStringList openFileNames(QWidget* owner, const QString& caption, const QString& directory,
                          const QString& filter) {
    record(Shown{QStringLiteral("open"), caption, directory, Buttons::OkCancel});
    if (auto a = takeAnswer()) {
        if (!a->isPath)
            return {};
        return a->path.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QFileDialog dlg(owner, caption, directory);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    stayWithOwner(&dlg, owner);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = toNameFilters(filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QVariant automated = dlg.property("brontaviaAnswer");
    if (automated.isValid())
        return automated.toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return dlg.selectedFiles();
}

QString saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                     const QString& proposedName, const QString& filter,
                     const QString& defaultSuffix) {
    return runFileDialog(owner, QStringLiteral("save"), caption, directory, proposedName, filter,
                         defaultSuffix);
}

QString browseFolder(QWidget* owner, const QString& caption, const QString& startFolder) {
    return runFileDialog(owner, QStringLiteral("folder"), caption, startFolder, startFolder,
                         QString(), QString());
}

void stayWithOwner(QWidget* dialog, const QWidget* owner) {
    if (!dialog || dialog->isVisible())
        return;
    const bool above = owner && owner->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, above);
}

QStringList toNameFilters(const QString& filter) {
    // "Text (*.txt)|*.txt|All (*.*)|*.*||": pairs of a description and its patterns.
    QStringList parts = filter.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        // Qt reads the patterns from the last parentheses of the description.
        const int paren = desc.indexOf(QLatin1Char('('));
        if (paren >= 0)
            desc = desc.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out;
}

void queueAnswer(const Answer& answer) {
    Script::Queued q;
    if (const auto* path = std::get_if<QString>(&answer)) {
        q.isPath = true;
        q.path = *path;
    } else {
        q.button = std::get<int>(answer);
    }
    script().answers.push_back(q);
}
void clearAnswers() {
    script().answers.clear();
}
int pendingAnswers() {
    return int(script().answers.size());
}
QList<Shown> shown() {
    return script().shown;
}
void clearShown() {
    script().shown.clear();
}

} // namespace platform::dialogs
