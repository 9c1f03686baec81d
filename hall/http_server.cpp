// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace ZapModule {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Clock::time_point kNoDeadline = Clock::time_point::max();
// A streamed body is read and sent this much at a time.
constexpr size_t kStreamPiece = 64 * 1024;

std::string Lookup(const std::map<std::string, std::string>& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
}

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    return text;
}

// A Content-Length as a number: digits only, and not beyond what 64 bits hold.
std::optional<uint64_t> LengthOf(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t length = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        length = length * 10 + static_cast<uint64_t>(c - '0');
    }
    return length;
}

// One connection: its socket, the group of addresses it counts in, and by when its request
// must have come whole.
struct Link {
    int Socket = -1;
    std::string Group;
    Clock::time_point Deadline = kNoDeadline;
};

// One request on its way.
struct Exchange {
    HttpRequest Request;
    std::optional<HttpAnswer> Answer;  // once a worker has answered it
    bool Answered = false;             // queued: whatever else comes of it is dropped
};

}  // namespace

std::string HttpRequest::Param(const std::string& name) const {
    return Lookup(Query, name);
}

std::string HttpRequest::Header(const std::string& lowerCaseName) const {
    return Lookup(Headers, lowerCaseName);
}

struct HttpServer::Inside {
    HttpHandlers Handlers;
    HttpLimits Limits;
    MHD_Daemon* Daemon = nullptr;
    int Listening = -1;

    // The connections open, each counted in its group.
    std::mutex LinksMutex;
    std::unordered_set<Link*> Links;
    std::unordered_map<std::string, unsigned> PerGroup;
    // Cuts off the connections past their deadline, once a second.
    std::condition_variable SweeperWakes;
    bool SweeperStops = false;
    std::thread Sweeper;

    // The slow requests given to the workers and not yet answered, with their connections.
    std::mutex WorkMutex;
    std::condition_variable WorkCame;
    std::deque<std::pair<MHD_Connection*, Exchange*>> Work;
    unsigned Taken = 0;
    bool WorkersStop = false;
    std::vector<std::thread> Workers;

    void SetDeadline(MHD_Connection* connection, Clock::time_point deadline) {
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        if (!info || !info->socket_context) return;
        const std::lock_guard lock(LinksMutex);
        static_cast<Link*>(info->socket_context)->Deadline = deadline;
    }
    Clock::time_point NextDeadline() const {
        return Clock::now() + std::chrono::seconds(Limits.RequestSeconds);
    }

    void Sweep() {
        std::unique_lock lock(LinksMutex);
        while (!SweeperWakes.wait_for(lock, std::chrono::seconds(1),
                                      [this] { return SweeperStops; })) {
            const Clock::time_point now = Clock::now();
            // Shut down, the connection fails in its own polling thread and is closed there;
            // it is still open, for it leaves the list before its socket is closed.
            for (Link* link : Links)
                if (link->Deadline <= now) {
                    shutdown(link->Socket, SHUT_RDWR);
                    link->Deadline = kNoDeadline;
                }
        }
    }

    // Takes a worker for a request, or says that none is free.
    bool TakeWorker() {
        const std::lock_guard lock(WorkMutex);
        if (Taken >= Limits.Workers) return false;
        ++Taken;
        return true;
    }
    void Give(MHD_Connection* connection, Exchange* exchange) {
        {
            const std::lock_guard lock(WorkMutex);
            Work.emplace_back(connection, exchange);
        }
        WorkCame.notify_one();
    }
    void WorkOn() {
        for (;;) {
            std::pair<MHD_Connection*, Exchange*> job;
            {
                std::unique_lock lock(WorkMutex);
                WorkCame.wait(lock, [this] { return !Work.empty() || WorkersStop; });
                if (Work.empty()) return;
                job = Work.front();
                Work.pop_front();
            }
            job.second->Answer = AnswerOf(job.second->Request);
            MHD_resume_connection(job.first);
            const std::lock_guard lock(WorkMutex);
            --Taken;
        }
    }

    HttpAnswer AnswerOf(const HttpRequest& request) {
        try {
            return Handlers.Answer(request);
        } catch (const std::exception&) {
            return Handlers.Refused(500);
        }
    }

    // A request refused by its head, before its body is read.
    std::optional<HttpAnswer> RefusalOf(const HttpRequest& request) {
        const bool sends =
            request.Method == "POST" || request.Method == "PUT" || request.Method == "PATCH";
        if (!request.Header("transfer-encoding").empty() || (sends && !request.Length))
            return Handlers.Refused(411);
        if (request.Length.value_or(0) > Limits.BodyBytes) return Handlers.Refused(413);
        return Handlers.Admit(request);
    }

