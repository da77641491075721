// The pages of a printed book must not depend on how they are reached: a page drawn from
// where the counting pass saw it start must be the very page that laying the book out
// from its first record again draws. Compared as poppler reads the PDFs back: every
// word with its box.
#include "FakeClock.h"
#include "model/CCategoryList.h"
#include "model/CSampleBook.h"
#include "print/CPaperSize.h"
#include "print/CPrintJob.h"
#include "print/CPrintOptions.h"
#include "print/CPrintProgress.h"
#include "print/PdfExport.h"
#include "print/PrintRunner.h"
#include "print/QtPageSurface.h"
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <vector>

namespace {

struct SampleBook {
    CCategoryList categories;
    CRecordList records;
};

const SampleBook& Sample(std::size_t count) {
    static std::map<std::size_t, SampleBook> books;
    auto [it, made] = books.try_emplace(count);
    if (made)
        CSampleBook(1).Fill(it->second.categories, it->second.records, count);
    return it->second;
}

// The words of each page, one "<word ...>text</word>" line each, as pdftotext -bbox
// gives them.
std::vector<QStringList> PageWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    std::vector<QStringList> pages;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& raw : out.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("<page ")))
            pages.emplace_back();
        else if (line.startsWith(QLatin1String("<word ")) && !pages.empty())
            pages.back().append(line);
    }
    return pages;
}

// Draws the chosen pages into one PDF, laid out from the first record again; with
// pairs, each page first from where it starts and then the slow way. Returns the count.
int WritePages(CPrintJob& job, const QString& path, const std::vector<int>& pages, bool pairs) {
    QPdfWriter writer(path);
    SetUpPdfWriter(writer);
    QPainter painter(&writer);
    QtPageSurface surface(writer, &painter);
    const int count = job.BeginPrinting(surface);
    bool first = true;
    for (int page : pages) {
        for (bool slow : {false, true}) {
            if (!slow && !pairs)
                continue;
            if (!first)
                writer.newPage();
            first = false;
            job.SetLayOutFromFirstRecord(slow);
            job.PrintPage(surface, page);
        }
    }
    painter.end();
    job.SetLayOutFromFirstRecord(false);
    return count;
}

// The pages to compare in a book of count pages: all of them, or the first two, the
// last and some spread between with the page after each.
std::vector<int> Choose(int count, int samples) {
    std::vector<int> pages;
    if (samples == 0 || samples >= count) {
        for (int n = 1; n <= count; ++n)
            pages.push_back(n);
        return pages;
    }
    for (int i = 0; i < samples; ++i) {
        const int n = 1 + int(std::int64_t(count - 1) * i / (samples - 1));
        if (pages.empty() || n > pages.back())
            pages.push_back(n);
        if (n < count)
            pages.push_back(n + 1);
    }
    return pages;
}

