// Sync speed against a real radicale (or xandikos) on 127.0.0.1: a first sync of 2,000 contacts each
// way, and a sync with nothing to do.
//
// Sending is bound by the server: CardDAV writes one card per PUT, and both servers pay
// for each new card with a pass over the whole address book (radicale looks for a card
// with the same UID, xandikos rewrites its git index and tree), so 2,000 new cards cost
// them time that grows with the square of the count. KINBOOK_BENCH_FLOOR=1 adds the same
// 2,000 PUTs sent by plain HTTP one after another, the server alone, to compare with.
#include "CCardDavClient.h"
#include "CSyncEngine.h"
#include "DavServer.h"
#include "FakeMessageBox.h"
#include "RawDav.h"
#include "TempDir.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <cstdlib>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kContacts = 2000;

struct World {
    // KINBOOK_BENCH_SERVER=xandikos measures the other server.
    DavServer server{std::getenv("KINBOOK_BENCH_SERVER") != nullptr &&
                             std::string(std::getenv("KINBOOK_BENCH_SERVER")) == "xandikos"
                         ? DavServer::Kind::Xandikos
                         : DavServer::Kind::Radicale};
    TempDir dir;
    FakeMessageBox box;
    QString book;
    CCardDavClient client;

    World() {
        if (!server.Start())
            return;
        book = QString::fromStdString(server.DefaultAddressBookPath());
        client.SetAccount(QUrl(QString::fromStdString(server.BaseUrl()) + book),
                          QString::fromStdString(server.User()), QString::fromStdString(server.Password()));
    }
    std::unique_ptr<CKinbookDoc> Book(const std::string& name, int records) {
        auto doc = std::make_unique<CKinbookDoc>(box, RealFileSystem());
        doc->SetDataPath(dir.File(name));
        doc->GetCategories().ResetToDefaults();
        for (int i = 0; i < records; ++i) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = "Person" + std::to_string(100000 + i);
            r->m_strFirstName = "Pat";
            r->m_strItem[0] = "+1 555 " + std::to_string(1000000 + i);
            r->m_nItemLabel[0] = LABEL_MOBILE;
            r->m_strItem[1] = "pat" + std::to_string(i) + "@example.org";
            r->m_nItemLabel[1] = LABEL_EMAIL;
            r->m_strCity = "Springfield";
            doc->GetRecords().push_back(std::move(r));
        }
        doc->Save(dir.File(name));
        return doc;
    }
    SyncCounts Sync(CKinbookDoc& doc) {
        CSyncEngine engine(doc, client);
        SyncCounts counts;
        QEventLoop loop;
        QObject::connect(&engine, &CSyncEngine::finished, &loop, [&](const DavError&, const SyncCounts& c) {
            counts = c;
            loop.quit();
        });
        engine.Start(client.Url());
        if (engine.IsRunning())
            loop.exec();
        return counts;
    }
};

World& TheWorld() {
    static World world;
    return world;
}

void BM_FirstSyncSending2000(benchmark::State& state) {
    World& w = TheWorld();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = w.Book("up.kbk", kContacts);
        state.ResumeTiming();
        const SyncCounts c = w.Sync(*doc);
        state.counters["sent"] = c.sentToServer;
    }
}
BENCHMARK(BM_FirstSyncSending2000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FirstSyncReceiving2000(benchmark::State& state) {
    World& w = TheWorld();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = w.Book("down.kbk", 0);
        state.ResumeTiming();
        const SyncCounts c = w.Sync(*doc);
        state.counters["added"] = c.addedHere;
    }
}
BENCHMARK(BM_FirstSyncReceiving2000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_NoChangeSync2000(benchmark::State& state) {
    World& w = TheWorld();
    auto doc = std::make_unique<CKinbookDoc>(w.box, RealFileSystem());
    doc->SetDataPath(w.dir.File("down.kbk"));
    doc->Load(w.dir.File("down.kbk"));
    for (auto _ : state) {
        const SyncCounts c = w.Sync(*doc);
        state.counters["changes"] = c.addedHere + c.changedHere + c.removedHere + c.sentToServer;
    }
}
BENCHMARK(BM_NoChangeSync2000)->Iterations(5)->Unit(benchmark::kMillisecond);

// The server alone: 2,000 new cards put into an empty address book, one after another.
void BM_ServerAlonePut2000(benchmark::State& state) {
    World& w = TheWorld();
    RawDav raw(w.server);
    for (auto _ : state) {
        state.PauseTiming();
        const QString book = raw.MakeAddressBook(UniqueBookName("floor"));
        state.ResumeTiming();
        int created = 0;
        for (int i = 0; i < kContacts; ++i) {
            const QString uid = QStringLiteral("floor-%1").arg(i);
            const QByteArray card =
                QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:Pat Person%2\r\n"
                               "N:Person%2;Pat;;;\r\nTEL;TYPE=CELL:+1 555 %3\r\n"
                               "EMAIL:pat%2@example.org\r\nADR:;;;Springfield;;;\r\nEND:VCARD\r\n")
                    .arg(uid)
                    .arg(100000 + i)
                    .arg(1000000 + i)
                    .toUtf8();
            created += raw.Put(book + uid + QStringLiteral(".vcf"), card).status == 201 ? 1 : 0;
        }
        state.counters["created"] = created;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (std::getenv("KINBOOK_BENCH_FLOOR") != nullptr)
        benchmark::RegisterBenchmark("BM_ServerAlonePut2000", BM_ServerAlonePut2000)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

