// Sync speed against a real radicale (or xandikos) on 127.0.0.1: a first sync of 2,000 contacts each
// way, and a sync with nothing to do.
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
