#include "tests/qt/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace twtest {

LoopbackHttpServer::LoopbackHttpServer() {
    nListen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (nListen < 0 || ::bind(nListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(nListen, 8) != 0 || ::pipe(nWake) != 0)
        throw std::runtime_error("no loopback server");
    socklen_t len = sizeof addr;
    ::getsockname(nListen, reinterpret_cast<sockaddr*>(&addr), &len);
    nPort = ntohs(addr.sin_port);
    thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    bStop = true;
    (void)!::write(nWake[1], "x", 1);
    thread.join();
    ::close(nListen);
    ::close(nWake[0]);
    ::close(nWake[1]);
}

void LoopbackHttpServer::Set(const std::string& path, Answer answer) {
    std::lock_guard<std::mutex> lock(mtx);
    mapAnswers[path] = std::move(answer);
}

std::wstring LoopbackHttpServer::Url(const std::string& path) const {
    std::string url = "http://127.0.0.1:" + std::to_string(nPort) + path;
    return std::wstring(url.begin(), url.end());
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mtx);
    return vecRequests;
}

void LoopbackHttpServer::Serve() {
    while (!bStop) {
        pollfd fds[2] = {{nListen, POLLIN, 0}, {nWake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || bStop)
            continue;
        if (fds[0].revents & POLLIN) {
            int fd = ::accept(nListen, nullptr, nullptr);
            if (fd >= 0) {
                Handle(fd);
                ::close(fd);
            }
        }
    }
}

void LoopbackHttpServer::Handle(int fd) {
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {nWake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || bStop)
            return;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        request.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t sp1 = request.find(' ');
    const std::size_t sp2 = request.find(' ', sp1 + 1);
    const std::string path = request.substr(sp1 + 1, sp2 - sp1 - 1);
    Answer answer{404, "not here", false};
    {
        std::lock_guard<std::mutex> lock(mtx);
        vecRequests.push_back(path);
        auto it = mapAnswers.find(path);
        if (it != mapAnswers.end())
            answer = it->second;
    }
    if (answer.bHang) {
        // Hold the connection until the client gives up or the server stops.
        pollfd fds[2] = {{fd, POLLIN, 0}, {nWake[0], POLLIN, 0}};
        while (!bStop && ::poll(fds, 2, -1) > 0 && !(fds[1].revents & POLLIN)) {
            if (::read(fd, buf, sizeof buf) <= 0)
                break;
        }
        return;
    }
    std::string response = "HTTP/1.1 " + std::to_string(answer.nStatus) + " X\r\n" +
                           "Content-Length: " + std::to_string(answer.strBody.size()) +
                           "\r\nConnection: close\r\n\r\n" + answer.strBody;
    std::size_t sent = 0;
    while (sent < response.size()) {
        ssize_t n = ::send(fd, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace twtest
