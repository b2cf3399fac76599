#include "platform/Download.h"
#include "support/core/HttpServer.h"
#include "support/core/TempDir.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <stdexcept>

using std::string;

namespace {

string randomBytes(size_t count) {
    std::mt19937 random(20240611);
    string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// A port on 127.0.0.1 that refuses connections: bound, so nothing else takes it, but never listening.
class RefusingPort {
public:
    RefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot reserve a port");
        port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace

TEST(CurlDownloader, KeepsOnlyCompleteResponses) {
    // Whatever proxy the machine names, these requests stay on 127.0.0.1.
    ::setenv("no_proxy", "*", 1);

    TempDir served, into;
    const string archive = randomBytes(3 * 1024 * 1024 + 517);
    const string older = "the archive from last time";
    served.write("Pack 1.zip", archive);
    HttpServer server(served.path());
    RefusingPort refusing;
    const string file = "/Pack%201.zip";

    struct Case {
        const char* what;
        string url, name;
        bool hadOlder, ok;
        string reason;
    } cases[] = {
        {"served file arrives whole", server.base() + file, "a.zip", false, true, ""},
        {"replaces an older file", server.base() + file, "b.zip", true, true, ""},
        {"redirect is followed, its body kept out", server.base() + "/redirect" + file, "c.zip", false, true, ""},
        {"missing file", server.base() + "/none.zip", "d.zip", true, false, "HTTP 404"},
        {"body cut short", server.base() + "/cut" + file, "e.zip", true, false, "cut short"},
        {"nothing listening", "http://127.0.0.1:" + std::to_string(refusing.port()) + file, "f.zip", true, false,
         "connect"},
        {"destination folder missing", server.base() + file, "none/g.zip", false, false, "cannot write"},
        {"only web addresses", "file://" + served.path() + file, "h.zip", false, false, "protocol"},
    };
    for (const auto& c : cases) {
        const string destination = into.file(c.name);
        // An older download, and the partial file of a run that was killed.
        if (c.hadOlder) {
            writeFile(destination, older);
            writeFile(destination + ".part", "stale");
        }

        Downloader::Result result = CurlDownloader().download(c.url, destination);

        EXPECT_EQ(result.ok, c.ok) << c.what << ": " << result.reason;
        EXPECT_NE(result.reason.find(c.reason), string::npos) << c.what << ": " << result.reason;
        if (c.ok) {
            EXPECT_EQ(result.reason, "") << c.what;
            // Compared as a flag: a mismatch would otherwise print megabytes.
            EXPECT_TRUE(into.exists(c.name) && readFile(destination) == archive) << c.what;
        } else if (c.hadOlder) {
            EXPECT_EQ(readFile(destination), older) << c.what;
        } else {
            EXPECT_FALSE(into.exists(c.name)) << c.what;
        }
        EXPECT_FALSE(into.exists(c.name + ".part")) << c.what;
    }
}

namespace {

namespace fs = std::filesystem;

// Small enough that a test never waits long; the program's own are 1024 bytes/s over 60 s and 1 GiB.
const CurlDownloader::Limits TestLimits{1024, 2, 1 << 20};

}  // namespace

// Every transfer ends: a trickle at the speed floor, a body past the size ceiling whether its
// length was announced or not. Each failure leaves the older archive and no partial file.
TEST(CurlDownloader, EndsSlowAndOversizedTransfers) {
    ::setenv("no_proxy", "*", 1);
    TempDir served, into;
    served.write("ceiling.zip", randomBytes(1 << 20));
    served.write("above.zip", randomBytes((1 << 20) + 1));
    HttpServer server(served.path());

    const struct Case {
        const char* path;
        bool ok;
        const char* reason;
    } cases[] = {
        {"/ceiling.zip", true, ""},
        {"/above.zip", false, "the file is larger than 1 MiB"},
        {"/huge", false, "the file is larger than 1 MiB"},
        {"/endless", false, "the file is larger than 1 MiB"},
        {"/trickle", false, "the transfer ran slower than 1024 bytes/s for 2 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const string destination = into.file("archive.zip");
        writeFile(destination, "older");
        writeFile(destination + ".part", "stale");

        Downloader::Result result = CurlDownloader(TestLimits).download(server.base() + c.path, destination);

        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_TRUE(c.ok ? readFile(destination) == served.read("ceiling.zip") : readFile(destination) == "older");
        EXPECT_FALSE(into.exists("archive.zip.part"));
    }
}

// A link left at the partial file's name or at the archive's name is replaced, never written
// through: what it points at keeps its bytes, or stays absent.
TEST(CurlDownloader, NeverWritesThroughALink) {
    ::setenv("no_proxy", "*", 1);
    TempDir served;
    const string archive = randomBytes(200 * 1024);
    served.write("a.zip", archive);
    HttpServer server(served.path());

    const struct Case {
        const char* what;
        const char* linkAt;  // relative to the destination's name
        const char* target;  // the link's target in the download folder, "notes" holding text
        const char* path;
        bool ok;
    } cases[] = {
        {"partial file links to notes", ".part", "notes", "/a.zip", true},
        {"partial file links to nothing", ".part", "absent", "/a.zip", true},
        {"archive links to notes", "", "notes", "/a.zip", true},
        {"partial file links to notes, download fails", ".part", "notes", "/none.zip", false},
        {"archive links to notes, download fails", "", "notes", "/none.zip", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        folder.write("notes", "my notes");
        const string destination = folder.file("archive.zip");
        const string link = destination + c.linkAt;
        fs::create_symlink(folder.file(c.target), link);

        Downloader::Result result = CurlDownloader().download(server.base() + c.path, destination);

        EXPECT_EQ(result.ok, c.ok) << result.reason;
        EXPECT_TRUE(folder.read("notes") == "my notes");  // a flag: a mismatch would print the archive
        EXPECT_FALSE(folder.exists("absent"));
        EXPECT_FALSE(fs::exists(fs::symlink_status(destination + ".part")));
        if (c.ok) {
            EXPECT_FALSE(fs::is_symlink(destination));
            EXPECT_TRUE(readFile(destination) == archive);
        } else if (*c.linkAt == '\0') {
            EXPECT_TRUE(fs::is_symlink(link));  // an existing destination is left as it was
        }
    }
}
