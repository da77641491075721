// kinbook-cli sync and edit against a real radicale, as a user would script them; a sync
// that would empty one side; and a sync killed with SIGKILL at a random moment, run again
// to the same end.
#include "DavServer.h"
#include "FakeMessageBox.h"
#include "RawDav.h"
#include "RunCli.h"
#include "TempDir.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "sync/CSyncState.h"
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

class SyncCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (Cli().empty())
            FAIL() << "KINBOOK_CLI is not set";
        server = &SharedServer(static_cast<int>(DavServer::Kind::Radicale));
        ASSERT_TRUE(server->Running()) << server->Error();
        raw = std::make_unique<RawDav>(*server);
        book = raw->MakeAddressBook(UniqueBookName("cli"));
        ASSERT_FALSE(book.isEmpty());
        file = dir.File("book.kbk");
        ASSERT_EQ(RunCli({"new", file}).exitCode, 0);
        ::setenv("KINBOOK_PASSWORD", server->Password().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("KINBOOK_PASSWORD"); }
    std::string Url() const { return server->BaseUrl() + book.toStdString(); }
    CliRun Sync() { return RunCli({"sync", file, "--url", Url(), "--user", server->User()}); }
    // A sync with more options, run as from a script: no terminal and no password store.
    CliRun SyncDetached(std::vector<std::string> more, const std::string& url = {}) {
        std::vector<std::string> args{"sync",   file,          "--url", url.empty() ? Url() : url,
                                      "--user", server->User()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, "setsid -w env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY");
    }

    DavServer* server = nullptr;
    std::unique_ptr<RawDav> raw;
    QString book;
    TempDir dir;
    std::string file;
};

