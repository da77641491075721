// The sync verb needs the address book client, which comes with the Qt build.
#ifdef KINBOOK_WITH_GUI
#include "CDavBlocking.h"
#include "CSyncEngine.h"
#include "CliBook.h"
#include "CliVerb.h"
#include "sync/CPasswordStore.h"
#include "sync/ServerAddress.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kExitServer = 3; // the server could not be reached or refused the sync

// Runs command through the shell; its first output line is the password. False, with
// why, when it failed or printed nothing: a broken command never means an empty password.
bool RunPasswordCommand(const std::string& command, std::string& password, std::string& why) {
    constexpr std::size_t kMaxOutput = 1 << 20;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        why = "The password command could not be started.";
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    // The rest after the first line is read and dropped so that the command can finish.
    while (out.size() < kMaxOutput) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = "The password command failed";
        if (pid > 0 && WIFEXITED(status))
            why += " (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
        why += "; nothing was sent to the server.";
        return false;
    }
    password = out.substr(0, out.find('\n'));
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    if (password.empty()) {
        why = "The password command printed no password; nothing was sent to the server.";
        return false;
    }
    return true;
}

// The terminal as it was before the prompt hid what is typed, for a signal that ends the
// program while it waits: the shell must get its echo back.
volatile std::sig_atomic_t g_promptFd = -1;
termios g_promptSaved{};

extern "C" void RestoreEchoAndDie(int sig) {
    if (g_promptFd >= 0)
        ::tcsetattr(g_promptFd, TCSAFLUSH, &g_promptSaved);
    ::raise(sig); // the handler was reset: this time the signal ends the program
}

constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

// Asks on the terminal without echoing what is typed; nothing when there is no terminal.
std::optional<std::string> PromptPassword(const std::string& prompt) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr)
        return std::nullopt;
    const int fd = ::fileno(tty);
    const bool haveTerm = ::tcgetattr(fd, &g_promptSaved) == 0;
    struct sigaction old[std::size(kPromptSignals)]{};
    if (haveTerm) {
        struct sigaction restore {};
        restore.sa_handler = RestoreEchoAndDie;
        restore.sa_flags = SA_RESETHAND;
        sigemptyset(&restore.sa_mask);
        g_promptFd = fd;
        for (std::size_t i = 0; i < std::size(kPromptSignals); ++i)
            ::sigaction(kPromptSignals[i], &restore, &old[i]);
        termios quiet = g_promptSaved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt.c_str(), tty); // once nothing typed is shown any more
    std::fflush(tty);
    std::string password;
    for (int c; (c = std::fgetc(tty)) != EOF && c != '\n';)
        password += static_cast<char>(c);
    if (haveTerm) {
        ::tcsetattr(fd, TCSAFLUSH, &g_promptSaved);
        for (std::size_t i = 0; i < std::size(kPromptSignals); ++i)
            ::sigaction(kPromptSignals[i], &old[i], nullptr);
        g_promptFd = -1;
    }
    std::fputs("\n", tty);
    std::fclose(tty);
    return password;
}

