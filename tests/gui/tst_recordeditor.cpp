// The record editor: loading and applying every page, the last-name refusals that keep
// the editor open, line ends, the date stamp and the category list.
#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "edit/CPage1.h"
#include "edit/CPage3.h"
#include "edit/CPage4.h"
#include "edit/CSheet.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CRecordExtras.h"
#include "view/ContactPhoto.h"
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>

class TestRecordEditor : public QObject {
    Q_OBJECT

    FakeMessageBox m_messages;
    FakeClock m_clock;
    CCategoryList m_categories;

    template <class W> W* Find(CSheet& sheet, const char* name) {
        W* w = sheet.findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        std::setlocale(LC_TIME, "C"); // a known short date for the stamp
        m_categories.ResetToDefaults();
        m_categories.AddTail("friends");
    }
    void init() { m_messages.shown.clear(); }

    void opensOnTheNamePageWithTheControlsOfTheRecord() {
        CSheet sheet(m_messages, m_clock);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Contact Information"));
        QCOMPARE(sheet.Tabs().count(), 4);
        QCOMPARE(sheet.Tabs().tabText(0), QStringLiteral("Name"));
        QCOMPARE(sheet.Tabs().tabText(1), QStringLiteral("Address"));
        QCOMPARE(sheet.Tabs().tabText(2), QStringLiteral("Notes"));
        QCOMPARE(sheet.Tabs().tabText(3), QStringLiteral("More"));
        auto buttons = sheet.findChildren<QPushButton*>();
        QStringList texts;
        for (auto* b : buttons)
            if (b->parent() && !b->parent()->inherits("CPage3") && !b->parent()->inherits("CPage4"))
                texts << b->text().remove(QLatin1Char('&'));
        QCOMPARE(texts.size(), 2); // OK and Cancel only

        CContactRecord r;
        r.m_strLastName = "Smith";
        r.m_nCategory = 3;
        sheet.Prepare(r, m_categories);
        sheet.Tabs().setCurrentIndex(2);
        sheet.Prepare(r, m_categories);
        QCOMPARE(sheet.Tabs().currentIndex(), 0);
        QCOMPARE(Find<QLineEdit>(sheet, "IDC_LAST_NAME")->text(), QStringLiteral("Smith"));
        auto* category = Find<QComboBox>(sheet, "IDC_CATEGORY");
        QStringList names;
        for (int i = 0; i < category->count(); ++i)
            names << category->itemText(i);
        QCOMPARE(names, (QStringList{QStringLiteral("Business"), QStringLiteral("friends"),
                                     QStringLiteral("Personal"), QStringLiteral("Unfiled")}));
        QCOMPARE(category->currentText(), QStringLiteral("friends"));

        // Refilled at every opening: a category added since shows up.
        m_categories.AddTail("Aardvarks");
        sheet.Prepare(r, m_categories);
        QCOMPARE(category->itemText(0), QStringLiteral("Aardvarks"));
        m_categories.RemoveAt(m_categories.GetCount() - 1);

        category->setCurrentIndex(category->findText(QStringLiteral("Personal")));
        QVERIFY(sheet.OnOk());
        QCOMPARE(r.m_nCategory, 2);

        // An index the list does not hold opens as "Unfiled" and is stored as 0.
        r.m_nCategory = 7;
        sheet.Prepare(r, m_categories);
        QCOMPARE(category->currentText(), QStringLiteral("Unfiled"));
        QVERIFY(sheet.OnOk());
        QCOMPARE(r.m_nCategory, 0);
    }

    void labelsAndDefaultItem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("storedLabel");
        QTest::addColumn<int>("storedDefault");
        QTest::addColumn<int>("pickLabel");  // -1: leave the label list alone
        QTest::addColumn<int>("checkRadio"); // -1: leave the radios alone
        QTest::addColumn<int>("shownLabel");
        QTest::addColumn<int>("shownRadio");
        QTest::addColumn<int>("savedLabel");
        QTest::addColumn<int>("savedDefault");

