// The pictures skingen drew (BRONTAVIA_ART_DIR, else this build's art/; missing is a failure):
// formats, sizes the layouts assume, resource lists, the chat's skin files, visible button states.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <cstdlib>
#include <string>

namespace {

QString artDir() {
    const QString named = QString::fromLocal8Bit(qgetenv("BRONTAVIA_ART_DIR"));
    return named.isEmpty() ? QString::fromUtf8(BRONTAVIA_BUILD_ART_DIR) : named;
}

QString path(const QString& relative) {
    return QDir(artDir()).filePath(relative);
}

// Sizes compare as "w x h" text so that failures read well.
std::string dims(QSize s) {
    return std::to_string(s.width()) + " x " + std::to_string(s.height());
}

QSize sizeOf(const QString& relative) {
    return QImageReader(path(relative)).size();
}

// Bits per pixel, compression, width and height from a BMP file's headers; empty when the file
// is no BMP.
QList<qint64> bmpHeader(const QString& file) {
    QFile f(file);
    const QByteArray b = f.open(QIODevice::ReadOnly) ? f.read(54) : QByteArray();
    if (b.size() < 54 || !b.startsWith("BM"))
        return {};
    const auto* d = reinterpret_cast<const uchar*>(b.constData());
    return {qFromLittleEndian<quint16>(d + 28), qFromLittleEndian<quint32>(d + 30),
            qFromLittleEndian<qint32>(d + 18), qFromLittleEndian<qint32>(d + 22)};
}

// Share of pixels whose colour differs by more than a faint shade.
double changedShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 0;
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) >
                40)
                ++changed;
        }
    }
    return double(changed) / (a.width() * a.height());
}

struct Entry {
    QString file;
    QSize size;
};

QList<Entry> manifest() {
    QList<Entry> entries;
    QFile f(path("manifest.txt"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    while (!f.atEnd()) {
        const QStringList parts = QString::fromUtf8(f.readLine()).trimmed().split(' ');
        if (parts.size() == 3)
            entries.append({parts[0], QSize(parts[1].toInt(), parts[2].toInt())});
    }
    return entries;
}

class Artwork : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(artDir()).isDir()) << "no art folder at " << artDir().toStdString();
    }
};

TEST_F(Artwork, EveryListedPictureExistsInItsFormatAndSize) {
    const QList<Entry> entries = manifest();
    ASSERT_GT(entries.size(), 150);
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.file.toStdString());
        ASSERT_TRUE(QFileInfo::exists(path(e.file)));
        QImageReader reader(path(e.file));
        EXPECT_EQ(dims(reader.size()), dims(e.size));
        const QString suffix = QFileInfo(e.file).suffix();
        if (suffix == "bmp") {
            // The skins are loaded as plain device-independent bitmaps of 24 bits.
            EXPECT_EQ(bmpHeader(path(e.file)),
                      (QList<qint64>{24, 0, e.size.width(), e.size.height()}));
        } else {
            EXPECT_EQ(reader.format(), suffix == "jpg" ? "jpeg" : "png") << "a jpg or png file";
        }
    }
}

