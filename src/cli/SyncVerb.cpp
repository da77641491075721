// The sync verb needs the address book client, which comes with the Qt build.
#ifdef KINBOOK_WITH_GUI
#include "CDavBlocking.h"
#include "CSyncEngine.h"
#include "CliBook.h"
#include "CliVerb.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kExitServer = 3; // the server could not be reached or refused the sync

// Asks on the terminal without echoing what is typed; empty when there is no terminal.
std::string PromptPassword(const std::string& prompt) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr)
        return {};
    std::fputs(prompt.c_str(), tty);
    std::fflush(tty);
    termios old{};
    const int fd = ::fileno(tty);
    const bool haveTerm = ::tcgetattr(fd, &old) == 0;
    if (haveTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::string password;
    for (int c; (c = std::fgetc(tty)) != EOF && c != '\n';)
        password += static_cast<char>(c);
    if (haveTerm)
        ::tcsetattr(fd, TCSAFLUSH, &old);
    std::fputs("\n", tty);
    std::fclose(tty);
    return password;
}

// Who signs in where, as the command line gave it.
struct SyncAccount {
    QUrl url;
    std::string user;
    std::string password;
};

// Syncs a book with an address book on a CardDAV server and says what changed. Run goes
// through the steps in order; each returns kExitOk to go on or the exit code to stop with.
class SyncVerb final : public CliVerb {
public:
    const char* Name() const override { return "sync"; }
    const char* Usage() const override { return "sync FILE --url URL --user USER"; }
    const char* Summary() const override {
        return "sync the book with an address book server (password from KINBOOK_PASSWORD or "
               "asked for); URL is the server or one of its address books";
    }

    CliSyntax Syntax() const override {
        return {{{"FILE"}},
                {
                    {"--url", 1},
                    {"--user", 1},
                }};
    }

    int Run(const CliArgs& a) override {
        SyncAccount account;
        if (const int rc = ReadAccount(a, account))
            return rc;
        if (const int rc = FindPassword(a, account))
            return rc;
        const auto app = EnsureApplication();
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
    int ReadAccount(const CliArgs& a, SyncAccount& account) const {
        const auto urlText = a.Value("--url");
        const auto user = a.Value("--user");
        if (!urlText || !user)
            return UsageError("--url and --user are needed");
        const QUrl url(QString::fromStdString(*urlText), QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
            url.host().isEmpty())
            return UsageError("--url must be an http or https address");
        account.url = url;
        account.user = *user;
        return kExitOk;
    }

    static int FindPassword(const CliArgs&, SyncAccount& account) {
        if (const char* env = std::getenv("KINBOOK_PASSWORD"))
            account.password = env;
        else
            account.password = PromptPassword("Password for " + account.user + " at " +
                                              account.url.toString().toStdString() + ": ");
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

    static int SetUpClient(const CliArgs&, const SyncAccount& account, CCardDavClient& client) {
        client.SetAccount(account.url, QString::fromStdString(account.user),
                          QString::fromStdString(account.password));
        return kExitOk;
    }

    static int ChooseAddressBook(const SyncAccount& account, CCardDavClient& client,
                                 QUrl& addressBook) {
        CDavBlocking blocking(client);
        QList<DavAddressBook> books;
        if (const DavError e = blocking.Discover(books)) {
            std::cerr << e.Message().toStdString() << "\n";
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

    static int SyncBook(const CliArgs&, CliBook& book, CCardDavClient& client,
                        const QUrl& addressBook) {
        CSyncEngine engine(book.Doc(), client);
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
        if (error)
            std::cerr << error.Message().toStdString() << "\n";
        std::cout << CSyncEngine::Summary(counts).toStdString() << "\n";
        return error ? kExitServer : kExitOk;
    }
};

const CliVerbRegistrar<SyncVerb> registrar;

} // namespace
#endif
