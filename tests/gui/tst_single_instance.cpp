#include "FakeMessageBox.h"
#include "app/CSingleInstance.h"
#include "model/CKinbookDoc.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// Starts the real program in a sandbox of its own: temporary home, settings, data
// and runtime directories, offscreen.
class TestSingleInstance : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home;
    QString m_program;

    QProcessEnvironment Sandbox() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("run")));
        return env;
    }
    std::unique_ptr<QProcess> Start(const QStringList& args = {}, const QString& cwd = {}) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(Sandbox());
        if (!cwd.isEmpty())
            process->setWorkingDirectory(cwd);
        process->start(m_program, args);
        return process;
    }
    static bool Held() {
        return CSingleInstance::IsHeldElsewhere(QStringLiteral("FeltmureKinbook"));
    }

private slots:
    void initTestCase() {
        m_program = qEnvironmentVariable("KINBOOK_APP");
        if (m_program.isEmpty() || !QFile::exists(m_program))
            QSKIP("KINBOOK_APP does not name the built program");
        QVERIFY(m_home.isValid());
        QDir().mkpath(m_home.filePath(QStringLiteral("run")));
        QFile::setPermissions(m_home.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // This process looks for the lock where the sandboxed program keeps it.
        qputenv("XDG_RUNTIME_DIR", m_home.filePath(QStringLiteral("run")).toLocal8Bit());
    }

    void secondStartEndsAtOnceAndAKilledFirstBlocksNothing() {
        QVERIFY(!Held());
        auto first = Start();
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Held(), 30000);
        QVERIFY(QDir(m_home.filePath(QStringLiteral("data/Feltmoor Kinbook/Kinbook"))).exists());

        auto second = Start();
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(Held());

        first->kill(); // SIGKILL: nothing of the first gets to clean up
        QVERIFY(first->waitForFinished(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!Held(), 30000);

        // An unknown option is ignored, and a file that does not load ends nothing.
        auto third = Start({QStringLiteral("--unknown-option"), QStringLiteral("some.kbk")});
        QVERIFY(third->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Held(), 30000);
        QCOMPARE(third->state(), QProcess::Running);
        third->kill();
        QVERIFY(third->waitForFinished(30000));
    }

    void endedBySigtermItWritesItsSettings() {
        const QString conf =
            m_home.filePath(QStringLiteral("config/Feltmoor Kinbook/Kinbook.conf"));
        QFile::remove(conf);
        auto running = Start();
        QVERIFY(running->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Held(), 30000);
        running->terminate(); // SIGTERM, as when the session ends
        QVERIFY(running->waitForFinished(30000));
        QCOMPARE(running->exitStatus(), QProcess::NormalExit);
        QCOMPARE(running->exitCode(), 0);
        QSettings written(conf, QSettings::IniFormat);
        // The first window's place and at least its default size (the letter tabs may
        // ask for a little more width).
        const QStringList rect =
            written.value(QStringLiteral("Window size/Rect")).toString().split(QLatin1Char(' '));
        QCOMPARE(rect.size(), 4);
        QCOMPARE(rect[0], QStringLiteral("0010"));
        QCOMPARE(rect[1], QStringLiteral("0010"));
        QVERIFY(rect[2].toInt() >= 500);
        QVERIFY(rect[3].toInt() >= 400);
        QCOMPARE(written.value(QStringLiteral("Window size/Selected Index")).toInt(), 0);
        QVERIFY(written.value(QStringLiteral("Window size/Current Path"))
                    .toString()
                    .endsWith(QStringLiteral("YourContactRecords.kbk")));
        QVERIFY(!Held());
    }

    void aSecondStartAsksTheHolderToShow() {
        const QString name = QStringLiteral("KinbookShowTest");
        QVERIFY(!CSingleInstance::AskHolderToShow(name)); // nobody listens yet
        {
            CSingleInstance holder(name);
            QSignalSpy asked(&holder, &CSingleInstance::ShowRequested);
            QVERIFY(holder.Claim());
            CSingleInstance second(name);
            QVERIFY(!second.Claim());
            QVERIFY(CSingleInstance::AskHolderToShow(name));
            QTRY_COMPARE(asked.count(), 1);
            QVERIFY(CSingleInstance::AskHolderToShow(name));
            QTRY_COMPARE(asked.count(), 2);
        }
        // The holder took its socket with it.
        QVERIFY(!QFile::exists(CSingleInstance::SocketPath(name)));
        QVERIFY(!CSingleInstance::AskHolderToShow(name));
        // A socket left behind by a killed holder does not stop the next one.
        QFile stale(CSingleInstance::SocketPath(name));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        CSingleInstance next(name);
        QSignalSpy asked(&next, &CSingleInstance::ShowRequested);
        QVERIFY(next.Claim());
        QVERIFY(CSingleInstance::AskHolderToShow(name));
        QTRY_COMPARE(asked.count(), 1);
    }

    // What a double-click on a data file does: the file, named relative to the working
    // folder, is opened as Open Archive opens it and becomes the current data file.
    void fileOnTheCommandLineBecomesTheCurrentDataFile() {
        QVERIFY(!Held());
        const QString folder = m_home.filePath(QStringLiteral("books"));
        QVERIFY(QDir().mkpath(folder));
        {
            FakeMessageBox box;
            CKinbookDoc doc(box, RealFileSystem());
            doc.GetCategories().ResetToDefaults();
            QVERIFY(doc.Save(QDir(folder).filePath(QStringLiteral("club.kbk")).toStdString()));
        }
        auto program = Start({QStringLiteral("club.kbk")}, folder);
        QVERIFY(program->waitForStarted());
        const QByteArray expected =
            "Current%20Path=" + QDir(folder).filePath(QStringLiteral("club.kbk")).toUtf8();
        const auto stored = [this, &expected] {
            QFile conf(m_home.filePath(QStringLiteral("config/Feltmoor Kinbook/Kinbook.conf")));
            return conf.open(QIODevice::ReadOnly) && conf.readAll().contains(expected);
        };
        QTRY_VERIFY_WITH_TIMEOUT(stored(), 30000);
        program->kill();
        QVERIFY(program->waitForFinished(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!Held(), 30000);
    }

    // A file double-clicked while Kinbook runs opens in the running one.
    void aSecondStartHandsItsFileToTheFirst() {
        QVERIFY(!Held());
        const QString folder = m_home.filePath(QStringLiteral("handed"));
        QVERIFY(QDir().mkpath(folder));
        const QString book = QDir(folder).filePath(QStringLiteral("other.kbk"));
        // The first start's own book holds a record, so that it asks nothing at start-up
        // (and no earlier case's book is the current one).
        QFile::remove(m_home.filePath(QStringLiteral("config/Feltmoor Kinbook/Kinbook.conf")));
        const QString own = m_home.filePath(QStringLiteral("data/Feltmoor Kinbook/Kinbook"));
        QVERIFY(QDir().mkpath(own));
        for (const QString& path : {book, QDir(own).filePath(QStringLiteral("YourContactRecords.kbk"))}) {
            FakeMessageBox box;
            CKinbookDoc doc(box, RealFileSystem());
            doc.GetCategories().ResetToDefaults();
            auto record = std::make_unique<CContactRecord>();
            record->m_strLastName = "Lee";
            doc.GetRecords().push_back(std::move(record));
            QVERIFY(doc.Save(path.toStdString()));
        }
        auto first = Start();
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Held(), 30000);
        auto second = Start({QStringLiteral("other.kbk")}, folder);
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitCode(), 0);
        const QByteArray expected = "Current%20Path=" + book.toUtf8();
        const auto stored = [this, &expected] {
            QFile conf(m_home.filePath(QStringLiteral("config/Feltmoor Kinbook/Kinbook.conf")));
            return conf.open(QIODevice::ReadOnly) && conf.readAll().contains(expected);
        };
        QTRY_VERIFY_WITH_TIMEOUT(stored(), 30000);
        first->kill();
        QVERIFY(first->waitForFinished(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!Held(), 30000);
    }

    // Ended while its start-up still has messages to show (a file that does not load,
    // then an empty book): none of them keeps it from ending.
    void endedDuringItsStartUpMessagesItEnds() {
        QVERIFY(!Held());
        auto running = Start({QStringLiteral("no-such-book.kbk")}, m_home.path());
        QVERIFY(running->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Held(), 30000);
        QTest::qWait(500); // into the first message
        running->terminate();
        QVERIFY(running->waitForFinished(30000));
        QCOMPARE(running->exitStatus(), QProcess::NormalExit);
        QTRY_VERIFY_WITH_TIMEOUT(!Held(), 30000);
    }

    // The switch for timing the start: the window comes up on the data file, the program
    // ends by itself, and the book is left as it was.
    void quitAfterShowEndsOnceTheWindowIsUp() {
        QVERIFY(!Held());
        // The data file at its usual place, not one an earlier case made current.
        QFile::remove(m_home.filePath(QStringLiteral("config/Feltmoor Kinbook/Kinbook.conf")));
        const QString data = m_home.filePath(QStringLiteral("data/Feltmoor Kinbook/Kinbook"));
        QVERIFY(QDir().mkpath(data));
        const QString path = QDir(data).filePath(QStringLiteral("YourContactRecords.kbk"));
        {
            FakeMessageBox box;
            CKinbookDoc doc(box, RealFileSystem());
            CSampleBook(3).Fill(doc.GetCategories(), doc.GetRecords(), 40);
            QVERIFY(doc.Save(path.toStdString()));
        }
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        auto program = Start({QStringLiteral("--quit-after-show")});
        QVERIFY(program->waitForFinished(30000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), bytes);
        QTRY_VERIFY_WITH_TIMEOUT(!Held(), 30000);
    }

    void versionAndHelpAnswerWithoutStarting() {
        auto version = Start({QStringLiteral("--version")});
        QVERIFY(version->waitForFinished(30000));
        QCOMPARE(version->exitCode(), 0);
        QVERIFY(version->readAllStandardOutput().contains(KINBOOK_VERSION));
        auto help = Start({QStringLiteral("--help")});
        QVERIFY(help->waitForFinished(30000));
        QCOMPARE(help->exitCode(), 0);
        QVERIFY(help->readAllStandardOutput().contains("--version"));
        QVERIFY(!Held());
    }

    void lockIsHeldByOneOwnerAtATime() {
        auto a = std::make_unique<CSingleInstance>(QStringLiteral("KinbookLockTest"));
        CSingleInstance b(QStringLiteral("KinbookLockTest"));
        QVERIFY(a->Claim());
        QVERIFY(!b.Claim());
        QVERIFY(CSingleInstance::IsHeldElsewhere(QStringLiteral("KinbookLockTest")));
        {
            CSingleInstance c(QStringLiteral("KinbookLockTestOther"));
            QVERIFY(c.Claim());
        }
        a.reset(); // an ended owner frees the lock
        QVERIFY(b.Claim());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
