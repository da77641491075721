#pragma once
#include <string>
#include <sys/types.h>

// A real address book server (Debian's radicale or xandikos) for the sync tests: it
// listens on 127.0.0.1 at a free port, keeps its collections in a temporary folder (in
// memory when /dev/shm is there), asks for a user name and password (an htpasswd file
// made by apache2-utils), and is always stopped: by Stop, by the destructor, and by the
// kernel when the test program dies (the server runs in its own process group with a
// parent-death signal).
class DavServer {
public:
    // PlainHttp is a web server that knows nothing of WebDAV (Python's http.server);
    // XandikosDigest asks for HTTP Digest authentication only; Hostile is hostile-dav.py.
    enum class Kind { Radicale, Xandikos, PlainHttp, XandikosDigest, Hostile };
    enum class Transport { Http, SelfSignedTls };

    explicit DavServer(Kind kind, Transport transport = Transport::Http);
    ~DavServer();
    DavServer(const DavServer&) = delete;
    DavServer& operator=(const DavServer&) = delete;

    // Starts the server and waits (bounded) until it accepts connections. False with a
    // reason in Error() when it did not come up.
    bool Start();
    // Stops the server: SIGTERM to its process group, SIGKILL after a short grace.
    void Stop();
    // Starts it again on the same port with the same collections.
    bool Restart();
    bool Running() const { return m_pid > 0; }

    Kind GetKind() const { return m_kind; }
    const char* Name() const {
        return m_kind == Kind::Radicale    ? "radicale"
               : m_kind == Kind::PlainHttp ? "http.server"
               : m_kind == Kind::Hostile   ? "hostile-dav.py"
                                           : "xandikos";
    }
    int Port() const { return m_port; }
    // "http://127.0.0.1:PORT" (https with TLS), no trailing slash.
    std::string BaseUrl() const;
    // The folder the user's address books live under, "/alice/" or "/alice/contacts/".
    std::string HomePath() const;
    // An address book that exists from the start.
    std::string DefaultAddressBookPath() const;
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }
    const std::string& Error() const { return m_error; }
    // The server's own folder, and its certificate there (with TLS).
    const std::string& Dir() const { return m_dir; }
    std::string CertificatePath() const { return m_dir + "/cert.pem"; }
    // What the server wrote to its log so far (for failure messages).
    std::string Log() const;

private:
    bool Prepare();
    bool Launch();
    bool WaitUntilListening(int timeoutMs);

    Kind m_kind;
    Transport m_transport;
    std::string m_dir;
    std::string m_user = "alice";
    std::string m_password = "s3cret-pw";
    std::string m_error;
    int m_port = 0;
    pid_t m_pid = -1;
    bool m_prepared = false;
};

// Runs argv (argv[0] a path) to completion with output discarded; its exit status, or -1.
int RunQuiet(const char* const* argv);