    MHD_Result Send(MHD_Connection* connection, Exchange& exchange, HttpAnswer answer) {
        exchange.Answered = true;
        MHD_Response* response = nullptr;
        if (answer.File >= 0) {
            // The response closes the file.
            response = MHD_create_response_from_fd64(answer.FileSize, answer.File);
            if (!response) close(answer.File);
        } else if (answer.Stream) {
            auto* stream =
                new std::function<std::string(uint64_t, size_t)>(std::move(answer.Stream));
            response = MHD_create_response_from_callback(
                answer.StreamSize, kStreamPiece,
                [](void* read, uint64_t offset, char* into, size_t most) -> ssize_t {
                    try {
                        const std::string piece =
                            (*static_cast<std::function<std::string(uint64_t, size_t)>*>(read))(
                                offset, most);
                        if (piece.empty() || piece.size() > most)
                            return MHD_CONTENT_READER_END_WITH_ERROR;
                        std::copy(piece.begin(), piece.end(), into);
                        return static_cast<ssize_t>(piece.size());
                    } catch (...) {
                        return MHD_CONTENT_READER_END_WITH_ERROR;
                    }
                },
                stream,
                [](void* read) {
                    delete static_cast<std::function<std::string(uint64_t, size_t)>*>(read);
                });
            if (!response) delete stream;
        } else {
            auto* body = new std::string(std::move(answer.Body));
            response = MHD_create_response_from_buffer_with_free_callback_cls(
                body->size(), body->data(),
                [](void* kept) { delete static_cast<std::string*>(kept); }, body);
            if (!response) delete body;
        }
        if (!response) return MHD_NO;
        for (const auto& [name, value] : Handlers.Always)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        for (const auto& [name, value] : answer.Headers)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        const MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(answer.Status), response);
        MHD_destroy_response(response);
        return queued;
    }

    HttpRequest HeadOf(MHD_Connection* connection, const char* url, const char* method) {
        HttpRequest request;
        request.Method = method;
        request.Path = url;
        if (const MHD_ConnectionInfo* peer =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
            request.Peer = AddressText(peer->client_addr);
        MHD_get_connection_values(
            connection, MHD_GET_ARGUMENT_KIND,
            [](void* into, MHD_ValueKind, const char* name, const char* value) {
                static_cast<std::map<std::string, std::string>*>(into)->emplace(name,
                                                                                value ? value : "");
                return MHD_YES;
            },
            &request.Query);
        MHD_get_connection_values(
            connection, MHD_HEADER_KIND,
            [](void* into, MHD_ValueKind, const char* name, const char* value) {
                std::string lower = name;
                for (char& c : lower)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                static_cast<std::map<std::string, std::string>*>(into)->emplace(std::move(lower),
                                                                                value ? value : "");
                return MHD_YES;
            },
            &request.Headers);
        if (const std::string length = request.Header("content-length"); !length.empty())
            request.Length = LengthOf(length);
        return request;
    }

    MHD_Result Access(MHD_Connection* connection, const char* url, const char* method,
                      const char* upload, size_t* uploadSize, void** context) {
        auto* exchange = static_cast<Exchange*>(*context);
        if (!exchange) {
            exchange = new Exchange{HeadOf(connection, url, method), std::nullopt, false};
            *context = exchange;
            if (std::optional<HttpAnswer> refusal = RefusalOf(exchange->Request))
                return Send(connection, *exchange, std::move(*refusal));
            return MHD_YES;
        }
        if (*uploadSize > 0) {
            // Never more than the declared length, which is within the limit.
            if (!exchange->Answered) exchange->Request.Body.append(upload, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        if (exchange->Answered) return MHD_YES;
        if (exchange->Answer) return Send(connection, *exchange, std::move(*exchange->Answer));
        // The request has come whole: no deadline while it is answered.
        SetDeadline(connection, kNoDeadline);
        if (!Handlers.Slow(exchange->Request))
            return Send(connection, *exchange, AnswerOf(exchange->Request));
        if (!TakeWorker()) return Send(connection, *exchange, Handlers.Refused(503));
        MHD_suspend_connection(connection);
        Give(connection, exchange);
        return MHD_YES;
    }

    void Completed(MHD_Connection* connection, void** context) {
        delete static_cast<Exchange*>(*context);
        *context = nullptr;
        // A connection kept open has its next request's time.
        SetDeadline(connection, NextDeadline());
    }

    MHD_Result MayConnect(const sockaddr* address) {
        const std::string group = Handlers.AddressGroup(AddressText(address));
        const std::lock_guard lock(LinksMutex);
        if (Links.size() >= Limits.Connections) return MHD_NO;
        const auto held = PerGroup.find(group);
        return group.empty() || held == PerGroup.end() || held->second < Limits.PerAddress ? MHD_YES
                                                                                           : MHD_NO;
    }

    void Connected(MHD_Connection* connection, void** context) {
        auto* link = new Link;
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
            link->Socket = info->connect_fd;
        if (const MHD_ConnectionInfo* peer =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
            link->Group = Handlers.AddressGroup(AddressText(peer->client_addr));
        link->Deadline = NextDeadline();
        const std::lock_guard lock(LinksMutex);
        Links.insert(link);
        if (!link->Group.empty()) ++PerGroup[link->Group];
        *context = link;
    }

    void Closed(void** context) {
        auto* link = static_cast<Link*>(*context);
        if (!link) return;
        {
            const std::lock_guard lock(LinksMutex);
            Links.erase(link);
            if (!link->Group.empty() && --PerGroup[link->Group] == 0) PerGroup.erase(link->Group);
        }
        delete link;
        *context = nullptr;
    }
};

namespace {

// libmicrohttpd's callbacks, each onto the server's own; no exception leaves them.
using Inside = HttpServer::Inside;

MHD_Result OnAccept(void* server, const sockaddr* address, socklen_t) {
    try {
        return static_cast<Inside*>(server)->MayConnect(address);
    } catch (...) {
        return MHD_NO;
    }
}

MHD_Result OnRequest(void* server, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* upload, size_t* uploadSize, void** context) {
    try {
        return static_cast<Inside*>(server)->Access(connection, url, method, upload, uploadSize,
                                                    context);
    } catch (...) {
        return MHD_NO;
    }
}

void OnCompleted(void* server, MHD_Connection* connection, void** context,
                 MHD_RequestTerminationCode) {
    static_cast<Inside*>(server)->Completed(connection, context);
}

void OnConnection(void* server, MHD_Connection* connection, void** context,
                  MHD_ConnectionNotificationCode code) {
    try {
        if (code == MHD_CONNECTION_NOTIFY_STARTED)
            static_cast<Inside*>(server)->Connected(connection, context);
        else
            static_cast<Inside*>(server)->Closed(context);
    } catch (...) {
    }
}

// A socket listening on `address` and `port`, or -1 with the reason.
int ListeningSocket(const std::string& address, int port, int* boundPort, std::string* problem) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int failed =
            getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found)) {
        *problem = gai_strerror(failed);
        return -1;
    }
    const int socket = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    const bool listens =
        socket >= 0 && setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
        bind(socket, found->ai_addr, found->ai_addrlen) == 0 && listen(socket, 256) == 0 &&
        getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &boundSize) == 0;
    freeaddrinfo(found);
    if (!listens) {
        *problem = std::strerror(errno);
        if (socket >= 0) close(socket);
        return -1;
    }
    *boundPort =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port
                                          : reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
    return socket;
}

}  // namespace

