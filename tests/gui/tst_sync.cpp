// File > Address Book Server... and File > Sync Now in the real frame, against a real
// radicale: Test Connection finds the address books, Sync Now fills the book in the
// background and says what it did.
#include "DavServer.h"
#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "ModalDriver.h"
#include "RawDav.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include "sync/CSyncState.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

struct Rig {
    FakeMessageBox messageBox;
    FakeFileChooser fileChooser;
    FakeClock clock;
    MemorySettingsStore settings;
    AppServices services{messageBox, fileChooser, clock, settings, RealFileSystem()};
    CKinbookDoc doc{messageBox, RealFileSystem()};
    TempDir dir;
    std::unique_ptr<CMainFrame> frame;

    CMainFrame& Make() {
        doc.GetCategories().ResetToDefaults();
        doc.SetDataPath(dir.File("book.kbk"));
        doc.Save();
        frame = std::make_unique<CMainFrame>(doc, services);
        frame->show();
        return *frame;
    }
    QAction* Action(const char* name) {
        return frame->findChild<QAction*>(QString::fromLatin1(name));
    }
};

// The text of the first message shown that contains part, once there is one.
std::string ShownWith(const FakeMessageBox& box, const char* part) {
    for (const std::string& text : box.Texts())
        if (text.find(part) != std::string::npos)
            return text;
    return {};
}

template <class Dialog> Dialog* OpenDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<Dialog*>(w); d != nullptr && d->isVisible())
            return d;
    return nullptr;
}

// The one card the server holds before a test's first sync.
const char* const kAnnAbbot = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a\r\nFN:Ann Abbot\r\n"
                              "N:Abbot;Ann;;;\r\nTEL;TYPE=cell:555 0100\r\nEND:VCARD\r\n";

// Chooses the server's own address book in File > Address Book Server..., as a user would.
bool ChooseServer(Rig& rig, const DavServer& server, const QString& book) {
    bool chosen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dlg = OpenDialog<QDialog>();
        if (!dlg || dlg->objectName() != QStringLiteral("IDD_SYNC_SERVER"))
            return;
        poll.stop();
        dlg->findChild<QLineEdit*>(QStringLiteral("IDC_SYNC_SERVER"))
            ->setText(QString::fromStdString(server.BaseUrl()) + QLatin1Char('/'));
        dlg->findChild<QLineEdit*>(QStringLiteral("IDC_SYNC_USER"))
            ->setText(QString::fromStdString(server.User()));
        dlg->findChild<QLineEdit*>(QStringLiteral("IDC_SYNC_PASSWORD"))
            ->setText(QString::fromStdString(server.Password()));
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("IDC_SYNC_TEST")),
                          Qt::LeftButton);
        auto* books = dlg->findChild<QComboBox*>(QStringLiteral("IDC_SYNC_BOOKS"));
        QElapsedTimer waited;
        waited.start();
        while (books->count() != 1 && waited.elapsed() < 20000)
            QTest::qWait(50);
        chosen = books->count() == 1 && books->currentData().toString().endsWith(book);
        dlg->accept();
    });
    poll.start();
    rig.Action("ID_SYNC_SERVER")->trigger();
    QElapsedTimer waited;
    waited.start();
    while (!chosen && waited.elapsed() < 30000)
        QTest::qWait(50);
    return chosen;
}

// The first thing Sync Now says, past the one-time notice that no password store is here.
FakeMessageBox::Shown SyncNow(Rig& rig) {
    const auto said = [&, before = rig.messageBox.shown.size()]() -> const FakeMessageBox::Shown* {
        for (std::size_t i = before; i < rig.messageBox.shown.size(); ++i)
            if (rig.messageBox.shown[i].text.rfind("The password could not be kept", 0) != 0)
                return &rig.messageBox.shown[i];
        return nullptr;
    };
    rig.frame->menuBar()->actions().first()->menu()->aboutToShow();
    rig.Action("ID_SYNC_NOW")->trigger();
    QElapsedTimer waited;
    waited.start();
    while (said() == nullptr && waited.elapsed() < 30000)
        QTest::qWait(50);
    return said() != nullptr ? *said() : FakeMessageBox::Shown{};
}

} // namespace

