#pragma once
// The ZT channel file format, free of windows: the favourites saved under a name of the user's
// choice, every byte of every line XORed with one key byte, the lines joined by plain CR LF, no
// line end after the last.
#include <QByteArray>
#include <QList>

namespace ztfile {

inline constexpr char kKey = char(0xB7);

// XOR with the key; its own inverse.
QByteArray scramble(QByteArrayView bytes);

// The file's bytes for these (unscrambled) lines.
QByteArray build(const QList<QByteArray>& lines);

// The unscrambled lines of a file. Scrambling turns the CP949 bytes 0xBA 0xBD into CR LF, so a
// CR LF in the file is a line break only where it starts a character of the unscrambled text
// (the CR of a trail byte is content) and only when the line read so far holds the '^' every
// channel line carries; otherwise it is the syllable 0xBA 0xBD ("봄"). An empty file has no
// lines.
// So parse(build(lines)) gives the lines back when they are whole CP949 text, every line but
// the last holds a '^' and none holds "봄": a blank line (or one without '^') joins the next,
// and a "봄" after the '^' reads as a line break. Both are the format's own ambiguity.
QList<QByteArray> parse(QByteArrayView data);

} // namespace ztfile
