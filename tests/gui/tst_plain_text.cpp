#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "ModalDriver.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CMainFrame.h"
#include "app/QtMessageBox.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "print/CRecordPrintDialog.h"
#include "transfer/CExportRecordsDlg.h"
#include "transfer/CImportRecordsDlg.h"
#include "view/CKinbookView.h"
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>
#include <QWindow>
#include <QtTest>

namespace {

// What a user may well type: markup, an image that would be fetched, an entity.
const char* const kBold = "<b>Bold</b>";
const char* const kImage = "<img src=\"/tmp/x.png\">";
const char* const kEntity = "Tom &amp; Jerry";

// Every label under root shows its text as it is: plain, or text that no widget would
// take for markup.
void VerifyLabelsArePlain(const QWidget& root) {
    const auto labels = root.findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->textFormat() == Qt::PlainText)
            continue;
        if (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()))
            continue;
        QFAIL(qPrintable(QStringLiteral("label %1 may show \"%2\" as markup")
                             .arg(label->objectName(), label->text())));
    }
}

} // namespace

class TestPlainText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void messageBoxesShowTheirTextAsWritten_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("bold") << QStringLiteral("The word <b>Bold</b> already exists.");
        QTest::newRow("image and line breaks")
            << QStringLiteral("Delete <img src=\"/tmp/x.png\">?\n\nAll its records go to Unfiled.");
        QTest::newRow("entity") << QStringLiteral("The file /tmp/Tom &amp; Jerry.kbk is gone.");
    }
    void messageBoxesShowTheirTextAsWritten() {
        QFETCH(QString, text);
        QtMessageBox box(nullptr);
        bool seen = false;
        WhenModal<QMessageBox>([&](QMessageBox& shown) {
            auto* label = shown.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QCOMPARE(label->text(), text); // line breaks and all
            seen = true;
            shown.button(QMessageBox::Ok)->click();
        });
        box.Show(text.toStdString(), "Kinbook", MbIcon::Exclamation, MbButtons::Ok);
        QVERIFY(seen);
    }

    void theWindowShowsNamesCategoriesNotesAndPathsAsText() {
        TempDir dir;
        const std::string folder = dir.File(kBold);
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        FakeMessageBox messageBox;
        FakeFileChooser fileChooser;
        FakeClock clock;
        MemorySettingsStore settings;
        AppServices services{messageBox, fileChooser, clock, settings, RealFileSystem()};
        CKinbookDoc doc{messageBox, RealFileSystem()};
        doc.SetDataPath(folder + "/" + kImage + ".kbk");
        CMainFrame frame(doc, services);
        frame.View().InitialUpdate();
        doc.GetCategories().AddTail(kEntity);
        auto record = std::make_unique<CContactRecord>();
        record->m_strLastName = std::string("A") + kBold + " [*]";
        record->m_strFirstName = kImage;
        record->m_strNotes = kEntity;
        record->m_nCategory = static_cast<std::uint16_t>(doc.GetCategories().IndexOf(kEntity));
        const std::string name = record->m_strLastName + ", " + record->m_strFirstName;
        doc.GetRecords().push_back(std::move(record));
        frame.View().RefillCategoryFilter();
        frame.View().SelectFilterAll(0);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.FirstActivation();
        frame.View().FirstActivation();

        auto* nameLabel = frame.findChild<QLabel*>(QStringLiteral("IDC_NAME_LABEL"));
        QVERIFY(nameLabel);
        QVERIFY2(nameLabel->text().startsWith(QStringLiteral("A<b>Bold</b>")),
                 qPrintable(nameLabel->text()));
        VerifyLabelsArePlain(frame);
        // The caption as the window system gets it: "[*]" of the name is no modified mark.
        QCOMPARE(frame.windowHandle()->title(),
                 QString::fromStdString(name) + QStringLiteral(" - Kinbook"));

        CRecordPrintDialog print(frame.View().GetPrintSettings(), name, messageBox, &frame);
        VerifyLabelsArePlain(print);
        QVERIFY(print.findChild<QLabel*>(QStringLiteral("IDC_RECORD_NAME"))
                    ->text()
                    .contains(QStringLiteral("<b>")));

        const std::string path = folder + "/" + kEntity + ".csv";
        CExportRecordsDlg exportDialog(&frame, doc.GetRecords(), doc.GetCategories(), {"Last Name"},
                                       0, path, 1, services);
        VerifyLabelsArePlain(exportDialog);
        QVERIFY(exportDialog.DisplayedPath().contains(QStringLiteral("<b>")));
        CImportRecordsDlg importDialog(&frame, path, 1, doc.GetRecords(), doc.GetCategories(),
                                       {"Last Name"}, services);
        VerifyLabelsArePlain(importDialog);
        QVERIFY(importDialog.DisplayedPath().contains(QStringLiteral("&amp;")));
    }
};

QTEST_MAIN(TestPlainText)
#include "tst_plain_text.moc"