// The password the window keeps for this account in the desktop's secret store; empty
// when there is none or no store to ask (a session without one is no error).
std::string StoredPassword(const QUrl& url, const std::string& user) {
    CPasswordStore store;
    QString found;
    bool answered = false;
    QEventLoop loop;
    store.Read(url.toString(), QString::fromStdString(user), [&](const QString& password) {
        found = password;
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    return found.toStdString();
}

// Who signs in where, as the command line gave it.
struct ServerLogin {
    QUrl url;
    std::string user;
    std::string password;
};

// Syncs a book with an address book on a CardDAV server and says what changed. Run goes
// through the steps in order; each returns kExitOk to go on or the exit code to stop with.
class SyncVerb final : public CliVerb {
public:
    const char* Name() const override { return "sync"; }
    const char* Usage() const override {
        return "sync FILE --url URL --user USER [--password-command CMD] [--allow-http] "
               "[--trust-certificate SHA256] [--ca-file FILE] [--allow-mass-delete]";
    }
    const char* Summary() const override {
        return "sync the book with an address book server; URL is the server or one of its "
               "address books (a bare host means https; plain http to another machine needs "
               "--allow-http). The password comes from CMD's first line, else "
               "KINBOOK_PASSWORD, else the password store the window uses, else it is asked for. A "
               "sync that would remove many contacts (over 10, and over half) on either side "
               "needs --allow-mass-delete";
    }

    CliSyntax Syntax() const override {
        return {{{"FILE"}},
                {
                    {"--url", 1},
                    {"--user", 1},
                    {"--password-command", 1},
                    {"--allow-http", 0},
                    {"--trust-certificate", 1},
                    {"--ca-file", 1},
                    {"--allow-mass-delete", 0},
                }};
    }

    int Run(const CliArgs& a) override {
        ServerLogin account;
        if (const int rc = ReadAccount(a, account))
            return rc;
        const auto app = EnsureApplication();
        if (const int rc = FindPassword(a, account))
            return rc;
        CliBook book;
        if (const int rc = LoadBook(a, book))
            return rc;
        CCardDavClient client;
        if (const int rc = SetUpClient(a, account, client))
            return rc;
        QUrl addressBook;
        if (const int rc = ChooseAddressBook(account, client, addressBook))
            return rc;
        return SyncBook(a, book, client, addressBook);
    }

private:
    int ReadAccount(const CliArgs& a, ServerLogin& account) const {
        using Kind = kb::sync::ServerAddress::Kind;
        const auto urlText = a.Value("--url");
        const auto user = a.Value("--user");
        if (!urlText || !user)
            return UsageError("--url and --user are needed");
        const kb::sync::ServerAddress address = kb::sync::ParseServerAddress(*urlText);
        const QUrl url(QString::fromStdString(address.url), QUrl::StrictMode);
        if (address.kind == Kind::UserInfo)
            return UsageError("--url must not hold a user name or password: give the user "
                              "with --user and the password with --password-command, "
                              "KINBOOK_PASSWORD or at the prompt");
        // Qt must read the same host as the rule did, or the rule said nothing about it.
        if (address.kind == Kind::Invalid || !url.isValid() ||
            url.host().toLower().toStdString() != address.host)
            return UsageError("--url must be an http or https address");
        if (address.kind == Kind::Plain && !a.Has("--allow-http"))
            return UsageError("--url is a plain http address on another machine: the password "
                              "would cross the network unencrypted. Use https, or give "
                              "--allow-http to send it anyway");
        account.url = url;
        account.user = *user;
        return kExitOk;
    }

    // The first of: the password command, KINBOOK_PASSWORD, the password store, the
    // terminal. Never an empty password.
    static int FindPassword(const CliArgs& a, ServerLogin& account) {
        if (const auto command = a.Value("--password-command")) {
            std::string why;
            if (RunPasswordCommand(*command, account.password, why))
                return kExitOk;
            std::cerr << why << "\n";
            return kExitUsage;
        }
        if (const char* env = std::getenv("KINBOOK_PASSWORD"); env != nullptr && *env != '\0') {
            account.password = env;
            return kExitOk;
        }
        account.password = StoredPassword(account.url, account.user);
        if (!account.password.empty())
            return kExitOk;
        const std::string where = kb::sync::OriginOf(account.url.toString().toStdString());
        const auto typed = PromptPassword("Password for " + account.user + " at " + where + ": ");
        if (!typed) {
            std::cerr << "No password for " << account.user << " at " << where
                      << ": give it with --password-command or KINBOOK_PASSWORD, or run "
                         "the command on a terminal to be asked for it.\n";
            return kExitUsage;
        }
        if (typed->empty()) {
            std::cerr << "No password was given; nothing was sent to the server.\n";
            return kExitUsage;
        }
        account.password = *typed;
        return kExitOk;
    }

    // The client needs an application object; the one made here lives until Run returns.
    static std::unique_ptr<QCoreApplication> EnsureApplication() {
        static int argc = 1;
        static char name[] = "kinbook-cli";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() != nullptr)
            return nullptr;
        return std::make_unique<QCoreApplication>(argc, argv);
    }

    static int LoadBook(const CliArgs& a, CliBook& book) {
        book.Doc().SetDataPath(a.positional[0]); // the sync saves the book and its state beside it
        return book.Load(a.positional[0]) ? kExitOk : kExitFile;
    }

    // The account, and a server certificate the user vouches for by its fingerprint or an
    // authority of their own.
    int SetUpClient(const CliArgs& a, const ServerLogin& account, CCardDavClient& client) const {
        client.SetAccount(account.url, QString::fromStdString(account.user),
                          QString::fromStdString(account.password));
        if (const auto pin = a.Value("--trust-certificate");
            pin && !client.SetTrustedCertificate(QString::fromStdString(*pin)))
            return UsageError("--trust-certificate needs the certificate's SHA-256 fingerprint "
                              "(64 hexadecimal digits, colons allowed)");
        if (const auto ca = a.Value("--ca-file");
            ca && !client.SetCaFile(QString::fromStdString(*ca))) {
            std::cerr << "No certificate could be read from " << *ca << ".\n";
            return kExitFile;
        }
        return kExitOk;
    }

    static int ChooseAddressBook(const ServerLogin& account, CCardDavClient& client,
                                 QUrl& addressBook) {
        CDavBlocking blocking(client);
        QList<DavAddressBook> books;
        if (const DavError e = blocking.Discover(books)) {
            std::cerr << e.Message().toStdString() << "\n";
            if (e.kind == DavError::TlsRefused && !client.RefusedCertificate().isNull())
                std::cerr << CCardDavClient::Describe(client.RefusedCertificate()).toStdString()
                          << "\nTo trust this certificate, give --trust-certificate "
                          << CCardDavClient::Fingerprint(client.RefusedCertificate()).toStdString()
                          << ".\n";
            return kExitServer;
        }
        if (books.isEmpty()) {
            std::cerr << "The server has no address book for " << account.user << ".\n";
            return kExitServer;
        }
        if (books.size() > 1) {
            std::cerr << "The server has several address books; give one of them with --url:\n";
            for (const auto& b : books)
                std::cerr << "  " << b.url.toString().toStdString() << "\n";
            return kExitUsage;
        }
        addressBook = books.first().url;
        return kExitOk;
    }

    static int SyncBook(const CliArgs& a, CliBook& book, CCardDavClient& client,
                        const QUrl& addressBook) {
        CSyncEngine engine(book.Doc(), client);
        const bool allowMassDelete = a.Has("--allow-mass-delete");
        engine.SetConfirmRemovals([allowMassDelete](const QString&) { return allowMassDelete; });
        QEventLoop loop;
        DavError error;
        SyncCounts counts;
        QObject::connect(&engine, &CSyncEngine::finished, &loop,
                         [&](const DavError& e, const SyncCounts& c) {
                             error = e;
                             counts = c;
                             loop.quit();
                         });
        engine.Start(addressBook);
        if (engine.IsRunning())
            loop.exec();
        if (error.kind == DavError::MassRemoval) {
            std::cerr << error.Message().toStdString()
                      << " To remove them, sync again with --allow-mass-delete.\n";
            return kExitUsage;
        }
        if (error.kind == DavError::NotSaved) {
            // What the sync did here was not saved: there is nothing to count.
            std::cerr << error.Message().toStdString() << "\n";
            return kExitFile;
        }
        if (error)
            std::cerr << error.Message().toStdString() << "\n";
        std::cout << CSyncEngine::Summary(counts).toStdString() << "\n";
        return error ? kExitServer : kExitOk;
    }
};

const CliVerbRegistrar<SyncVerb> registrar;

} // namespace
#endif
