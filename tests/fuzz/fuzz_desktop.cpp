// The desktop-open targets. What the desktop is given is exactly the target that passed the
// checks, and that target is an http, https or ftp address with a host, a mail address, or an
// existing local file that nothing would run.
//
// A fixed folder of sample files (plain documents, programs, launchers, names with backslashes,
// spaces and percent signs) gives the fuzzer real files to reach; the seed corpus names them.
#include "platform/desktop.h"
#include "platform/shell.h"
#include "remote/playing.h"
#include "tests/fuzz/fuzzsupport.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

namespace {

const QString kSamples = QStringLiteral("/tmp/brontavia-fuzz-desktop");

// Stands in for the desktop's URL handlers.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop() {
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    static constexpr const char* kSchemes[] = {"http", "https", "ftp",  "mailto",    "file",
                                               "smb",  "sftp",  "data", "javascript"};
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

void makeSample(const QString& name, const QByteArray& content, bool executable) {
    const QString path = kSamples + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    file.close();
    file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                   : QFile::ReadOwner | QFile::WriteOwner);
}

void makeSamples() {
    makeSample(QStringLiteral("notes.txt"), "KBS1^mms://kbs/x\n", false);
    makeSample(QStringLiteral("x.txt "), "plain\n", false);
    makeSample(QStringLiteral("x.txt"), "#!/bin/sh\necho hi\n", true);
    makeSample(QStringLiteral("a\\b"), "plain\n", false);
    makeSample(QStringLiteral("a/b"), "#!/bin/sh\necho hi\n", true);
    makeSample(QStringLiteral("100%.txt"), "plain\n", false);
    makeSample(QStringLiteral("run.sh"), "#!/bin/sh\necho hi\n", false);
    makeSample(QStringLiteral("start.desktop"), "[Desktop Entry]\nType=Application\nExec=x\n",
               false);
    makeSample(QStringLiteral("Tool.exe"), "MZ\x90\x00", false);
    makeSample(QStringLiteral("#frag?.txt"), "plain\n", false);
    makeSample(QStringLiteral("채널.txt"), "plain\n", false);
}

bool isLauncher(const QFileInfo& info) {
    if (info.permissions() & (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther))
        return true;
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    for (const char* type : {"application/x-executable", "application/x-desktop",
                             "application/x-shellscript", "application/x-ms-dos-executable"})
        if (mime.inherits(QLatin1String(type)))
            return true;
    return false;
}

Desktop* desktop = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    fuzz::privateHome();
    makeSamples();
    QDir::setCurrent(kSamples); // relative paths resolve among the samples
    static Desktop instance;
    desktop = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in = fuzz::bytes(data, size).toByteArray();
    const auto target = playing::desktopTarget(in);
    if (!target)
        return 0;

    FUZZ_CHECK(target->isValid() && !target->isRelative(), in);
    const QString scheme = target->scheme();
    if (scheme == QLatin1String("file")) {
        const QFileInfo info(target->toLocalFile());
        FUZZ_CHECK(info.isFile() && !isLauncher(info), in);
        FUZZ_CHECK(target->host().isEmpty(), in);
    } else if (scheme == QLatin1String("mailto")) {
        FUZZ_CHECK(!target->path().isEmpty() && target->authority().isEmpty(), in);
    } else {
        FUZZ_CHECK(scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                       scheme == QLatin1String("ftp"),
                   in);
        FUZZ_CHECK(!target->host().isEmpty(), in);
    }

    desktop->opened.clear();
    FUZZ_CHECK(platform::desktop::openUrl(*target), in);
    FUZZ_CHECK(desktop->opened == QList<QUrl>{*target}, in);
    // The desktop may get the URL as text: that text reads back as the same URL, naming the
    // same file.
    const QString text = target->toString(QUrl::FullyEncoded);
    const QUrl reread(text);
    FUZZ_CHECK(reread.toString(QUrl::FullyEncoded) == text, in);
    if (target->isLocalFile())
        FUZZ_CHECK(reread.toLocalFile() == target->toLocalFile(), in);
    return 0;
}

#include "fuzz_desktop.moc"
