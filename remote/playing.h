#pragma once
// The decisions behind playing a channel, free of windows: what kind an address is, how a
// channel target splits into stream and homepage, where the stream address sits in a page,
// the text of the pop-up page, and which addresses may leave the program at all. Addresses
// are CP949 bytes, as they stand in the channel lists.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace playing {

enum class Kind {
    Stream, // handed to the player as it is
    Page,   // "+": a web page holding the stream address
    Shell,  // "-": opened by the desktop (a web page in the user's browser, or a document)
};

struct Address {
    Kind kind = Kind::Stream;
    QByteArray text; // trimmed; for pages and shell addresses without the leading mark
    bool operator==(const Address&) const = default;
};

// Trims white space at both ends, then decides the kind by the first character.
Address classify(const QByteArray& address);

struct TargetSplit {
    QByteArray stream;   // what to play (may be empty: the player then gets the bare prefix)
    QByteArray homepage; // empty when the channel carries none
    bool operator==(const TargetSplit&) const = default;
};

// Splits a channel target at its first '^'. Without one, or with one in front (an empty
// stream address before a homepage), the whole target is the stream address.
TargetSplit splitTarget(const QByteArray& target);

// The first "mms://" (exactly so spelled) in a page's CP949 text, up to the next double
// quote; nothing when no quote follows.
std::optional<QByteArray> findStreamAddress(const QByteArray& page);

// The same, on a page's markup as the browser gives it (converted to CP949 first).
std::optional<QByteArray> scrapeStreamAddress(const QString& markup);

// A "+" page may only be an http or https address with a host.
std::optional<QUrl> pageUrl(const QByteArray& address);

// What the desktop may open for a "-" address: an http, https or ftp address with a host, a
// mailto address, or an existing local document that nothing would run (no execute bit, not
// a launcher such as a script, desktop entry or Windows program); nothing when the address is
// refused. The address is brought to its final form before it is checked, and the result goes
// unchanged to platform::desktop::openUrl: what was checked is what is opened.
std::optional<QUrl> desktopTarget(const QByteArray& address);

// Escapes text for a JavaScript string in single quotes inside an HTML script element: the
// result holds no quote, backslash, angle bracket, control or non-ASCII character.
QByteArray jsSingleQuoted(QStringView text);

// The pop-up page that opens `homepage` in a window named "Refer": seven CR LF lines. Only
// http and https homepages get a page.
std::optional<QByteArray> popupPage(const QByteArray& homepage);

inline const QString kPopupPageName = QStringLiteral("a.htm");
inline const QString kPopupWindowTitle = QStringLiteral("Refer");

// The preset stations behind the buttons on the left of the remote.
struct Preset {
    int buttonId;
    const char* prefix;
    const char* stream;
    const char* homepage;
};

inline constexpr Preset kPresets[] = {
    {1001, "KBS1^", "mms://kbs-stream.example.net/H_1TV", "http://www.kbs.example.net/"},
    {1002, "KBS2^", "mms://kbs-stream.example.net/H_2TV", "http://www.kbs.example.net/"},
    {1016, "MBC^", "mms://mbc-stream.example.net/imbcTV", "http://www.imbc.example.net/"},
    {1019, "PSB^", "mms://psb-stream.example.net/psbraktv", "http://www.psb.example.net/"},
};

// nullptr for a button that is not a preset.
const Preset* presetFor(int buttonId);

} // namespace playing
