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

// Syncs a book with an address book on a CardDAV server and says what changed.
class SyncVerb final : public CliVerb {
public:
    const char* Name() const override { return "sync"; }
    const char* Usage() const override {
        return "sync FILE --url URL --user USER [--trust-certificate SHA256] [--ca-file FILE] "
               "[--allow-mass-delete]";
    }
    const char* Summary() const override {
        return "sync the book with an address book server (password from KINBOOK_PASSWORD or "
               "asked for); URL is the server or one of its address books; a sync that would "
               "remove many contacts (over 10, and over half) on either side needs "
               "--allow-mass-delete";
    }

    CliSyntax Syntax() const override {
        return {{{"FILE"}},
                {{"--url", 1}, {"--user", 1}, {"--trust-certificate", 1}, {"--ca-file", 1},
                 {"--allow-mass-delete", 0}}};
    }

    int Run(const CliArgs& a) override {
        const auto urlText = a.Value("--url");
        const auto user = a.Value("--user");
        if (!urlText || !user)
            return UsageError("--url and --user are needed");
        const QUrl url(QString::fromStdString(*urlText), QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
            url.host().isEmpty())
            return UsageError("--url must be an http or https address");
        std::string password;
        if (const char* env = std::getenv("KINBOOK_PASSWORD"))
            password = env;
        else
            password = PromptPassword("Password for " + *user + " at " + *urlText + ": ");

        std::unique_ptr<QCoreApplication> app;
        static int argc = 1;
        static char name[] = "kinbook-cli";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            app = std::make_unique<QCoreApplication>(argc, argv);

        CliBook book;
        CKinbookDoc& doc = book.Doc();
        doc.SetDataPath(a.positional[0]); // the sync saves the book and its state beside it
        if (!book.Load(a.positional[0]))
            return kExitFile;

        CCardDavClient client;
        client.SetAccount(url, QString::fromStdString(*user), QString::fromStdString(password));
        if (const int bad = ApplyTrust(a, client))
            return bad;
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
            std::cerr << "The server has no address book for " << *user << ".\n";
            return kExitServer;
        }
        if (books.size() > 1) {
            std::cerr << "The server has several address books; give one of them with --url:\n";
            for (const auto& b : books)
                std::cerr << "  " << b.url.toString().toStdString() << "\n";
            return kExitUsage;
        }

        CSyncEngine engine(doc, client);
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
        engine.Start(books.first().url);
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
        if (error) {
            std::cerr << error.Message().toStdString() << "\n";
            std::cout << CSyncEngine::Summary(counts).toStdString() << "\n";
            return kExitServer;
        }
        std::cout << CSyncEngine::Summary(counts).toStdString() << "\n";
        return kExitOk;
    }

private:
    // A server certificate the user vouches for by its fingerprint, or an authority of
    // their own.
    int ApplyTrust(const CliArgs& a, CCardDavClient& client) const {
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
};

const CliVerbRegistrar<SyncVerb> registrar;

} // namespace
#endif
