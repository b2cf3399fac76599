#include "support/core/MapFile.h"

std::string mapContent(int countCode, const std::string& name) {
    using namespace std::string_literals;
    return "HM3W\0\0\0\0"s + name + "\0\x10\0\0\0"s + static_cast<char>(countCode) + "\0\0\0\r\n"s +
           "W3do\x08\0\0\0 the rest of the map"s;
}
