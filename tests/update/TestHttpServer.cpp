#include "update/TestHttpServer.h"

#include <ws2tcpip.h>

TestHttpServer::TestHttpServer() {
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return;
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    int size = sizeof address;
    if (m_listener == INVALID_SOCKET ||
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

TestHttpServer::~TestHttpServer() {
    if (m_listener != INVALID_SOCKET) {
        ::closesocket(m_listener);  // ends the accept loop
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ::WSACleanup();
}

std::wstring TestHttpServer::root() const {
    return L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/";
}

void TestHttpServer::Serve(const std::string& path, const std::string& body) {
    std::lock_guard lock(m_mutex);
    m_files[path] = body;
}

void TestHttpServer::Redirect(const std::string& path, const std::string& location) {
    std::lock_guard lock(m_mutex);
    m_redirects[path] = location;
}

std::vector<std::string> TestHttpServer::requests() {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void TestHttpServer::Run() {
    for (;;) {
        const SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;
        }
        Answer(client);
        ::closesocket(client);
    }
}

void TestHttpServer::Answer(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const int received = ::recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) {
            return;
        }
        request.append(buffer, static_cast<size_t>(received));
    }
    // "GET /path HTTP/1.1"
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string status = "200 OK";
    std::string type = "application/octet-stream";
    std::string body;
    std::string extra;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(path);
        if (const auto moved = m_redirects.find(path); moved != m_redirects.end()) {
            status = "302 Found";
            type = "text/html";
            extra = "Location: " + moved->second + "\r\n";
        } else if (const auto found = m_files.find(path); found != m_files.end()) {
            body = found->second;
        } else {
            status = "404 Not Found";
            type = "text/html";
            body = "<html><head><title>404 Not Found</title></head><body>Nothing here.</body></html>\n";
        }
    }
    const std::string reply = "HTTP/1.0 " + status + "\r\nContent-Type: " + type +
                              "\r\nContent-Length: " + std::to_string(body.size()) +
                              "\r\nCache-Control: no-store\r\nConnection: close\r\n" + extra + "\r\n" + body;
    size_t sent = 0;
    while (sent < reply.size()) {
        const int count = ::send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
        if (count <= 0) {
            return;
        }
        sent += static_cast<size_t>(count);
    }
    ::shutdown(client, SD_SEND);
}
