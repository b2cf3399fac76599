#pragma once
#include <string>

// A real HTTP server on 127.0.0.1 (tests/support/http_server.py, run with python3) serving the
// files of one folder:
//   GET /<path>          the file, or 404 when there is none
//   GET /cut/<path>      announces the whole file but sends only its first half, then closes
//   GET /redirect/<path> a 302 to /<path>
//   GET /trickle         announces 100000 bytes and sends one a second
//   GET /endless         a body without a length that never ends
//   GET /huge            announces 2 GiB and sends nothing
// It listens on a free port and stops with this object.
class HttpServer {
public:
    explicit HttpServer(const std::string& folder);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string base() const;

private:
    int pid_ = -1;
    int port_ = 0;
};