HttpServer::HttpServer(HttpHandlers handlers, HttpLimits limits)
    : inside_(std::make_unique<Inside>()) {
    inside_->Handlers = std::move(handlers);
    inside_->Limits = limits;
}

HttpServer::~HttpServer() {
    Stop();
}

int HttpServer::Start(const std::string& address, int port, std::string* problem) {
    Inside& in = *inside_;
    int boundPort = 0;
    in.Listening = ListeningSocket(address, port, &boundPort, problem);
    if (in.Listening < 0) return -1;
    // Its own connection limit is split among the polling threads; the server's is the one
    // that holds.
    in.Daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, 0, OnAccept,
        &in, OnRequest, &in, MHD_OPTION_LISTEN_SOCKET, in.Listening, MHD_OPTION_THREAD_POOL_SIZE,
        in.Limits.PollingThreads, MHD_OPTION_CONNECTION_LIMIT,
        (in.Limits.Connections + 1) * in.Limits.PollingThreads, MHD_OPTION_CONNECTION_TIMEOUT,
        in.Limits.IdleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, in.Limits.HeadBytes,
        MHD_OPTION_NOTIFY_COMPLETED, OnCompleted, &in, MHD_OPTION_NOTIFY_CONNECTION, OnConnection,
        &in, MHD_OPTION_END);
    if (!in.Daemon) {
        *problem = "the HTTP server did not start";
        close(in.Listening);
        in.Listening = -1;
        return -1;
    }
    for (unsigned i = 0; i < in.Limits.Workers; ++i)
        in.Workers.emplace_back([&in] { in.WorkOn(); });
    in.Sweeper = std::thread([&in] { in.Sweep(); });
    return boundPort;
}

void HttpServer::Stop() {
    Inside& in = *inside_;
    if (!in.Daemon) return;
    MHD_quiesce_daemon(in.Daemon);
    {
        const std::lock_guard lock(in.WorkMutex);
        in.WorkersStop = true;
    }
    in.WorkCame.notify_all();
    // The workers answer what they were given, so that no connection sleeps at the end.
    for (std::thread& worker : in.Workers) worker.join();
    MHD_stop_daemon(in.Daemon);
    in.Daemon = nullptr;
    close(in.Listening);
    {
        const std::lock_guard lock(in.LinksMutex);
        in.SweeperStops = true;
    }
    in.SweeperWakes.notify_all();
    in.Sweeper.join();
}

}  // namespace ZapModule