        QTest::newRow("labelled text") << "555" << 2 << 0 << -1 << -1 << 2 << 0 << 2 << 0;
        QTest::newRow("empty text opens without label")
            << "" << 2 << 0 << -1 << -1 << -1 << 0 << 255 << 0;
        QTest::newRow("label picked for empty text is stored")
            << "" << 255 << 0 << 4 << -1 << -1 << 0 << 4 << 0;
        QTest::newRow("text without label stores 255")
            << "555" << 255 << 6 << -1 << -1 << -1 << 6 << 255 << 6;
        QTest::newRow("unknown label byte shows none")
            << "555" << 9 << 3 << -1 << -1 << -1 << 3 << 255 << 3;
        QTest::newRow("default item 7 opens unchecked and stays 255")
            << "555" << 0 << 7 << -1 << -1 << 0 << -1 << 0 << 255;
        QTest::newRow("default item 255 then row 2 checked")
            << "555" << 1 << 255 << -1 << 1 << 1 << -1 << 1 << 1;
    }
    void labelsAndDefaultItem() {
        QFETCH(QString, text);
        QFETCH(int, storedLabel);
        QFETCH(int, storedDefault);
        QFETCH(int, pickLabel);
        QFETCH(int, checkRadio);
        QFETCH(int, shownLabel);
        QFETCH(int, shownRadio);
        QFETCH(int, savedLabel);
        QFETCH(int, savedDefault);

        // The row under test is row 1; row 5 has text and label in every case, so that
        // one row's value never leaks into another.
        CContactRecord r;
        r.m_strLastName = "Smith";
        r.m_strItem[0] = text.toStdString();
        r.m_nItemLabel[0] = static_cast<std::uint8_t>(storedLabel);
        r.m_strItem[4] = "x@example.org";
        r.m_nItemLabel[4] = LABEL_EMAIL;
        r.m_nDefaultItem = static_cast<std::uint8_t>(storedDefault);

        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        auto* label = Find<QComboBox>(sheet, "IDC_ITEM_LABEL1");
        QCOMPARE(label->count(), 7);
        QCOMPARE(label->itemText(5), QStringLiteral("E-Mail"));
        QCOMPARE(label->currentIndex(), shownLabel);
        QCOMPARE(Find<QComboBox>(sheet, "IDC_ITEM_LABEL5")->currentIndex(), 5);
        const char* radios[] = {"IDC_DEFAULT_ITEM1", "IDC_DEFAULT_ITEM2", "IDC_DEFAULT_ITEM3",
                                "IDC_DEFAULT_ITEM4", "IDC_DEFAULT_ITEM5", "IDC_DEFAULT_ITEM6",
                                "IDC_DEFAULT_ITEM7"};
        int checked = -1;
        for (int i = 0; i < 7; ++i)
            if (Find<QRadioButton>(sheet, radios[i])->isChecked())
                checked = i;
        QCOMPARE(checked, shownRadio);

        if (pickLabel >= 0)
            label->setCurrentIndex(pickLabel);
        if (checkRadio >= 0)
            Find<QRadioButton>(sheet, radios[checkRadio])->setChecked(true);
        QVERIFY(sheet.OnOk());
        QCOMPARE(int(r.m_nItemLabel[0]), savedLabel);
        QCOMPARE(int(r.m_nDefaultItem), savedDefault);
        QCOMPARE(int(r.m_nItemLabel[4]), int(LABEL_EMAIL));
        QCOMPARE(r.m_strItem[0], text.toStdString());
    }

    void refusedLastNameKeepsTheEditorOpen_data() {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        const QString needed =
            QStringLiteral("All contacts must contain a last name.  Record not filed.");
        const QString error =
            QStringLiteral("Since contacts are filed alphabetically, the last name must begin "
                           "with a letter.  Record not filed.");
        QTest::newRow("empty") << QString() << needed << QStringLiteral("Last Name Needed");
        QTest::newRow("blank first")
            << QStringLiteral(" Smith") << error << QStringLiteral("Last Name Error");
        QTest::newRow("digit") << QStringLiteral("1st Bank") << error
                               << QStringLiteral("Last Name Error");
        QTest::newRow("punctuation")
            << QStringLiteral("#1 Club") << error << QStringLiteral("Last Name Error");
        // Any letter is accepted (Émile, Иванов, 田中); other symbols are not.
        QTest::newRow("currency sign")
            << QStringLiteral("\u20ACuro") << error << QStringLiteral("Last Name Error");
        QTest::newRow("combining mark")
            << QStringLiteral("\u0308a") << error << QStringLiteral("Last Name Error");
    }
    void refusedLastNameKeepsTheEditorOpen() {
        QFETCH(QString, lastName);
        QFETCH(QString, message);
        QFETCH(QString, caption);

        CContactRecord r;
        r.m_strLastName = "Jones";
        const CContactRecord before = r;
        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        Find<QLineEdit>(sheet, "IDC_FIRST_NAME")->setText(QStringLiteral("Ann"));
        Find<QLineEdit>(sheet, "IDC_ITEM3")->setText(QStringLiteral("555-0100"));
        sheet.Tabs().setCurrentIndex(1);
        Find<QLineEdit>(sheet, "IDC_CITY")->setText(QStringLiteral("Dayton"));
        sheet.Tabs().setCurrentIndex(2);
        Find<QPlainTextEdit>(sheet, "IDC_NOTES")->setPlainText(QStringLiteral("note"));
        sheet.Tabs().setCurrentIndex(0);
        auto* last = Find<QLineEdit>(sheet, "IDC_LAST_NAME");
        last->setText(lastName);
        sheet.Tabs().setCurrentIndex(1);

        QVERIFY(!sheet.OnOk());
        QCOMPARE(m_messages.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(m_messages.shown[0].text), message);
        QCOMPARE(QString::fromStdString(m_messages.shown[0].caption), caption);
        QVERIFY(m_messages.shown[0].icon == MbIcon::Stop);
        QVERIFY(m_messages.shown[0].buttons == MbButtons::Ok);

        // Still open on the Name page, the last name focused, nothing lost, nothing applied.
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.Tabs().currentIndex(), 0);
        QCOMPARE(sheet.focusWidget(), static_cast<QWidget*>(last));
        QCOMPARE(last->text(), lastName);
        QCOMPARE(Find<QLineEdit>(sheet, "IDC_FIRST_NAME")->text(), QStringLiteral("Ann"));
        QCOMPARE(Find<QLineEdit>(sheet, "IDC_CITY")->text(), QStringLiteral("Dayton"));
        QVERIFY(r == before);

        // Mended, OK files everything typed on every page.
        last->setText(QStringLiteral("Baker"));
        QVERIFY(sheet.OnOk());
        QVERIFY(!sheet.isVisible());
        QCOMPARE(r.m_strLastName, std::string("Baker"));
        QCOMPARE(r.m_strFirstName, std::string("Ann"));
        QCOMPARE(r.m_strItem[2], std::string("555-0100"));
        QCOMPARE(r.m_strCity, std::string("Dayton"));
        QCOMPARE(r.m_strNotes, std::string("note"));
    }

    void cancelAppliesNothing() {
        CContactRecord r;
        r.m_strLastName = "Jones";
        r.m_strNotes = "keep";
        const CContactRecord before = r;
        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        Find<QLineEdit>(sheet, "IDC_LAST_NAME")->setText(QStringLiteral("Smith"));
        sheet.Tabs().setCurrentIndex(2);
        Find<QPlainTextEdit>(sheet, "IDC_NOTES")->clear();
        sheet.reject();
        QVERIFY(r == before);
        QVERIFY(m_messages.shown.empty());
    }

    void keepsLineEndsBytesAndLength() {
        CContactRecord r;
        r.m_strLastName = "M\xFCller"; // Windows-1252, not UTF-8: must survive untouched
        r.m_strAddress = "12 Elm Street\r\nFlat 3";
        r.m_strNotes = "line one\r\nline two";
        r.m_strTitle = "  padded  ";
        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        auto* address = Find<QPlainTextEdit>(sheet, "IDC_ADDRESS");
        QCOMPARE(address->toPlainText(), QStringLiteral("12 Elm Street\nFlat 3"));
        QCOMPARE(address->lineWrapMode(), QPlainTextEdit::NoWrap);
        sheet.Tabs().setCurrentIndex(1);
        sheet.Tabs().setCurrentIndex(2);
        auto* notes = Find<QPlainTextEdit>(sheet, "IDC_NOTES");
        notes->moveCursor(QTextCursor::End);
        notes->insertPlainText(QStringLiteral("\nline three"));
        const QString longText(40000, QLatin1Char('x'));
        Find<QLineEdit>(sheet, "IDC_OTHER_REF")->setText(longText);
        QVERIFY(sheet.OnOk());
        QCOMPARE(r.m_strLastName, std::string("M\xFCller"));
        QCOMPARE(r.m_strAddress, std::string("12 Elm Street\r\nFlat 3"));
        QCOMPARE(r.m_strNotes, std::string("line one\r\nline two\r\nline three"));
        QCOMPARE(r.m_strTitle, std::string("  padded  "));
        QCOMPARE(r.m_strOtherRef.size(), std::size_t(40000));
    }

    void dateStampReplacesTheSelection() {
        CContactRecord r;
        r.m_strLastName = "Smith";
        r.m_strNotes = "Called on DATE about the order.";
        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        sheet.Tabs().setCurrentIndex(2);
        auto* notes = Find<QPlainTextEdit>(sheet, "IDC_NOTES");
        QTextCursor cursor = notes->textCursor();
        cursor.setPosition(10);
        cursor.setPosition(14, QTextCursor::KeepAnchor);
        notes->setTextCursor(cursor);
        QCOMPARE(notes->textCursor().selectedText(), QStringLiteral("DATE"));

        // What the user copied stays on the clipboard.
        QGuiApplication::clipboard()->setText(QStringLiteral("copied"));
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_DATE_STAMP"), Qt::LeftButton);
        const QString stamp = QStringLiteral("03/05/24 - 02:07:09 PM");
        QCOMPARE(notes->toPlainText(), QStringLiteral("Called on %1 about the order.").arg(stamp));
        QCOMPARE(sheet.focusWidget(), static_cast<QWidget*>(notes));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied"));
        QCOMPARE(notes->textCursor().position(),
                 int(QStringLiteral("Called on %1").arg(stamp).size()));

        // Right after a word it is kept apart by a blank; after a blank or at a line's
        // start it is not.
        notes->setPlainText(QStringLiteral("Called\n"));
        cursor = notes->textCursor();
        cursor.setPosition(6);
        notes->setTextCursor(cursor);
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_DATE_STAMP"), Qt::LeftButton);
        cursor = notes->textCursor();
        cursor.movePosition(QTextCursor::End);
        notes->setTextCursor(cursor);
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_DATE_STAMP"), Qt::LeftButton);
        notes->insertPlainText(QStringLiteral(" x "));
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_DATE_STAMP"), Qt::LeftButton);
        QCOMPARE(notes->toPlainText(), QStringLiteral("Called %1\n%1 x %1").arg(stamp));

        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_CLEAR_NOTES"), Qt::LeftButton);
        QVERIFY(notes->toPlainText().isEmpty());
        QVERIFY(sheet.OnOk());
        QVERIFY(r.m_strNotes.empty());
    }

    // The More page: rows added there reach the record on OK and not on Cancel; rows left
    // alone keep their properties exactly; a photo keeps the file's bytes.
    void morePageAddsRowsAndAPhotoOnlyOnOk() {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("me.png"));
        QImage picture(7, 5, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(png));
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pngBytes = file.readAll();
        const QString notPicture = dir.filePath(QStringLiteral("notes.txt"));
        QFile text(notPicture);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        text.close();

        CContactRecord r;
        r.m_strLastName = "Brown";
        VCardProperty tel = VCardProperty::Text("TEL", "555-0001");
        tel.group = "item1";
        tel.params = {{"TYPE", {"CELL", "pref"}}};
        VCardProperty held = VCardProperty::Text("NOTE", "a field holds me");
        held.held = true;
        r.EditExtras().properties = {VCardProperty::Text("NICKNAME", "Bob"), tel, held};
        const CContactRecord before = r;

        FakeFileChooser chooser;
        CSheet sheet(m_messages, m_clock);
        sheet.SetFileChooser(&chooser);
        CPage4& page = sheet.MorePage();
        auto fill = [&] {
            sheet.Prepare(r, m_categories);
            sheet.Tabs().setCurrentIndex(3);
            QCOMPARE(page.Rows()->rowCount(), 2);
            QCOMPARE(page.LabelBox(1)->currentText(), QStringLiteral("Phone (cell)"));
            QVERIFY(!Find<QPushButton>(sheet, "IDC_REMOVE_PHOTO")->isEnabled());
            QTest::mouseClick(Find<QPushButton>(sheet, "IDC_ADD_ROW"), Qt::LeftButton);
            QVERIFY(Find<QPushButton>(sheet, "IDC_REMOVE_ROW")->isEnabled());
            page.LabelBox(2)->setCurrentText(QStringLiteral("Birthday"));
            auto* date = qobject_cast<QDateEdit*>(page.ValueEditor(2));
            QVERIFY(date);
            date->setDate(QDate(1980, 3, 12));
            QTest::mouseClick(Find<QPushButton>(sheet, "IDC_ADD_ROW"), Qt::LeftButton);
            page.LabelBox(3)->setCurrentText(QStringLiteral("Phone (work)"));
            qobject_cast<QLineEdit*>(page.ValueEditor(3))->setText(QStringLiteral("555-0300"));

            chooser.answers = {FileChoice{notPicture.toStdString()}, FileChoice{png.toStdString()}};
            QTest::mouseClick(Find<QPushButton>(sheet, "IDC_SET_PHOTO"), Qt::LeftButton);
            QCOMPARE(m_messages.shown.size(), std::size_t{1});
            QVERIFY(!Find<QPushButton>(sheet, "IDC_REMOVE_PHOTO")->isEnabled());
            QTest::mouseClick(Find<QPushButton>(sheet, "IDC_SET_PHOTO"), Qt::LeftButton);
            QVERIFY(Find<QPushButton>(sheet, "IDC_REMOVE_PHOTO")->isEnabled());
            QVERIFY(!Find<QLabel>(sheet, "IDC_PHOTO")->pixmap().isNull());
        };
        fill();
        sheet.reject();
        QVERIFY(r == before);

        m_messages.shown.clear();
        fill();
        QVERIFY(sheet.OnOk());
        const auto& props = r.Extras()->properties;
        QCOMPARE(props.size(), std::size_t{6});
        for (std::size_t i = 0; i < 3; ++i)
            QVERIFY(SameKeptProperty(props[i], before.Extras()->properties[i]));
        QCOMPARE(QString::fromStdString(props[3].name + ":" + props[3].value),
                 QStringLiteral("BDAY:1980-03-12"));
        QVERIFY(props[4].ParamValues("TYPE") == std::vector<std::string>{"work"});
        QCOMPARE(QString::fromStdString(props[4].value), QStringLiteral("555-0300"));
        QVERIFY(props[5].ParamValues("TYPE") == std::vector<std::string>{"PNG"});
        QVERIFY(props[5].binary);
        QVERIFY(PhotoBytes(props[5]) == pngBytes.toStdString());

        // Removing the photo and the nickname leaves the rest as it is.
        const CContactRecord withPhoto = r;
        sheet.Prepare(r, m_categories);
        sheet.Tabs().setCurrentIndex(3);
        page.Rows()->setCurrentCell(0, 1);
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_REMOVE_ROW"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(sheet, "IDC_REMOVE_PHOTO"), Qt::LeftButton);
        QVERIFY(sheet.OnOk());
        QCOMPARE(r.Extras()->properties.size(), std::size_t{4});
        QVERIFY(SameKeptProperty(r.Extras()->properties[0], withPhoto.Extras()->properties[1]));
        QVERIFY(!ShownPhoto(r.Extras()));
    }

    // Dates a date field shows but might not hold as they are go back untouched.
    void morePageLeavesUntouchedDatesAsTheyCame() {
        CContactRecord r;
        r.m_strLastName = "Old";
        r.EditExtras().properties = {VCardProperty::Text("BDAY", "17000101"),
                                     VCardProperty::Text("ANNIVERSARY", "--02-29")};
        const CContactRecord before = r;
        CSheet sheet(m_messages, m_clock);
        sheet.Prepare(r, m_categories);
        sheet.Tabs().setCurrentIndex(3);
        QVERIFY(qobject_cast<QDateEdit*>(sheet.MorePage().ValueEditor(0)));
        QVERIFY(qobject_cast<QDateEdit*>(sheet.MorePage().ValueEditor(1)));
        QVERIFY(sheet.OnOk());
        QVERIFY(r == before);
    }
};

QTEST_MAIN(TestRecordEditor)
#include "tst_recordeditor.moc"
