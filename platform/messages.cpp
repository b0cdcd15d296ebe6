#include "platform/messages.h"

namespace platform {

std::uint32_t registerWindowMessage(const QString& name) {
    // FNV-1a over the UTF-8 bytes: simple, and the same in every process and on every run.
    std::uint32_t hash = 2166136261u;
    for (const char byte : name.toUtf8()) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 16777619u;
    }
    return 0xC000u + hash % 0x4000u;
}

} // namespace platform
