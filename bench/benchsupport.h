#pragma once
// What the benchmarks share: medians and their printing, the test media, the bare-libmpv first
// frame that every play figure is compared with, and the start of a program to its first shown
// window.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bench {

inline constexpr int kTimeoutMs = 20000;

double median(std::vector<double> v);

// "  name  median x ms   ratio r" (no ratio when reference <= 0); "failed" for no samples.
void report(const char* name, const std::vector<double>& ms, double reference);

// Makes a test file with ffmpeg (10 s of a moving pattern with a tone). `h264` gives the demo
// station's kind of file (H.264 and AAC in MP4), otherwise MPEG-4 Visual in AVI. False when
// ffmpeg is missing or fails.
bool makeTestFile(const QString& path, bool h264 = false);

// libmpv driven directly with the software renderer the player uses: loadfile to the first
// frame drawn, no player around it.
std::optional<double> bareLibmpvFirstFrameMs(const QString& file);

// Starts `program` and waits until a window titled `title` is shown in the window directory;
// kills it afterwards and waits until the title is gone. With `dump`, the window's automation
// dump is taken when it shows.
std::optional<double> shownAfterStartMs(const QString& program, const QStringList& args,
                                        const QString& title, const QProcessEnvironment& env,
                                        QByteArray* dump = nullptr);

} // namespace bench
