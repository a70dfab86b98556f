// Text made from a printf pattern, for the messages and the title the
// worker shows; longer texts are cut at 599 characters.
#pragma once

#include <cstdio>
#include <string>

template <typename... Values>
std::string Format(const char* pattern, Values... values) {
    char text[600];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}
