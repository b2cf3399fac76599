#include "testing/TestMapSettings.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <unistd.h>

#include "common/Standard.h"
#include "platform/Ascii.h"
#include "platform/Paths.h"
#include "platform/RawIo.h"
#include "platform/RuntimeFailure.h"

namespace {

// Windows drops trailing blanks from a file name, so a map passed with one still names the file.
std::string withoutTrailingBlanks(std::string path) {
    while (!path.empty() && path.back() == ' ') path.pop_back();
    return path;
}

// The first of the ways to name the map that finds something, opened for reading; raises
// when none does or when what it finds cannot be read as a file.
int openMap(const std::string& mapPath) {
    const std::string trimmed = withoutTrailingBlanks(mapPath);
    const std::string candidates[] = {mapPath, paths::resolve(mapPath), trimmed, paths::resolve(trimmed)};
    for (const std::string& candidate : candidates) {
        ReadResult result;
        int fd = openRegularFile(candidate, result);
        if (fd >= 0) return fd;
        if (result == ReadResult::NotRegular) failure::raise(failure::PathFileAccessError);
        if (result == ReadResult::Failed)
            failure::raise((errno == EACCES || errno == EPERM) ? failure::PermissionDenied
                                                               : failure::PathFileAccessError);
    }
    failure::raise(failure::FileNotFound);
}

class ClosedOnExit {
public:
    explicit ClosedOnExit(int fd) : fd_(fd) {}
    ~ClosedOnExit() { ::close(fd_); }
    ClosedOnExit(const ClosedOnExit&) = delete;
    ClosedOnExit& operator=(const ClosedOnExit&) = delete;

private:
    int fd_;
};

// What the count needs of the first line: its length and its last four bytes, oldest first.
struct LineEnd {
    std::uint64_t length = 0;
    std::array<unsigned char, 4> last{};

    void add(const char* bytes, std::size_t n) {
        length += n;
        for (std::size_t i = n > last.size() ? n - last.size() : 0; i < n; ++i) {
            std::memmove(last.data(), last.data() + 1, last.size() - 1);
            last.back() = static_cast<unsigned char>(bytes[i]);
        }
    }
};

// A map can be huge and need not hold a carriage return: only a chunk at a time is in memory.
constexpr std::size_t ChunkBytes = 1 << 16;

}  // namespace

int MapPlayerCountCode(const std::string& mapPath) {
    const int fd = openMap(mapPath);
    ClosedOnExit closer(fd);

    LineEnd line;
    bool empty = true;
    std::string chunk;
    chunk.reserve(ChunkBytes);
    for (;;) {
        chunk.clear();
        if (!readRest(fd, chunk, ChunkBytes)) failure::raise(failure::PathFileAccessError);
        if (chunk.empty()) break;
        empty = false;
        const char* cr = static_cast<const char*>(std::memchr(chunk.data(), '\r', chunk.size()));
        line.add(chunk.data(), cr ? std::size_t(cr - chunk.data()) : chunk.size());
        if (cr) break;
    }
    // A file without a first line, and a line without a fourth byte from its end.
    if (empty) failure::raise(failure::InputPastEndOfFile);
    if (line.length < line.last.size()) failure::raise(failure::InvalidProcedureCall);
    return line.last.front();
}

std::optional<double> SpeedNumber(std::string_view text) {
    const std::string_view t = ascii::trimBlanks(text);
    // The grammar is checked here so that nothing the converter would also take (hexadecimal,
    // "inf", "nan") passes; the converter then only reads a plain decimal.
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;

    // The C locale whatever the process's own is: the windowing library adopts the user's, in
    // which the decimal separator may be a comma.
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string number(t);
    // Out of range gives an infinity or zero of the right sign, which is what the caller wants.
    return ::strtod_l(number.c_str(), nullptr, cLocale);
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) return below;
    if (fraction > 0.5) return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::string TestSettingsRecord(const TestSettings& settings) {
    const int switches = (settings.fogOfWarSwitch ? 1 : 0) + (settings.victoryDefeatSwitch ? 2 : 0);
    std::string record = BytesToStr(1, 0, 0, 0);
    record += BytesToStr(switches, 0, 0, 0);
    record += BytesToStr(settings.speed, 0, 0, 0);
    record += settings.mapName;
    record += '\0';
    record += static_cast<char>(settings.players);
    record += BytesToStr(0, 0, 0, 0);
    record += BytesToStr(0, 0, 0, 0);
    record += BytesToStr(0, 0, 0, 20);
    record += BytesToStr(0, 0, 0, 0);
    record += BytesToStr(0, 0, 0, 64);
    return record;
}
