#pragma once
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* CRLF = "\r\n";

// Splits at every occurrence of the delimiter; an empty text gives no parts at all,
// a text without the delimiter gives itself.
std::vector<std::string> splitAll(std::string_view text, std::string_view delimiter);

// Element i of a split; a missing element raises "Subscript out of range" (9).
const std::string& partAt(const std::vector<std::string>& parts, std::size_t index);

// Every occurrence of one text replaced by another.
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

// Blanks removed at both ends (only the blank character, as the classic Trim).
std::string trimBlanks(std::string_view text);

std::string toLower(std::string_view text);

// Lines joined by CR LF.
std::string joinLines(const std::vector<std::string>& lines);