TEST_F(SyncCli, SyncAndEditAsAUserScriptsThem) {
    ASSERT_EQ(RunCli({"add", file, "--last", "Cole", "--first", "Cy", "--item", "Mobile:555 9000"})
                  .exitCode,
              0);
    CliRun r = Sync();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 added here, 0 changed here, 0 removed here; 1 sent to the server, 0 conflicts\n");
    ASSERT_EQ(raw->List(book).size(), 1);

    r = RunCli({"edit", file, "Cole, Cy", "--last", "Coleman", "--title", "Dr"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Coleman\n");
    r = Sync();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 added here, 0 changed here, 0 removed here; 1 sent to the server, 0 conflicts\n");
    const QByteArray card = raw->Get(raw->List(book).first()).body;
    EXPECT_TRUE(card.contains("N:Coleman;Cy")) << card.toStdString();
    EXPECT_TRUE(card.contains("TITLE:Dr"));

    r = RunCli({"edit", file, "Nobody, Here", "--title", "X"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("there is no contact named 'Nobody, Here'"), std::string::npos) << r.err;
}

TEST_F(SyncCli, AWrongPasswordIsSaidAndChangesNothing) {
    ASSERT_EQ(RunCli({"add", file, "--last", "Safe", "--item", "Home:555 1111"}).exitCode, 0);
    const std::string before = ReadFileBytes(file);
    ::setenv("KINBOOK_PASSWORD", "wrong", 1);
    const CliRun r = Sync();
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "The server did not accept the user name or password.\n");
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_TRUE(raw->List(book).isEmpty());
}

// After a sync of twelve contacts, the server forgets the sync token and lists nothing; later
// the book is emptied here. Either way the sync stops with nothing changed on either side
// until the user says --allow-mass-delete, and keeps the book as it was before removing.
TEST_F(SyncCli, ASyncThatWouldEmptyEitherSideNeedsAllowMassDelete) {
    auto fill = [this] {
        FakeMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        ASSERT_TRUE(doc.Load(file));
        for (int i = 0; i < 12; ++i) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = "Mass" + std::to_string(i);
            r->m_strItem[0] = "555 2" + std::to_string(i);
            FileRecord(doc.GetRecords(), std::move(r));
        }
        ASSERT_TRUE(doc.Save(file));
        ASSERT_EQ(Sync().exitCode, 0);
        ASSERT_EQ(raw->List(book).size(), 12);
    };
    fill();
    for (const QString& href : raw->List(book))
        ASSERT_EQ(raw->Delete(href).status / 100, 2);
    CSyncState state;
    ASSERT_TRUE(state.Load(file, RealFileSystem()));
    state.m_strToken += "-unknown";
    ASSERT_TRUE(state.Save(file, RealFileSystem()));
    const std::string bookBefore = ReadFileBytes(file);
    const std::string stateBefore = ReadFileBytes(file + ".sync");
    CliRun r = Sync();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "This sync would remove 12 of the 12 synced contacts from this book, because "
                     "the server no longer lists them. Nothing was changed. To remove them, sync "
                     "again with --allow-mass-delete.\n");
    EXPECT_EQ(ReadFileBytes(file), bookBefore);
    EXPECT_EQ(ReadFileBytes(file + ".sync"), stateBefore);

    r = RunCli({"sync", file, "--url", Url(), "--user", server->User(), "--allow-mass-delete"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 added here, 0 changed here, 12 removed here; 0 sent to the server, 0 conflicts; "
              "the book as it was before is kept as " +
                  file + ".before-sync\n");
    EXPECT_EQ(ReadFileBytes(file + ".before-sync"), bookBefore);

    // The other way: the book emptied here would empty the address book.
    fill();
    {
        FakeMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        ASSERT_TRUE(doc.Load(file));
        doc.GetRecords().clear();
        ASSERT_TRUE(doc.Save(file));
    }
    r = Sync();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("This sync would delete 12 of the 12 synced contacts from the server"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(raw->List(book).size(), 12);
}

TEST_F(SyncCli, ThePasswordComesFromTheCommandThenTheEnvironmentAndIsNeverEmpty) {
    ASSERT_EQ(RunCli({"add", file, "--last", "Safe", "--item", "Home:555 1111"}).exitCode, 0);
    const std::string before = ReadFileBytes(file);
    ::setenv("KINBOOK_PASSWORD", "wrong", 1); // the command comes first
    // A failing command, one that prints nothing, and no source at all: nothing is sent.
    for (const auto& [more, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--password-command", "echo " + server->Password() + "; exit 4"},
              "The password command failed (exit status 4); nothing was sent to the server.\n"},
             {{"--password-command", "printf '\\n'"},
              "The password command printed no password; nothing was sent to the server.\n"}}) {
        const CliRun r = SyncDetached(more);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, why);
    }
    ::unsetenv("KINBOOK_PASSWORD");
    CliRun r = SyncDetached({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("No password for " + server->User() + " at http://127.0.0.1:"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_TRUE(raw->List(book).isEmpty());

    ::setenv("KINBOOK_PASSWORD", "wrong", 1);
    r = SyncDetached(
        {"--password-command", "printf '%s\\nmore\\n' " + ShellQuote(server->Password())});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(raw->List(book).size(), 1);
}

TEST_F(SyncCli, AddressesThatWouldLeakThePasswordAreRefused) {
    const std::string base = server->BaseUrl(); // http://127.0.0.1:PORT
    const std::string hostPort = base.substr(base.find("://") + 3);
    const std::string withPassword =
        "http://" + server->User() + ":" + server->Password() + "@" + hostPort + book.toStdString();
    CliRun r = SyncDetached({}, withPassword);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--url must not hold a user name or password"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFileBytes(file + ".sync").find(server->Password()), std::string::npos);
    // 0.0.0.0 is not taken for this machine, so the test never talks to another one.
    r = SyncDetached({}, "http://0.0.0.0:" + std::to_string(server->Port()) + book.toStdString());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("give --allow-http"), std::string::npos) << r.err;
    // A bare host means https: this plain server cannot answer it.
    r = SyncDetached({}, hostPort + book.toStdString());
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(raw->List(book).isEmpty());
}

// Ctrl-C at the password prompt gives the terminal its echo back.
TEST_F(SyncCli, InterruptedPromptRestoresEcho) {
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        ::dup2(slave, 0), ::dup2(slave, 1), ::dup2(slave, 2);
        ::unsetenv("KINBOOK_PASSWORD"), ::unsetenv("DBUS_SESSION_BUS_ADDRESS"),
            ::unsetenv("DISPLAY");
        const std::string cli = Cli(), url = Url(), user = server->User();
        ::execl(cli.c_str(), cli.c_str(), "sync", file.c_str(), "--url", url.c_str(), "--user",
                user.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    std::string seen;
    for (int i = 0; i < 200 && seen.find("Password for") == std::string::npos; ++i) {
        pollfd p{master, POLLIN, 0};
        char buf[256];
        if (::poll(&p, 1, 100) > 0) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                seen.append(buf, static_cast<std::size_t>(n));
        }
    }
    ASSERT_NE(seen.find("Password for"), std::string::npos) << seen;
    termios during{};
    for (int i = 0; i < 100 && ::tcgetattr(slave, &during) == 0 && (during.c_lflag & ECHO) != 0;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(during.c_lflag & ECHO, 0u); // what is typed is not shown
    ASSERT_EQ(::write(master, "\x03", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
    ::close(master), ::close(slave);
}

TEST_F(SyncCli, ASyncKilledAtAnyMomentConvergesWhenRunAgain) {
    for (int i = 0; i < 60; ++i) {
        const std::string n = std::to_string(i);
        ASSERT_EQ(RunCli({"add", file, "--last", "Kill" + n, "--item", "Work:555 3" + n}).exitCode,
                  0);
        ASSERT_EQ(raw->Put(book + QStringLiteral("k%1.vcf").arg(i),
                           QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:k%1\r\nFN:Remote%1\r\n"
                                          "N:Remote%1;;;;\r\nTEL:555 4%1\r\nEND:VCARD\r\n")
                               .arg(i)
                               .toUtf8())
                      .status,
                  201);
    }
    std::mt19937 rng(static_cast<unsigned>(std::random_device{}()));
    for (int round = 0; round < 3; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string cli = Cli(), url = Url(), user = server->User();
            ::execl(cli.c_str(), cli.c_str(), "sync", file.c_str(), "--url", url.c_str(), "--user",
                    user.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(50, 900)(rng)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        // Whatever moment it died at, the state beside the book is whole or absent.
        CSyncState state;
        EXPECT_TRUE(state.Load(file, RealFileSystem()));
    }
    CliRun r = Sync();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Sync();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts\n");
    EXPECT_EQ(raw->List(book).size(), 120);
    FakeMessageBox box;
    CKinbookDoc doc(box, RealFileSystem());
    ASSERT_TRUE(doc.Load(file));
    EXPECT_EQ(doc.GetRecords().size(), 120u);
}

} // namespace