CPrintSettings Settings(const QString& size, bool dense) {
    CPrintSettings s;
    s.m_strSelectedSize = size.toStdString();
    s.m_strBookCategory = "All";
    if (dense) {
        // Every part of every record, a page per letter and the outline.
        s.m_nPrintData = 63;
        s.m_bAlphaPageBreak = true;
        s.m_bBorder = !CPaperSize::IsRegularOrMonarch(s.m_strSelectedSize);
    }
    CPrintOptions options(s);
    options.Open();
    return options.Settings();
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

class TestPrintPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (poppler-utils) is needed: scripts/install-deps installs it");
    }

    void sameWordsInTheSamePlaces_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("dense");
        QTest::addColumn<int>("samples"); // 0: every page, else that many and their neighbours
        for (const auto& size : CPaperSize::All()) {
            const QString name = Text(size.m_strName);
            for (bool dense : {false, true})
                QTest::newRow(
                    qPrintable(QStringLiteral("300 %1%2")
                                   .arg(name, dense ? QStringLiteral(" dense") : QString())))
                    << 300 << name << dense << 0;
        }
        // A big book: some pages, as each costs the slow way a pass through the pages
        // before it.
        QTest::newRow("10000 Regular") << 10000 << Text(kSizeRegular) << false << 3;
        QTest::newRow("10000 Pocket dense") << 10000 << Text(kSizePocket) << true << 3;
    }
    void sameWordsInTheSamePlaces() {
        QFETCH(int, records);
        QFETCH(QString, size);
        QFETCH(bool, dense);
        QFETCH(int, samples);
        const SampleBook& book = Sample(std::size_t(records));
        FakeClock clock; // the footers' time
        CPrintJob job(PrintMode::Book, Settings(size, dense), book.records, book.categories,
                      nullptr, clock);
        QTemporaryDir dir;
        const QString fast = dir.filePath(QStringLiteral("fast.pdf"));
        const QString slow = dir.filePath(QStringLiteral("slow.pdf"));
        std::vector<QStringList> a, b; // page by page: drawn from its start, the slow way
        std::vector<int> pages;
        if (samples == 0) {
            // The whole book as printing writes it.
            const int count = PrintJobToPdf(job, fast);
            QVERIFY(count > 1);
            QCOMPARE(job.PageStarts().size(), std::size_t(count));
            pages = Choose(count, 0);
            QCOMPARE(WritePages(job, slow, pages, false), count);
            a = PageWords(fast);
            b = PageWords(slow);
        } else {
            // Counting once: the slow way then measures what the count has measured.
            QPdfWriter counter(fast);
            SetUpPdfWriter(counter);
            QtPageSurface surface(counter, nullptr);
            const int count = job.BeginPrinting(surface);
            QVERIFY(count > 1);
            pages = Choose(count, samples);
            QCOMPARE(WritePages(job, slow, pages, true), count);
            const std::vector<QStringList> both = PageWords(slow);
            for (std::size_t i = 0; i + 1 < both.size(); i += 2) {
                a.push_back(both[i]);
                b.push_back(both[i + 1]);
            }
        }
        QCOMPARE(a.size(), pages.size());
        QCOMPARE(b.size(), pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            QVERIFY2(!b[i].isEmpty(), qPrintable(QStringLiteral("page %1 is empty").arg(pages[i])));
            if (a[i] == b[i])
                continue;
            for (qsizetype k = 0; k < std::min(a[i].size(), b[i].size()); ++k)
                QVERIFY2(a[i][k] == b[i][k], qPrintable(QStringLiteral("page %1: %2 instead of %3")
                                                            .arg(pages[i])
                                                            .arg(a[i][k], b[i][k])));
            QCOMPARE(a[i].size(), b[i].size());
        }
    }

    // A long count shows how far it has come, and its Cancel ends the job.
    void cancelStopsALongCount() {
        const SampleBook& book = Sample(10000);
        FakeClock clock;
        CPrintJob job(PrintMode::Book, Settings(Text(kSizePocket), true), book.records,
                      book.categories, nullptr, clock);
        QWidget window;
        window.show();
        QString seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = window.findChild<QProgressDialog*>(QStringLiteral("printProgress"));
            if (!dialog || !dialog->isVisible())
                return;
            seen = dialog->labelText();
            if (auto* cancel = dialog->findChild<QPushButton*>())
                cancel->click();
        });
        poll.start(20);
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("cancelled.pdf")));
        SetUpPdfWriter(writer);
        CPrintProgress progress(&window, 0); // at once, however fast the machine
        QCOMPARE(PrintRunner::CountPages(job, writer, &progress), -1);
        QVERIFY(progress.Cancelled());
        QVERIFY2(seen.startsWith(QStringLiteral("Laying out the pages: ")), qPrintable(seen));
        QVERIFY(job.PageStarts().empty());
    }
};

QTEST_MAIN(TestPrintPages)
#include "tst_print_pages.moc"
