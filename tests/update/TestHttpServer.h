// A small HTTP/1.0 server on 127.0.0.1 for the update tests, on a thread of its own. A path it
// does not know gets status 404 with an HTML page, as a web server sends.
#pragma once

#include <winsock2.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool started() const { return m_port != 0; }
    // "http://127.0.0.1:<port>/"
    std::wstring root() const;
    void Serve(const std::string& path, const std::string& body);
    // Answers `path` with "302 Found" to `location`.
    void Redirect(const std::string& path, const std::string& location);
    // The paths asked for, in order.
    std::vector<std::string> requests();

private:
    void Run();
    void Answer(SOCKET client);

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
    std::map<std::string, std::string> m_redirects;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
