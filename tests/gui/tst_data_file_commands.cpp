#include "FakeKinbookView.h"
#include "app/CommandTable.h"
#include "model/COpenArchiveDlg.h"
#include "model/DataFileCommands.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Runs action on the Open Archive dialog as soon as it is open (it runs modally).
void WhenArchiveDialogOpens(std::function<void(COpenArchiveDlg*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dlg = qobject_cast<COpenArchiveDlg*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dlg);
        }
    });
    timer->start();
}

QPushButton* Button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// A path line of the Open Archive dialog: the whole path is its tooltip.
QString PathOf(QWidget* dialog, const char* name) {
    return dialog->findChild<QLabel*>(QString::fromLatin1(name))->toolTip();
}

QLabel* Field(QWidget* dialog, const char* name) {
    return dialog->findChild<QLabel*>(QString::fromLatin1(name));
}

std::string Str(const QString& s) {
    return s.toStdString();
}

// A book with one record, saved to dir/book.kbk, and the data file commands on it.
struct Fixture {
    explicit Fixture(const QTemporaryDir& dir) : view(RealFileSystem()), commands(view, table) {
        dataPath = Str(dir.filePath(QStringLiteral("book.kbk")));
        view.doc.SetDataPath(dataPath);
        view.doc.GetCategories().ResetToDefaults();
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = "Lee";
        view.doc.GetRecords().push_back(std::move(r));
        view.doc.Save();
        view.RefillCategoryFilter();
        view.SelectFilterAll(2);
    }
    FakeKinbookView view;
    CommandTable table;
    DataFileCommands commands;
    std::string dataPath;
};

} // namespace

class TestDataFileCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void backupIsEnabledOnlyWhileTheListShowsAnEntry() {
        QTemporaryDir dir;
        Fixture f(dir);
        f.view.listHasEntries = false;
        f.table.Update();
        QVERIFY(!f.table.Action(ID_BACKUP_DATA)->isEnabled());
        QVERIFY(!f.table.Execute(ID_BACKUP_DATA));
        QVERIFY(f.view.fileChooser.asked.empty());
        f.view.listHasEntries = true;
        f.table.Update();
        QVERIFY(f.table.Action(ID_BACKUP_DATA)->isEnabled());
        for (int id : {ID_RESTORE_BACKUP, ID_OPEN_ARCHIVE, ID_NEW_ARCHIVE, ID_RELOAD_DATA})
            QVERIFY(f.table.Action(id)->isEnabled());
        QCOMPARE(f.table.Action(ID_RELOAD_DATA)->shortcut(), QKeySequence(Qt::Key_F5));
    }

    void restoreAnsweredNoShowsNoFileDialog() {
        QTemporaryDir dir;
        Fixture f(dir);
        f.view.messageBox.answers = {MbResult::No};
        QVERIFY(f.table.Execute(ID_RESTORE_BACKUP));
        QCOMPARE(f.view.messageBox.shown.size(), size_t(1));
        QCOMPARE(f.view.messageBox.shown[0].caption, std::string("Restore Data?"));
        QVERIFY(f.view.fileChooser.asked.empty());
    }

    void openArchiveDialogShowsBothPathsAndBrowseReplacesTheLoadPath() {
        FakeFileChooser chooser;
        COpenArchiveDlg dlg(chooser);
        dlg.m_strCurrent = dlg.m_strLoad = "/data/current.kbk";
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Open Archive"));
        QCOMPARE(Field(&dlg, "IDC_CURRENT_ARCHIVE")->text(), QStringLiteral("/data/current.kbk"));
        QCOMPARE(Field(&dlg, "IDC_LOAD_ARCHIVE")->text(), QStringLiteral("/data/current.kbk"));
        QCOMPARE(PathOf(&dlg, "IDC_LOAD_ARCHIVE"), QStringLiteral("/data/current.kbk"));
        QCOMPARE(Field(&dlg, "IDC_LOAD_ARCHIVE")->palette().color(QPalette::WindowText),
                 QColor(0, 0, 128));
        QCOMPARE(Button(&dlg, "IDC_ARCHIVE_BROWSE")->text(), QStringLiteral("Browse"));
        QCOMPARE(Button(&dlg, "IDOK")->text(), QStringLiteral("&Load"));
        QCOMPARE(Button(&dlg, "IDCANCEL")->text(), QStringLiteral("&Cancel"));

        chooser.answers = {FileChoice{"/data/first.kbk", 1}, std::nullopt,
                           FileChoice{"/data/second.kbk", 2}};
        QTest::mouseClick(Button(&dlg, "IDC_ARCHIVE_BROWSE"), Qt::LeftButton);
        QCOMPARE(Field(&dlg, "IDC_LOAD_ARCHIVE")->text(), QStringLiteral("/data/first.kbk"));
        QTest::mouseClick(Button(&dlg, "IDC_ARCHIVE_BROWSE"), Qt::LeftButton); // cancelled
        QCOMPARE(Field(&dlg, "IDC_LOAD_ARCHIVE")->text(), QStringLiteral("/data/first.kbk"));
        QTest::mouseClick(Button(&dlg, "IDC_ARCHIVE_BROWSE"), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(chooser.asked.size(), size_t(3));
        QVERIFY(!chooser.asked[0].save);
        QCOMPARE(chooser.asked[0].request.filter,
                 std::string("Kinbook Data file (*.kbk)|*.kbk|All Files (*.*)|*.*||"));

        QTest::mouseClick(Button(&dlg, "IDOK"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strLoad, std::string("/data/second.kbk"));
        QCOMPARE(dlg.m_strCurrent, std::string("/data/current.kbk"));
    }

    void openArchiveElidesALongPathInTheMiddle() {
        FakeFileChooser chooser;
        COpenArchiveDlg dlg(chooser);
        dlg.m_strCurrent = dlg.m_strLoad = "/data/current.kbk";
        dlg.show();
        // A path too long for the line is elided in the middle, whole in the tooltip,
        // and loaded whole.
        const QString deep = QStringLiteral("/home/someone/") + QString(40, QLatin1Char('d')) +
                             QStringLiteral("/") + QString(40, QLatin1Char('e')) +
                             QStringLiteral("/") + QString(40, QLatin1Char('f')) +
                             QStringLiteral("/book-of-the-family.kbk");
        chooser.answers = {FileChoice{deep.toStdString(), 1}};
        QTest::mouseClick(Button(&dlg, "IDC_ARCHIVE_BROWSE"), Qt::LeftButton);
        QLabel* load = Field(&dlg, "IDC_LOAD_ARCHIVE");
        QCOMPARE(load->toolTip(), deep);
        QVERIFY(load->text().startsWith(QStringLiteral("/home/")));
        QVERIFY(load->text().endsWith(QStringLiteral("book-of-the-family.kbk")));
        QVERIFY(load->text().contains(QChar(0x2026)));
        QVERIFY(load->fontMetrics().horizontalAdvance(load->text()) <=
                load->contentsRect().width());
        // Nothing of it lies under the Browse button.
        QVERIFY2(load->geometry().right() < Button(&dlg, "IDC_ARCHIVE_BROWSE")->geometry().left(),
                 qPrintable(QStringLiteral("label %1..%2, browse at %3, dialog %4")
                                .arg(load->geometry().left())
                                .arg(load->geometry().right())
                                .arg(Button(&dlg, "IDC_ARCHIVE_BROWSE")->geometry().left())
                                .arg(dlg.width())));
        QTest::mouseClick(Button(&dlg, "IDOK"), Qt::LeftButton);
        QCOMPARE(dlg.m_strLoad, deep.toStdString());
    }

    void openArchiveWithoutBrowseReloadsTheCurrentFile() {
        QTemporaryDir dir;
        Fixture f(dir);
        f.view.doc.GetRecords().clear(); // only in memory: the load brings Lee back
        WhenArchiveDialogOpens(
            [](COpenArchiveDlg* d) { QTest::mouseClick(Button(d, "IDOK"), Qt::LeftButton); });
        QVERIFY(f.table.Execute(ID_OPEN_ARCHIVE));
        QCOMPARE(f.view.messageBox.Texts(),
                 std::vector<std::string>{"The archive was loaded successfully."});
        QCOMPARE(f.view.doc.GetRecords().size(), size_t(1));
        QCOMPARE(f.view.settings.GetString("Current Path", ""), f.dataPath);
        QCOMPARE(f.view.filterChanges, 1);
    }

    void openArchiveOfAFileDeletedAfterBrowseKeepsTheBook() {
        QTemporaryDir dir;
        Fixture f(dir);
        const std::string other = Str(dir.filePath(QStringLiteral("other.kbk")));
        QVERIFY(f.view.doc.Save(other));
        f.view.fileChooser.answers = {FileChoice{other, 1}};
        WhenArchiveDialogOpens([other](COpenArchiveDlg* d) {
            QTest::mouseClick(Button(d, "IDC_ARCHIVE_BROWSE"), Qt::LeftButton);
            QFile::remove(QString::fromStdString(other));
            QTest::mouseClick(Button(d, "IDOK"), Qt::LeftButton);
        });
        QVERIFY(f.table.Execute(ID_OPEN_ARCHIVE));
        QCOMPARE(f.view.messageBox.shown.size(), size_t(2));
        QCOMPARE(f.view.messageBox.shown[1].text,
                 std::string("The archive was NOT loaded successfully."));
        QCOMPARE(f.view.doc.GetDataPath(), f.dataPath);
        QCOMPARE(f.view.doc.GetRecords().size(), size_t(1));
        QVERIFY(f.view.refreshes.empty());
    }

    void cancelledOpenArchiveDoesNothing() {
        QTemporaryDir dir;
        Fixture f(dir);
        WhenArchiveDialogOpens(
            [](COpenArchiveDlg* d) { QTest::mouseClick(Button(d, "IDCANCEL"), Qt::LeftButton); });
        QVERIFY(f.table.Execute(ID_OPEN_ARCHIVE));
        QVERIFY(f.view.messageBox.shown.empty());
        QVERIFY(f.view.refreshes.empty());
    }

    void reloadKeepsTheFilterPosition() {
        QTemporaryDir dir;
        Fixture f(dir);
        f.view.filterSelection = 3; // "Personal" in "- Edit Categories", "All", "Business", ...
        QVERIFY(f.table.Execute(ID_RELOAD_DATA));
        QCOMPARE(f.view.filterSelection, 3);
        QCOMPARE(f.view.currentCategory, std::string("Personal"));
        QCOMPARE(f.view.refreshes.size(), size_t(1));
        QVERIFY(f.view.refreshes[0].save);
        QVERIFY(f.view.messageBox.shown.empty());
    }
};

QTEST_MAIN(TestDataFileCommands)
#include "tst_data_file_commands.moc"
