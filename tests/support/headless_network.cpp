#include "support/headless_network.h"

Headless_Network::Headless_Network() {
    stack.window = nullptr;
    stack.manager = &manager;
}

Headless_Network::~Headless_Network() { Destroy_Network(stack); }
