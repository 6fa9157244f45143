// A tiny HTTP server on 127.0.0.1 for tests: answers GET requests from a
// table of paths, on its own thread, one connection at a time.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace twtest {

class LoopbackHttpServer {
public:
    struct Answer {
        int nStatus = 200;
        std::string strBody;
        bool bHang = false; // accept the request and never answer
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Set(const std::string& path, Answer answer);
    // "http://127.0.0.1:<port><path>"
    std::wstring Url(const std::string& path) const;
    // The paths requested so far, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Handle(int fd);

    int nListen = -1;
    int nPort = 0;
    int nWake[2] = {-1, -1};
    std::atomic<bool> bStop{false};
    mutable std::mutex mtx;
    std::map<std::string, Answer> mapAnswers;
    std::vector<std::string> vecRequests;
    std::thread thread;
};

} // namespace twtest
