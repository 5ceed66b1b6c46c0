// Watchers that tell whether a parse reached outside its report file: a
// local TCP listener that counts connections, and a watch on files that
// counts opens. Both are bounded and never block.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A TCP listener on 127.0.0.1, on a port the system picks. Closed when
// destroyed.
class TCP_PROBE {
public:
    TCP_PROBE();
    ~TCP_PROBE();
    TCP_PROBE(const TCP_PROBE&) = delete;
    TCP_PROBE& operator=(const TCP_PROBE&) = delete;

    bool ok() const { return m_socket >= 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by `path`.
    std::string url(const std::string& path) const;

    // Runs `work` on a thread of its own while the listener accepts and at
    // once closes every connection (so that a client that did connect is not
    // left waiting). Returns the number of connections made.
    int connections_during(const std::function<void()>& work);

private:
    int m_socket = -1;
    int m_port = 0;
};

// Counts opens and reads of the given files from construction on.
class OPEN_PROBE {
public:
    explicit OPEN_PROBE(const std::vector<std::string>& paths);
    ~OPEN_PROBE();
    OPEN_PROBE(const OPEN_PROBE&) = delete;
    OPEN_PROBE& operator=(const OPEN_PROBE&) = delete;

    bool ok() const { return m_fd >= 0 && m_watching; }
    // Opens and reads seen so far.
    int accesses();

private:
    int m_fd = -1;
    bool m_watching = false;
};
