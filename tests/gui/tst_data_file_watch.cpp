#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "ModalDriver.h"
#include "RunCli.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "edit/CSheet.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include "view/CKinbookView.h"
#include "view/DisplayName.h"
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QStandardPaths>
#include <QTreeView>
#include <QtTest>

// The window and kinbook-cli on one data file: what the command line writes shows up in
// the window, and the window's next change never writes over it.
class TestDataFileWatch : public QObject {
    Q_OBJECT

    struct Window {
        TempDir dir;
        std::string path = dir.File("book.kbk");
        FakeMessageBox messageBox;
        FakeFileChooser fileChooser;
        FakeClock clock;
        MemorySettingsStore settings;
        AppServices services{messageBox, fileChooser, clock, settings, RealFileSystem()};
        CKinbookDoc doc{messageBox, RealFileSystem()};
        std::unique_ptr<CMainFrame> frame;

        Window() {
            CKinbookDoc writer(messageBox, RealFileSystem());
            writer.GetCategories().ResetToDefaults();
            writer.GetCategories().AddTail("Golf");
            for (const char* last : {"Adams", "Baker", "Brown"}) {
                auto r = std::make_unique<CContactRecord>();
                r->m_strLastName = last;
                r->m_nCategory = 3;
                FileRecord(writer.GetRecords(), std::move(r));
            }
            writer.Save(path);
            doc.SetDataPath(path);
            frame = std::make_unique<CMainFrame>(doc, services);
            frame->View().InitialUpdate();
            frame->show();
            frame->FirstActivation();
            frame->View().FirstActivation();
        }
        QTreeView* List() const {
            return frame->findChild<QTreeView*>(QStringLiteral("IDC_CONTACT_LIST"));
        }
        QStringList Rows() const {
            QStringList rows;
            for (int i = 0; i < List()->model()->rowCount(); ++i)
                rows << List()->model()->index(i, 0).data().toString();
            return rows;
        }
        QString Selected() const {
            const auto rows = List()->selectionModel()->selectedRows();
            return rows.isEmpty() ? QString() : rows.front().data().toString();
        }
        std::vector<std::string> InFile() {
            FakeMessageBox quiet;
            CKinbookDoc reader(quiet, RealFileSystem());
            reader.Load(path);
            std::vector<std::string> names;
            for (const auto& r : reader.GetRecords())
                names.push_back(DisplayName(*r) +
                                (r->m_strItem[0].empty() ? "" : " " + r->m_strItem[0]));
            return names;
        }
    };

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (Cli().empty())
            QSKIP("KINBOOK_CLI is not set (run through ctest)");
    }

    void whatTheCommandLineAddsShowsUpKeepingCategoryLetterAndSelection() {
        Window w;
        auto* filter = w.frame->findChild<QComboBox*>(QStringLiteral("IDC_CATEGORY_FILTER"));
        filter->setCurrentIndex(filter->findText(QStringLiteral("Golf")));
        w.frame->findChild<QSlider*>(QStringLiteral("IDC_LETTER_SLIDER"))->setValue(1); // B
        QCOMPARE(w.Rows(), (QStringList{QStringLiteral("Baker"), QStringLiteral("Brown")}));
        w.List()->selectionModel()->select(w.List()->model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
        QCOMPARE(w.Selected(), QStringLiteral("Brown"));

        const CliRun run = RunCli({"add", w.path, "--last", "Bell", "--category", "Golf"});
        QCOMPARE(run.exitCode, 0);
        QTRY_COMPARE(w.Rows(), (QStringList{QStringLiteral("Baker"), QStringLiteral("Bell"),
                                            QStringLiteral("Brown")}));
        QCOMPARE(filter->currentText(), QStringLiteral("Golf"));
        QCOMPARE(w.frame->findChild<QSlider*>(QStringLiteral("IDC_LETTER_SLIDER"))->value(), 1);
        QCOMPARE(w.Selected(), QStringLiteral("Brown"));
        QVERIFY(w.messageBox.shown.empty());
    }

    void anEditMadeWhileTheCommandLineAddsKeepsBoth() {
        Window w;
        w.frame->View().RefreshView(nullptr, false); // Adams, selected
        bool edited = false;
        WhenModal<CSheet>([&](CSheet& sheet) {
            // The command line adds while the editor is open...
            const CliRun run = RunCli({"add", w.path, "--last", "Young"});
            QCOMPARE(run.exitCode, 0);
            // ...and the book is left alone while a command holds one of its records.
            QTest::qWait(800);
            QCOMPARE(w.doc.GetRecords().size(), std::size_t(3));
            sheet.findChild<QLineEdit*>(QStringLiteral("IDC_FIRST_NAME"))
                ->setText(QStringLiteral("Ann"));
            sheet.OnOk();
            edited = true;
        });
        w.frame->Commands().Execute(ID_EDIT_RECORD);
        QVERIFY(edited);
        QCOMPARE(w.InFile(), (std::vector<std::string>{"Adams, Ann", "Baker", "Brown", "Young"}));
        QCOMPARE(w.Selected(), QStringLiteral("Adams, Ann"));
    }

    void aDeleteAfterTheCommandLineDeletedTheSameRecordLosesNothingElse() {
        Window w;
        w.frame->View().RefreshView(nullptr, false); // Adams, selected
        QCOMPARE(RunCli({"add", w.path, "--last", "Young"}).exitCode, 0);
        QCOMPARE(RunCli({"delete", w.path, "Adams"}).exitCode, 0);
        // Delete at once, before the watcher had its say: the save merges first.
        w.frame->Commands().Execute(ID_DELETE_RECORD);
        QCOMPARE(w.InFile(), (std::vector<std::string>{"Baker", "Brown", "Young"}));
        QCOMPARE(w.Rows(), QStringList{});
    }
};

QTEST_MAIN(TestDataFileWatch)
#include "tst_data_file_watch.moc"
