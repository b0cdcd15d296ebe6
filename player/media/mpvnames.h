#pragma once
// Every libmpv name the player uses (options, properties, commands and the fields of their
// replies) in one place, and the conversion between mpv's seconds and the player's 100 ns
// units.
#include <cmath>
#include <cstdint>

namespace media::mpv {

// --- options set once, before the core starts ---------------------------------------------------
struct Option {
    const char* name;
    const char* value;
};
inline constexpr Option kFixedOptions[] = {
    {"vo", "libmpv"},
    {"audio-fallback-to-null", "yes"},
    {"audio-client-name", "Lumaset"},
    {"idle", "yes"},
    {"keep-open", "yes"}, // the end of a file stays seekable (the position bar)
    {"config", "no"},
    {"load-scripts", "no"},
    {"osc", "no"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osd-level", "0"},
    {"hwdec", "no"},
    {"video-timing-offset", "0"}, // frames arrive when due, never early
    {"demuxer-max-bytes", "32MiB"},
};
// Hardware decoding that copies each frame back to memory, so the software renderer and the
// picture filter still see it; it falls back to software where no decoder fits.
inline constexpr char kHardwareDecoding[] = "hwdec";
inline constexpr char kCopyBackDecoding[] = "auto-copy-safe";
inline constexpr char kAudioOutput[] = "ao";
inline constexpr char kNullAudio[] = "null";
inline constexpr char kTerminal[] = "terminal";
inline constexpr char kMessageLevel[] = "msg-level";

// --- properties ---------------------------------------------------------------------------------
inline constexpr char kTimePos[] = "time-pos";
inline constexpr char kDuration[] = "duration";
inline constexpr char kDisplayWidth[] = "dwidth";
inline constexpr char kDisplayHeight[] = "dheight";
inline constexpr char kEofReached[] = "eof-reached";
inline constexpr char kCoreIdle[] = "core-idle";
inline constexpr char kPause[] = "pause";
inline constexpr char kVideoFilters[] = "vf";
inline constexpr char kVolume[] = "volume";
inline constexpr char kProtocolList[] = "protocol-list";
inline constexpr char kStreamRecord[] = "stream-record"; // copies demuxed packets to a file
inline constexpr char kFileFormat[] = "file-format";     // the demuxer's name for the container

// --- commands and their arguments ----------------------------------------------------------------
inline constexpr char kLoadFile[] = "loadfile";
inline constexpr char kReplace[] = "replace";
inline constexpr char kStop[] = "stop";
inline constexpr char kSeek[] = "seek";
inline constexpr char kAbsoluteExact[] = "absolute+exact";
inline constexpr char kScreenshotRaw[] = "screenshot-raw";
inline constexpr char kVideoOnly[] = "video"; // without subtitles or the on-screen display

// --- fields of the replies -----------------------------------------------------------------------
inline constexpr char kPlaylistEntryId[] = "playlist_entry_id";
inline constexpr char kShotData[] = "data";
inline constexpr char kShotFormat[] = "format";
inline constexpr char kShotWidth[] = "w";
inline constexpr char kShotHeight[] = "h";
inline constexpr char kShotStride[] = "stride";
// The screenshot formats with blue, green, red and one more byte per pixel.
inline constexpr char kBgr0[] = "bgr0";
inline constexpr char kBgra[] = "bgra";

// The filters whose presence tells that the picture filter can be had.
inline constexpr char kFilterProbe[] = "hue=s=0,negate,eq=brightness=0";

// --- units ---------------------------------------------------------------------------------------
inline constexpr double kUnitsPerSecond = 1e7; // the player's positions are 100 ns units

// mpv's seconds as 100 ns units; nothing before the start.
inline std::int64_t toUnits(double seconds) {
    return seconds > 0 ? std::llround(seconds * kUnitsPerSecond) : 0;
}

// 100 ns units as mpv's seconds; nothing before the start.
inline double toSeconds(std::int64_t units) {
    return units > 0 ? units / kUnitsPerSecond : 0.0;
}

} // namespace media::mpv
