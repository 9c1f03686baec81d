// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An HTTP/1.1 server for clients that may be hostile, over libmicrohttpd. Connections wait in one
// event loop per polling thread, so a slow client holds no thread; it is cut off when its request
// has not come whole within the request deadline, when it stays silent for the idle time, and
// when its address holds as many connections as one address may. A request's head is bounded in
// size (431 beyond), a body needs a declared length within the limit (411, 413, before a byte of
// it is read), and the handlers may refuse a request by its head before its body is read.
// Requests that wait long for their answer run on workers of their own while their connection
// sleeps; when every worker is taken they are refused at once.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ZapModule {

struct HttpRequest {
    std::string Method, Path;
    std::string Peer;                            // the connection's address, as text
    std::map<std::string, std::string> Query;    // the first value of each argument
    std::map<std::string, std::string> Headers;  // under their names in lower case
    std::optional<uint64_t> Length;              // the declared Content-Length
    std::string Body;

    // The argument's or header's value, empty where there is none.
    std::string Param(const std::string& name) const;
    std::string Header(const std::string& lowerCaseName) const;
};

struct HttpAnswer {
    int Status = 200;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    // An open file sent instead of the body, read as it is sent; -1 for none.
    int File = -1;
    uint64_t FileSize = 0;
    // Or a body of `StreamSize` bytes read as it is sent, a piece at a time: `Stream` gives up
    // to `most` bytes from `offset`, fewer only where it fails (the connection is cut there).
    std::function<std::string(uint64_t offset, size_t most)> Stream;
    uint64_t StreamSize = 0;
};

struct HttpHandlers {
    // Sees a request's head before its body is read: an answer refuses it there.
    std::function<std::optional<HttpAnswer>(const HttpRequest&)> Admit;
    // Whether the request waits long for its answer, and so runs on a worker.
    std::function<bool(const HttpRequest&)> Slow;
    std::function<HttpAnswer(const HttpRequest&)> Answer;
    // The answer for a request the server refuses itself: 411, 413, or 503 when every worker is
    // taken.
    std::function<HttpAnswer(int status)> Refused;
    // Under which name a connection from `peer` counts against the per-address cap; an empty
    // name is not capped.
    std::function<std::string(const std::string& peer)> AddressGroup;
    // Headers every answer carries.
    std::vector<std::pair<std::string, std::string>> Always;
};

struct HttpLimits {
    unsigned Connections = 512;  // at once, all addresses together
    unsigned PerAddress = 16;
    unsigned IdleSeconds = 10;
    unsigned RequestSeconds = 30;  // from a connection's start or its last answer to the request
    size_t HeadBytes = 32 * 1024;
    uint64_t BodyBytes = 0;
    unsigned PollingThreads = 4;
    unsigned Workers = 4;  // for slow requests
};

class HttpServer {
  public:
    HttpServer(HttpHandlers handlers, HttpLimits limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Serves on `address` and `port` (0: a free one): the port, or -1 with the reason in
    // `problem`.
    int Start(const std::string& address, int port, std::string* problem);
    // Stops taking connections, lets the running slow requests finish and closes every
    // connection.
    void Stop();

    struct Inside;

  private:
    std::unique_ptr<Inside> inside_;
};

}  // namespace ZapModule
