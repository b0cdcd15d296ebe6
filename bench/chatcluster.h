#pragma once
// bench_chat cluster [NODES]: chat nodes sharing one Redis beside one single server, same load.
namespace bench {
int chatCluster(int nodes);
}
