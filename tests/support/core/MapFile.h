#pragma once
#include <string>

// The bytes of a map file as the test configuration reads it: a header whose first line (up to
// the first carriage return) ends with the player count code and three zero bytes, as the
// count field of the game's own maps does, then more of the map.
std::string mapContent(int countCode, const std::string& name = "Twisted Meadows");
