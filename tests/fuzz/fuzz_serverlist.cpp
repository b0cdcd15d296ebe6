// libFuzzer target: the chat's server list "Server3.txt" as it comes over HTTP.
#include "chat/serverlist.h"
#include "tests/fuzz/fuzzsupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);
    const QList<chat::ServerEntry> servers = chat::parseServerList(in);
    // Every entry the list yields obeys the line rules, and reads back the same when it is
    // written as a line of its own.
    for (const chat::ServerEntry& s : servers) {
        FUZZ_CHECK(!s.name.isEmpty() && !s.host.isEmpty() && s.port > 0, s.name + '$' + s.host);
        FUZZ_CHECK(!s.name.contains('\n') && !s.host.contains('\n'), s.name + '$' + s.host);
        chat::ServerEntry again;
        const QByteArray line = s.name + '$' + s.host + '$' + QByteArray::number(s.port);
        FUZZ_CHECK(chat::parseServerLine(line, again) && again == s, line);
    }
    FUZZ_CHECK(servers.size() <= in.count('\n') + 1, QByteArray::number(servers.size()));
    return 0;
}
