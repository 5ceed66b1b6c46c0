#include "probes.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

TCP_PROBE::TCP_PROBE()
{
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(s);
        return;
    }
    m_socket = s;
    m_port = ntohs(address.sin_port);
}

TCP_PROBE::~TCP_PROBE()
{
    if (m_socket >= 0)
        close(m_socket);
}

std::string TCP_PROBE::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

int TCP_PROBE::connections_during(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    int connections = 0;
    // Poll with a short timeout so that the end of the work is seen soon;
    // one last round after it catches a connection made at the very end.
    for (bool last = false; !last;) {
        last = done;
        pollfd p{m_socket, POLLIN, 0};
        poll(&p, 1, last ? 0 : 20);
        for (;;) {
            int c = accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                break;
            ++connections;
            close(c);
        }
    }
    worker.join();
    return connections;
}

OPEN_PROBE::OPEN_PROBE(const std::vector<std::string>& paths)
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_watching = true;
    for (const std::string& path : paths)
        if (inotify_add_watch(m_fd, path.c_str(), IN_OPEN | IN_ACCESS) < 0)
            m_watching = false;
}

OPEN_PROBE::~OPEN_PROBE()
{
    if (m_fd >= 0)
        close(m_fd);
}

int OPEN_PROBE::accesses()
{
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t got = read(m_fd, buffer, sizeof(buffer));
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & (IN_OPEN | IN_ACCESS))
                ++count;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return count;
}
