#pragma once
#include <optional>
#include <string>
#include <string_view>

// What the test configuration window reads from the map and builds on Save, with no windowing
// here so that both are tested on their own.

// The character code (0 to 255) of the fourth byte before the first carriage return of the map
// (or before its end when it holds none). The map is found by its exact path, then without regard
// to letter case, then without trailing blanks; it is read in chunks, keeping only the last four
// bytes, and opened without blocking. Raises 53 when missing, 70 when unreadable, 75 when it is
// not a regular file, 62 when empty and 5 when its first line is shorter than four bytes.
int MapPlayerCountCode(const std::string& mapPath);

// A game speed typed as text: a decimal number in the C locale (outer blanks, a sign, a fraction
// and an exponent allowed; no hexadecimal, no thousands separators), or nothing when the text is
// not such a number.
std::optional<double> SpeedNumber(std::string_view text);

// Rounded to the nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double value);

// The test settings record, as Save builds it.
struct TestSettings {
    bool fogOfWarSwitch = false;          // "Disable Fog of War" is not unchecked
    bool victoryDefeatSwitch = false;     // "Disable Victory/defeat conditions..." is not unchecked
    int speed = 1;                        // 1 to 25
    std::string mapName;                  // the map's path as given, bytes
    int players = 0;                      // rows on "Computer" or "User", 0 to 12
};
std::string TestSettingsRecord(const TestSettings& settings);