TEST_F(Artwork, ResourceListsNameEachPictureOnceUnderRes) {
    const QList<Entry> entries = manifest();
    const QRegularExpression fileTag(R"re(<file alias="([^"]+)">([^<]+)</file>)re");
    for (const QString kind : {"remote", "player", "chat", "filesender"}) {
        SCOPED_TRACE(kind.toStdString());
        QFile qrc(path(kind + ".qrc"));
        ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(qrc.readAll());
        EXPECT_TRUE(xml.contains(R"(<qresource prefix="/res">)"));
        QSet<QString> aliases;
        for (auto it = fileTag.globalMatch(xml); it.hasNext();) {
            const auto m = it.next();
            EXPECT_FALSE(aliases.contains(m.captured(1))) << m.captured(1).toStdString();
            aliases.insert(m.captured(1));
            EXPECT_EQ(m.captured(2), kind + "/" + m.captured(1));
            EXPECT_TRUE(QFileInfo::exists(path(m.captured(2)))) << m.captured(2).toStdString();
        }
        EXPECT_TRUE(aliases.contains("icon128.png"));
        for (const Entry& e : entries) {
            if (e.file.startsWith(kind + "/")) {
                EXPECT_TRUE(aliases.contains(e.file.section('/', 1))) << e.file.toStdString();
            }
        }
    }
}

TEST_F(Artwork, PicturesHaveTheSizesTheLayoutsAssume) {
    // Remote: window, settings, favourites and About backgrounds, buttons as placed; player:
    // both main-window sizes and the docked windows; chat client; file sender: three frames
    // side by side.
    for (const QString& entry :
         QStringLiteral(
             "remote/132.bmp:300x360 remote/160.bmp:241x360 remote/178.bmp:300x130 "
             "remote/165.bmp:400x243 remote/130.bmp:67x30 remote/135.bmp:67x31 "
             "remote/139.bmp:67x29 remote/168.bmp:67x18 remote/145.bmp:67x20 remote/149.bmp:67x22 "
             "remote/151.bmp:19x16 remote/155.bmp:15x16 remote/157.bmp:21x22 remote/158.bmp:21x22 "
             "remote/161.bmp:128x31 remote/163.bmp:63x29 remote/179.bmp:62x30 remote/181.bmp:63x30 "
             "player/182.bmp:344x360 player/181.bmp:680x607 player/202.bmp:344x25 "
             "player/203.bmp:382x157 player/212.bmp:344x197 player/173.bmp:18x18 "
             "player/160.bmp:19x18 player/154.bmp:31x32 player/162.bmp:31x32 player/166.bmp:15x10 "
             "player/152.bmp:52x23 player/204.bmp:34x19 player/216.bmp:63x31 player/218.bmp:65x31 "
             "player/222.bmp:21x18 player/icon170.png:15x17 data/skin/Main.jpg:382x360 "
             "data/skin/Error.jpg:241x203 data/skin/Colour.jpg:212x116 "
             "data/skin/Whisper.jpg:382x221 data/skin/Title.bmp:88x15 data/skin/Info.bmp:42x45 "
             "data/skin/OK.bmp:60x26 data/skin/oks.bmp:70x29 data/skin/Server.bmp:139x29 "
             "data/skin/exit.bmp:21x19 data/skin/UserSelect.bmp:146x13 data/skin/About.bmp:155x17 "
             "data/skin/CancelcOn.bmp:64x32 chat/140.bmp:32x32 data/skin3/Cancel.bmp:234x31 "
             "data/skin3/exit2.bmp:57x18")
             .split(' ')) {
        const QString file = entry.section(':', 0, 0);
        const QStringList wh = entry.section(':', 1).split('x');
        EXPECT_EQ(dims(sizeOf(file)), dims(QSize(wh.value(0).toInt(), wh.value(1).toInt())))
            << file.toStdString();
    }
    // The transfer window must hold its controls: close at (332,4) 19 x 18, cancel at
    // (274,158) 78 x 31.
    const QSize send = sizeOf("data/skin3/Send.jpg");
    EXPECT_GE(send.width(), 352);
    EXPECT_GE(send.height(), 189);
}

TEST_F(Artwork, ChatFindsEverySkinFileItChecksAtStart) {
    // The chat looks skin files up without regard to case, so two names differing only in case
    // would be one file, and each name below must match exactly one.
    const QStringList present = QDir(path("data/skin")).entryList(QDir::Files);
    QSet<QString> lowered;
    for (const QString& name : present) {
        EXPECT_FALSE(lowered.contains(name.toLower())) << name.toStdString();
        lowered.insert(name.toLower());
    }
    const char* required[] = {
        "Main.jpg", "Create.jpg", "Server.bmp", "exit.bmp", "exiton.bmp", "Create.bmp",
        "Createon.bmp", "Join.bmp", "Joinon.bmp", "message.bmp", "out.bmp", "outon.bmp", "ID.jpg",
        "Cancel.bmp", "CancelOn.bmp", "OK.bmp", "OKon.bmp", "Server.jpg", "Error.jpg", "Close.bmp",
        "Closeon.bmp", "ServerOn.bmp", "New.bmp", "Newon.bmp", "Colour.jpg", "Whisper.bmp",
        "WhisperOn.bmp", "Whisper.jpg", "LinkSend.bmp", "Receiver.bmp", "About.bmp", "oks.bmp",
        "okson.bmp", "cancels.bmp", "cancelson.bmp", "Info.bmp", "Title.bmp",
        // Used by buttons and dialogs although not checked at start.
        "colour.bmp", "colouron.bmp", "Link.bmp", "Linkon.bmp", "File.bmp", "Fileon.bmp", "HP.bmp",
        "HPon.bmp", "UserSelect.bmp", "URLSend.bmp", "Cancelc.bmp", "CancelcOn.bmp"};
    for (const char* name : required)
        EXPECT_TRUE(lowered.contains(QString::fromLatin1(name).toLower())) << name;
}

TEST_F(Artwork, ButtonStatesDifferVisibly) {
    using P = std::pair<const char*, const char*>;
    for (const auto& [normal, highlight] :
         {P{"remote/130.bmp", "remote/131.bmp"}, P{"remote/155.bmp", "remote/156.bmp"},
          P{"remote/158.bmp", "remote/157.bmp"}, P{"remote/168.bmp", "remote/169.bmp"},
          P{"player/166.bmp", "player/167.bmp"}, P{"player/179.bmp", "player/180.bmp"},
          P{"player/173.bmp", "player/174.bmp"}, P{"data/skin/OK.bmp", "data/skin/OKon.bmp"},
          P{"data/skin/exit.bmp", "data/skin/exiton.bmp"},
          P{"data/skin/HP.bmp", "data/skin/HPon.bmp"},
          P{"data/skin/CancelcOn.bmp", "data/skin/Cancelc.bmp"}}) {
        const QImage a(path(normal));
        const QImage b(path(highlight));
        ASSERT_EQ(a.size(), b.size()) << normal;
        EXPECT_GT(changedShare(a, b), 0.10) << normal << " vs " << highlight;
    }
    // Mute and sound-on faces share a place and must not look alike.
    EXPECT_GT(changedShare(QImage(path("player/179.bmp")), QImage(path("player/162.bmp"))), 0.03);
    for (const char* file : {"data/skin3/Cancel.bmp", "data/skin3/exit2.bmp"}) {
        const QImage strip(path(file));
        const int w = strip.width() / 3;
        const QImage normal = strip.copy(0, 0, w, strip.height());
        const QImage pressed = strip.copy(w, 0, w, strip.height());
        const QImage hover = strip.copy(2 * w, 0, w, strip.height());
        EXPECT_GT(changedShare(normal, pressed), 0.10) << file;
        EXPECT_GT(changedShare(normal, hover), 0.10) << file;
        EXPECT_GT(changedShare(pressed, hover), 0.10) << file;
    }
}

} // namespace
