#include "DavServer.h"
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef KINBOOK_SYNC_SUPPORT_DIR
#define KINBOOK_SYNC_SUPPORT_DIR "."
#endif

namespace {

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// Where the servers keep their collections: in memory when the machine offers a tmpfs
// at /dev/shm, else in the temporary folder. Both servers flush every write to disk
// (several fsync calls per card), which on a loaded disk costs more than the request
// itself; in memory the tests and benchmarks measure the client and the server's own work.
std::filesystem::path StorageBase() {
    std::error_code ec;
    const std::filesystem::path shm("/dev/shm");
    if (std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK | X_OK) == 0)
        return shm;
    return std::filesystem::temp_directory_path();
}

// A test program killed with SIGKILL cannot remove its folders; the next one does, for
// every folder whose owner is gone.
void RemoveOrphanedDirs(const std::filesystem::path& base) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(base, ec)) {
        if (e.path().filename().string().rfind("kinbook-dav-", 0) != 0)
            continue;
        std::ifstream owner(e.path() / "owner");
        pid_t pid = 0;
        if (owner >> pid && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(e.path(), ec);
    }
}

std::string MakeTempDir() {
    const std::filesystem::path base = StorageBase();
    RemoveOrphanedDirs(base);
    if (base != std::filesystem::temp_directory_path())
        RemoveOrphanedDirs(std::filesystem::temp_directory_path());
    std::string pattern = (base / "kinbook-dav-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    std::ofstream(pattern + "/owner") << ::getpid();
    return pattern;
}

// Forks and execs argv with stdout and stderr to logPath (or /dev/null). The child gets
// a process group of its own and dies with the thread that started it.
pid_t Spawn(const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        const int out = ::open(logPath.empty() ? "/dev/null" : logPath.c_str(),
                               O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        if (in >= 0)
            ::dup2(in, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid > 0)
        ::setpgid(pid, pid);
    return pid;
}

} // namespace

int RunQuiet(const char* const* argv) {
    std::vector<std::string> args;
    for (; *argv != nullptr; ++argv)
        args.emplace_back(*argv);
    const pid_t pid = Spawn(args, {});
    if (pid < 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

DavServer::DavServer(Kind kind, Transport transport) : m_kind(kind), m_transport(transport) {}

DavServer::~DavServer() {
    Stop();
    if (!m_dir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
}

std::string DavServer::BaseUrl() const {
    return std::string(m_transport == Transport::Http ? "http" : "https") +
           "://127.0.0.1:" + std::to_string(m_port);
}

std::string DavServer::HomePath() const {
    return m_kind == Kind::Radicale ? "/" + m_user + "/" : "/" + m_user + "/contacts/";
}

std::string DavServer::DefaultAddressBookPath() const {
    return m_kind == Kind::Radicale ? HomePath() + "contacts/" : HomePath() + "addressbook/";
}

std::string DavServer::Log() const {
    std::ifstream in(m_dir + "/server.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DavServer::Prepare() {
    if (m_prepared)
        return true;
    m_dir = MakeTempDir();
    if (m_dir.empty()) {
        m_error = "cannot create a temporary folder";
        return false;
    }
    const std::string users = m_dir + "/users";
    const char* htpasswd[] = {"/usr/bin/htpasswd", "-c", "-b", "-m", users.c_str(),
                              m_user.c_str(),      m_password.c_str(), nullptr};
    if (RunQuiet(htpasswd) != 0) {
        m_error = "htpasswd failed (is apache2-utils installed?)";
        return false;
    }
    if (m_kind == Kind::Radicale) {
        // One address book exists from the start, as a phone's account would have.
        const auto book = std::filesystem::path(m_dir) / "store" / "collection-root" / m_user /
                          "contacts";
        std::filesystem::create_directories(book);
        std::ofstream(book / ".Radicale.props") << R"({"D:displayname": "Contacts", "tag": "VADDRESSBOOK"})";
    }
    if (m_transport == Transport::SelfSignedTls) {
        const std::string key = m_dir + "/key.pem", cert = m_dir + "/cert.pem";
        // The address in the certificate's alternative names, as a real server's would be.
        const char* openssl[] = {"/usr/bin/openssl", "req",  "-x509", "-newkey", "rsa:2048",
                                 "-nodes",          "-days", "2",     "-subj",   "/CN=127.0.0.1",
                                 "-addext", "subjectAltName=IP:127.0.0.1",
                                 "-keyout",         key.c_str(), "-out", cert.c_str(), nullptr};
        if (RunQuiet(openssl) != 0) {
            m_error = "openssl could not make a certificate";
            return false;
        }
    }
    m_port = FreeLoopbackPort();
    if (m_port == 0) {
        m_error = "no free port on 127.0.0.1";
        return false;
    }
    m_prepared = true;
    return true;
}

bool DavServer::Launch() {
    std::vector<std::string> args;
    const std::string port = std::to_string(m_port);
    if (m_kind == Kind::Radicale) {
        args = {"/usr/bin/radicale",
                "--config", "",
                "--server-hosts", "127.0.0.1:" + port,
                "--auth-type", "htpasswd",
                "--auth-htpasswd-filename", m_dir + "/users",
                "--auth-htpasswd-encryption", "md5",
                "--auth-delay", "0",
                "--rights-type", "owner_only",
                "--storage-filesystem-folder", m_dir + "/store",
                "--logging-level", "warning"};
        if (m_transport == Transport::SelfSignedTls) {
            args.insert(args.end(), {"--ssl", "--certificate", m_dir + "/cert.pem", "--key",
                                     m_dir + "/key.pem"});
        }
    } else if (m_kind == Kind::PlainHttp) {
        std::filesystem::create_directories(m_dir + "/www");
        args = {"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                m_dir + "/www", port};
    } else if (m_kind == Kind::Hostile) {
        args = {"/usr/bin/python3", std::string(KINBOOK_SYNC_SUPPORT_DIR) + "/hostile-dav.py",
                m_dir, port, m_user, m_password};
    } else {
        args = {"/usr/bin/python3", std::string(KINBOOK_SYNC_SUPPORT_DIR) + "/xandikos-auth.py",
                m_dir + "/store", port, m_dir + "/users", m_user};
        if (m_kind == Kind::XandikosDigest)
            args.insert(args.end(), {"digest", m_password});
    }
    m_pid = Spawn(args, m_dir + "/server.log");
    if (m_pid < 0) {
        m_error = std::string("fork failed: ") + std::strerror(errno);
        return false;
    }
    return WaitUntilListening(20000);
}

bool DavServer::WaitUntilListening(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_error = std::string(Name()) + " exited at start: " + Log();
            return false;
        }
        if (Accepts(m_port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_error = std::string(Name()) + " did not answer within the time allowed: " + Log();
    Stop();
    return false;
}

bool DavServer::Start() {
    if (Running())
        return true;
    m_error.clear();
    return Prepare() && Launch();
}

bool DavServer::Restart() {
    Stop();
    // The port is ours until another program takes it; try a few times while the kernel
    // lets go of the old listening socket.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Launch())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

void DavServer::Stop() {
    if (m_pid <= 0)
        return;
    ::kill(-m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Anything the server started in its group goes with it.
    ::kill(-m_pid, SIGKILL);
    m_pid = -1;
}