class TestSync : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void fileMenuOffersServerAndSyncNow() {
        Rig rig;
        rig.Make();
        QAction* server = rig.Action("ID_SYNC_SERVER");
        QAction* now = rig.Action("ID_SYNC_NOW");
        QVERIFY(server && now);
        QCOMPARE(server->text(), QStringLiteral("Address Book &Server..."));
        QCOMPARE(now->text(), QStringLiteral("S&ync Now"));
        QCOMPARE(now->shortcut(), QKeySequence(Qt::Key_F9));
        rig.frame->menuBar()->actions().first()->menu()->aboutToShow();
        QVERIFY(server->isEnabled());
        QVERIFY(!now->isEnabled()); // no server chosen yet
    }

    void testConnectionThenSyncNow() {
        DavServer radicale(DavServer::Kind::Radicale);
        QVERIFY2(radicale.Start(), radicale.Error().c_str());
        RawDav raw(radicale);
        const QString book = QString::fromStdString(radicale.DefaultAddressBookPath());
        QCOMPARE(raw.Put(book + QStringLiteral("a.vcf"), kAnnAbbot).status, 201);
        Rig rig;
        rig.Make();

        // The dialog opens once the secret store has answered.
        QVERIFY(ChooseServer(rig, radicale, book));
        QVERIFY(
            QString::fromStdString(rig.settings.GetString("Sync Address Book", {})).endsWith(book));
        CSyncState beside; // the account is the book's
        QVERIFY(beside.Load(rig.doc.GetDataPath(), RealFileSystem()));
        QVERIFY(QString::fromStdString(beside.m_account.addressBook).endsWith(book));
        // The password is nowhere in the settings.
        for (const auto& [name, value] : rig.settings.values)
            QVERIFY(!std::holds_alternative<std::string>(value) ||
                    std::get<std::string>(value).find(radicale.Password()) == std::string::npos);

        rig.frame->menuBar()->actions().first()->menu()->aboutToShow();
        QVERIFY(rig.Action("ID_SYNC_NOW")->isEnabled());
        rig.Action("ID_SYNC_NOW")->trigger();
        // Without a secret store the password given above is remembered for this run.
        QTRY_VERIFY_WITH_TIMEOUT(!ShownWith(rig.messageBox, "added here").empty(), 30000);
        QCOMPARE(ShownWith(rig.messageBox, "added here"),
                 "1 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
        QCOMPARE(rig.doc.GetRecords().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(rig.doc.GetRecords().front()->m_strLastName),
                 QStringLiteral("Abbot"));
    }

    // With sync set up for one book, another book's Sync Now asks before merging the two;
    // No leaves both sides as they were.
    void anotherBookAsksBeforeItsFirstMerge() {
        DavServer radicale(DavServer::Kind::Radicale);
        QVERIFY2(radicale.Start(), radicale.Error().c_str());
        RawDav raw(radicale);
        const QString book = QString::fromStdString(radicale.DefaultAddressBookPath());
        QCOMPARE(raw.Put(book + QStringLiteral("a.vcf"), kAnnAbbot).status, 201);
        const auto answerPassword = [&] {
            WhenModal<QInputDialog>([&](QInputDialog& d) {
                d.setTextValue(QString::fromStdString(radicale.Password()));
                d.accept();
            });
        };
        Rig first;
        first.settings.WriteString("Sync Server", radicale.BaseUrl());
        first.settings.WriteString("Sync User", radicale.User());
        first.settings.WriteString("Sync Address Book", radicale.BaseUrl() + book.toStdString());
        first.Make();
        answerPassword();
        first.Action("ID_SYNC_NOW")->trigger(); // an empty book: a plain copy, not asked
        QTRY_VERIFY_WITH_TIMEOUT(!ShownWith(first.messageBox, "added here").empty(), 30000);
        QCOMPARE(first.doc.GetRecords().size(), std::size_t(1));

        Rig second;
        second.settings.values = first.settings.values;
        for (const char* name : {"Baker", "Carter"}) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = name;
            second.doc.GetRecords().push_back(std::move(r));
        }
        second.Make();
        const std::string before = ReadFileBytes(second.doc.GetDataPath());
        second.messageBox.answers.push_back(MbResult::No);
        answerPassword();
        second.Action("ID_SYNC_NOW")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!ShownWith(second.messageBox, "Merge them?").empty(), 30000);
        const std::string question = ShownWith(second.messageBox, "Merge them?");
        QVERIFY2(question.starts_with("This book has 2 contacts and the address book '") &&
                     question.find("' on 127.0.0.1 has 1 card.") != std::string::npos,
                 question.c_str());
        QTest::qWait(500);
        QVERIFY(ShownWith(second.messageBox, "added here").empty());
        QCOMPARE(ReadFileBytes(second.doc.GetDataPath()), before);
        QCOMPARE(raw.List(book).size(), 1);
    }

    // A certificate no authority vouches for: the user sees what to judge it by, trusts it
    // once for the account, and a different one is refused again.
    void aTrustedCertificateIsKeptWithTheAccount() {
        DavServer tls(DavServer::Kind::Radicale, DavServer::Transport::SelfSignedTls);
        QVERIFY2(tls.Start(), tls.Error().c_str());
        Rig rig;
        rig.Make();
        QVERIFY(ChooseServer(rig, tls, QString::fromStdString(tls.DefaultAddressBookPath())));
        QCOMPARE(rig.messageBox.shown.size(), std::size_t(1));
        const QString question = QString::fromStdString(rig.messageBox.shown[0].text);
        QVERIFY2(question.contains(
                     QStringLiteral("Subject: 127.0.0.1\nIssued by: 127.0.0.1\nValid from ")),
                 qPrintable(question));
        const std::string pinned = rig.settings.GetString("Sync Trusted Certificate", {});
        QCOMPARE(pinned.size(), std::size_t(95));
        QVERIFY(question.contains(QStringLiteral("SHA-256 fingerprint: ") +
                                  QString::fromStdString(pinned)));

        const std::string summary = SyncNow(rig).text;
        QVERIFY2(summary.rfind("0 added here", 0) == 0, summary.c_str());

        CSyncState state; // the trust is kept with the book's account
        QVERIFY(state.Load(rig.doc.GetDataPath(), rig.doc.FileSystem()));
        QCOMPARE(state.m_account.trustedCertificate, pinned);
        state.m_account.trustedCertificate = std::string(64, '0');
        QVERIFY(state.Save(rig.doc.GetDataPath(), rig.doc.FileSystem()));
        rig.messageBox.answers.push_back(MbResult::No);
        const std::string changed = SyncNow(rig).text;
        QVERIFY(changed.rfind("The server's certificate has changed", 0) == 0);
        QVERIFY(changed.find(pinned) != std::string::npos);
        QTRY_VERIFY_WITH_TIMEOUT(rig.messageBox.shown.back().text.rfind(
                                     "The server's certificate is not trusted", 0) == 0,
                                 30000);
    }

    // The server loses every card: Sync Now asks before it empties the book, and only Yes
    // goes on.
    void aSyncThatWouldEmptyTheBookAsksFirst() {
        DavServer radicale(DavServer::Kind::Radicale);
        QVERIFY2(radicale.Start(), radicale.Error().c_str());
        RawDav raw(radicale);
        const QString book = QString::fromStdString(radicale.DefaultAddressBookPath());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(raw.Put(book + QStringLiteral("c%1.vcf").arg(i),
                             QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c%1\r\nFN:Card%1\r\n"
                                            "N:Card%1;;;;\r\nTEL:555 01%1\r\nEND:VCARD\r\n")
                                 .arg(i)
                                 .toUtf8())
                         .status,
                     201);
        Rig rig;
        rig.Make();
        QVERIFY(ChooseServer(rig, radicale, book));
        QCOMPARE(SyncNow(rig).icon, MbIcon::Information);
        QCOMPARE(rig.doc.GetRecords().size(), std::size_t(12));

        for (const QString& href : raw.List(book))
            QCOMPARE(raw.Delete(href).status / 100, 2);
        rig.messageBox.answers = {MbResult::No};
        FakeMessageBox::Shown asked = SyncNow(rig);
        QCOMPARE(
            QString::fromStdString(asked.text),
            QStringLiteral("This sync would remove 12 of the 12 synced contacts from this book, "
                           "because the server no longer lists them.\n\nGo on with the sync?"));
        QCOMPARE(asked.icon, MbIcon::Question);
        QCOMPARE(asked.buttons, MbButtons::YesNo);
        // The answer ends the sync at once: nothing more is said, nothing changed.
        QCOMPARE(rig.messageBox.shown.back().text, asked.text);
        QVERIFY(raw.List(book).isEmpty());
        QCOMPARE(rig.doc.GetRecords().size(), std::size_t(12));

        rig.messageBox.answers = {MbResult::Yes};
        SyncNow(rig);
        QTRY_VERIFY_WITH_TIMEOUT(rig.messageBox.shown.back().icon == MbIcon::Information, 30000);
        QVERIFY(QString::fromStdString(rig.messageBox.shown.back().text)
                    .startsWith(QStringLiteral("0 added here, 0 changed here, 12 removed here;")));
        QVERIFY(rig.doc.GetRecords().empty());
        QVERIFY(QFile::exists(QString::fromStdString(rig.doc.GetDataPath() + ".before-sync")));
    }
};

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
