#include "network/network_owner.h"

#include <cstdio>
#include <cstdlib>

void Network_Owner::Stop(const char* operation) {
    std::fprintf(stderr, "layerdream: %s was run on a thread that does not own the network\n", operation);
    std::abort();
}
