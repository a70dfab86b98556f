// A network whose pictures go to no window: every repaint is a no-op, so it
// can be built, trained and shown on the test's own thread. It is destroyed
// with the object.
#pragma once

#include "network/layer_stack.h"
#include "screen/on_screen_object_manager.h"

struct Headless_Network {
    Headless_Network();
    ~Headless_Network();
    Headless_Network(const Headless_Network&) = delete;
    Headless_Network& operator=(const Headless_Network&) = delete;

    On_Screen_Object_Manager manager;
    Layer_Stack stack;
};
