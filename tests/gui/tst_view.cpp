#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "ModalDriver.h"
#include "ScriptedPorts.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordExtras.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include "view/CKinbookView.h"
#include "view/ContactPhoto.h"
#include "view/DisplayName.h"
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTreeView>
#include <QWheelEvent>
#include <QtTest>
#include <filesystem>
#include <memory>

namespace {

// A view over a document in a temporary folder, with scripted ports.
struct ViewRig : ScriptedPorts {
    CommandTable commands;
    std::unique_ptr<CKinbookView> view;

    ViewRig() { doc.SetDataPath(dir.File("book.kbk")); }

    CKinbookView& Make() {
        view = std::make_unique<CKinbookView>(doc, services, commands);
        // Letters without antialiasing, so a tab's colour shows in whole pixels.
        QFont font = view->font();
        font.setStyleStrategy(QFont::NoAntialias);
        view->setFont(font);
        return *view;
    }
    // Construction and initial update; records are added to the loaded (new) book.
    CKinbookView& Start() {
        Make();
        view->InitialUpdate();
        return *view;
    }
    CContactRecord& Add(const std::string& last, const std::string& first = "",
                        std::uint16_t category = 1) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_strFirstName = first;
        r->m_nCategory = category;
        doc.GetRecords().push_back(std::move(r));
        return *doc.GetRecords().back();
    }
    void Activate(int width = 640, int height = 420) {
        view->resize(width, height);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->FirstActivation();
    }

    QComboBox* Filter() {
        return view->findChild<QComboBox*>(QStringLiteral("IDC_CATEGORY_FILTER"));
    }
    QTreeView* List() { return view->findChild<QTreeView*>(QStringLiteral("IDC_CONTACT_LIST")); }
    QPlainTextEdit* Pane() {
        return view->findChild<QPlainTextEdit*>(QStringLiteral("IDC_DETAIL_PANE"));
    }
    QLabel* Label() { return view->findChild<QLabel*>(QStringLiteral("IDC_NAME_LABEL")); }
    QSlider* Slider() { return view->findChild<QSlider*>(QStringLiteral("IDC_LETTER_SLIDER")); }
    QWidget* Tab(char letter) {
        if (letter == '#')
            return view->findChild<QWidget*>(QStringLiteral("IDC_LETTER_OTHER"));
        return view->findChild<QWidget*>(QStringLiteral("IDC_LETTER_") + QLatin1Char(letter));
    }
    QStringList FilterItems() {
        QStringList items;
        for (int i = 0; i < Filter()->count(); ++i)
            items << Filter()->itemText(i);
        return items;
    }
    QStringList ListNames() {
        QStringList names;
        auto* model = List()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }
    void SelectRow(int row) {
        List()->selectionModel()->setCurrentIndex(List()->model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    }
    bool Enabled(int id) { return commands.Action(id)->isEnabled(); }
};

// True when any pixel of the widget's rendering has exactly this colour.
bool RendersColour(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

QStringList L(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

const QColor kGrey(128, 128, 128);
const QColor kDarkRed(128, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void filterIsSortedAndRestoresItsSelection_data() {
        QTest::addColumn<int>("stored"); // -2: nothing stored
        QTest::addColumn<QString>("selected");
        QTest::newRow("nothing stored") << -2 << QStringLiteral("All");
        QTest::newRow("stored position") << 4 << QStringLiteral("Business");
        QTest::newRow("position gone") << 42 << QStringLiteral("All");
        QTest::newRow("negative position") << -7 << QStringLiteral("All");
    }
    void filterIsSortedAndRestoresItsSelection() {
        QFETCH(int, stored);
        QFETCH(QString, selected);
        ViewRig rig;
        // A category whose name begins with "All" must not be taken for "All".
        rig.settings.WriteInt("Selected Index", 3);
        if (stored != -2)
            rig.settings.WriteInt("Selected Category", stored);
        rig.Make();
        rig.doc.GetCategories().AddTail("Allotment");
        rig.doc.GetCategories().AddTail("allies");
        rig.view->InitialUpdate();
        QCOMPARE(rig.FilterItems(), L({"- Edit Categories", "All", "allies", "Allotment",
                                       "Business", "Personal", "Unfiled"}));
        QCOMPARE(rig.Filter()->currentText(), selected);
        QCOMPARE(rig.view->GetCurrentCategoryName(), selected.toStdString());
        QCOMPARE(rig.Slider()->value(), 3);
        QVERIFY(!rig.Filter()->isEditable());
    }

    void emptyBookStartsGreyWithOneMessage() {
        ViewRig rig;
        rig.Start();
        QSignalSpy titles(rig.view.get(), &CKinbookView::TitleChanged);
        rig.Activate();
        QCOMPARE(rig.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(rig.messageBox.shown[0].text,
                 std::string("There are no items listed under category 'All'."));
        QCOMPARE(rig.messageBox.shown[0].caption, std::string("Empty Category"));
        QVERIFY(rig.messageBox.shown[0].icon == MbIcon::Information);
        QVERIFY(rig.messageBox.shown[0].buttons == MbButtons::Ok);
        QVERIFY(RendersColour(rig.Tab('A'), kDarkRed));
        QVERIFY(RendersColour(rig.Tab('B'), kGrey));
        QVERIFY(!RendersColour(rig.Tab('B'), kBlue));
        QCOMPARE(rig.ListNames(), QStringList());
        QVERIFY(rig.Pane()->toPlainText().isEmpty());
        QVERIFY(rig.Label()->text().isEmpty());
        QCOMPARE(titles.last().at(0).toString(), QString());
        for (int id : {ID_EDIT_COPY, ID_EXPORT})
            QVERIFY(!rig.Enabled(id));
        rig.view->FirstActivation();
        // the message comes once
        QCOMPARE(rig.messageBox.shown.size(), std::size_t(1));
    }

    void tabColoursFollowSliderAndLetters() {
        ViewRig rig;
        rig.Start();
        rig.Add("Smith", "John");
        rig.Add("baker", "", 2);
        rig.Add("#1 Club");
        rig.settings.WriteInt("Selected Index", 18);
        rig.Activate();
        // The slider was at A when the view loaded; the letters are marked by the book.
        QVERIFY(RendersColour(rig.Tab('A'), kDarkRed));
        QVERIFY(RendersColour(rig.Tab('S'), kBlue));
        QVERIFY(RendersColour(rig.Tab('B'), kBlue));
        QVERIFY(RendersColour(rig.Tab('C'), kGrey));
        QTest::mouseClick(rig.Tab('S'), Qt::LeftButton);
        QVERIFY(RendersColour(rig.Tab('S'), kRed));
        QVERIFY(RendersColour(rig.Tab('A'), kGrey));
        QVERIFY(!RendersColour(rig.Tab('A'), kDarkRed));
        rig.Filter()->setCurrentText(QStringLiteral("Personal"));
        // Smith is in Business
        QVERIFY(RendersColour(rig.Tab('S'), kDarkRed));
        QVERIFY(RendersColour(rig.Tab('B'), kBlue));
    }

    void tabClickAndSliderDragRefreshOncePerLetter() {
        ViewRig rig;
        rig.Start();
        rig.Add("Adams");
        rig.Add("Miller", "Ann");
        rig.Add("Moore");
        rig.Add("Zed");
        rig.Activate(700, 420);
        QSignalSpy refreshes(rig.view.get(), &CKinbookView::ViewRefreshed);

        QTest::mouseClick(rig.Tab('M'), Qt::LeftButton);
        QCOMPARE(refreshes.count(), 1);
        QCOMPARE(rig.Slider()->value(), 12);
        QCOMPARE(rig.ListNames(), L({"Miller, Ann", "Moore"}));
        QTest::mouseClick(rig.Tab('M'), Qt::LeftButton);
        // the current letter refreshes again
        QCOMPARE(refreshes.count(), 2);

        // Drag the thumb from A to Z in small steps: one refresh per letter passed.
        QTest::mouseClick(rig.Tab('A'), Qt::LeftButton);
        refreshes.clear();
        QSlider* slider = rig.Slider();
        QStyleOptionSlider opt;
        opt.initFrom(slider);
        opt.orientation = Qt::Horizontal;
        opt.minimum = slider->minimum();
        opt.maximum = slider->maximum();
        opt.sliderPosition = opt.sliderValue = slider->value();
        const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &opt,
                                                             QStyle::SC_SliderHandle, slider);
        QPoint at = handle.center();
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        while (at.x() < slider->width() + handle.width()) {
            at.rx() += 2;
            QTest::mouseMove(slider, at);
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
        QCOMPARE(slider->value(), 26); // "#", after Z
        QCOMPARE(refreshes.count(), 26);
        QVERIFY(rig.ListNames().isEmpty());

        // Keys move one letter at a time.
        refreshes.clear();
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(rig.ListNames(), L({"Zed"}));
        QTest::keyClick(slider, Qt::Key_Left);
        QCOMPARE(slider->value(), 24);
        QCOMPARE(refreshes.count(), 2);
    }

    void commandFlagsFollowFocusAndSelection() {
        ViewRig rig;
        rig.Start();
        rig.Add("Adams", "Ann");
        rig.Add("Archer");
        rig.Activate();
        QApplication::setActiveWindow(rig.view.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.view.get()));

        rig.List()->setFocus();
        QTRY_VERIFY(rig.List()->hasFocus());
        rig.Filter()->setFocus();
        QTRY_VERIFY(rig.Filter()->hasFocus());
        QVERIFY(!rig.Enabled(ID_EDIT_RECORD) && !rig.Enabled(ID_EDIT_COPY));

        rig.List()->setFocus();
        QTRY_VERIFY(rig.List()->hasFocus());
        QVERIFY(rig.view->AreRecordCommandsEnabled() && rig.view->IsCopyEnabled());
        QVERIFY(rig.Enabled(ID_EDIT_RECORD));
        QVERIFY(rig.Enabled(ID_DELETE_RECORD));
        QVERIFY(rig.Enabled(ID_PRINT_RECORD));
        QVERIFY(rig.Enabled(ID_EDIT_COPY));
        QVERIFY(rig.Enabled(ID_EXPORT));

        rig.Pane()->setFocus();
        QTRY_VERIFY(rig.Pane()->hasFocus());
        QVERIFY(!rig.view->AreRecordCommandsEnabled());
        QVERIFY(rig.view->IsCopyEnabled());
        QVERIFY(!rig.Pane()->textCursor().hasSelection());

        rig.Slider()->setFocus();
        QTRY_VERIFY(rig.Slider()->hasFocus());
        QVERIFY(!rig.view->AreRecordCommandsEnabled() && !rig.view->IsCopyEnabled());

        // A letter without entries: nothing selected, nothing to edit, even in the list.
        rig.List()->setFocus();
        QTRY_VERIFY(rig.List()->hasFocus());
        QTest::mouseClick(rig.Tab('Q'), Qt::LeftButton);
        QVERIFY(!rig.view->AreRecordCommandsEnabled());
        QVERIFY(!rig.Enabled(ID_EDIT_RECORD));
        QVERIFY(!rig.Enabled(ID_BACKUP_DATA));
        rig.Pane()->setFocus();
        QTRY_VERIFY(rig.Pane()->hasFocus());
        // an empty list leaves nothing to copy
        QVERIFY(!rig.view->IsCopyEnabled());
    }

    void doubleClickEditsAndSelectionShowsTheRecord() {
        ViewRig rig;
        rig.Start();
        rig.Add("Bakerfield-Worthington-Smythe", "Bartholomew Maximilian");
        rig.Add("Brown", "Bob").m_strItem[0] = "555-0100";
        rig.Activate(640, 420);
        QTest::mouseClick(rig.Tab('B'), Qt::LeftButton);
        int edits = 0;
        rig.commands.SetHandler(ID_EDIT_RECORD, [&edits] { ++edits; });
        QSignalSpy titles(rig.view.get(), &CKinbookView::TitleChanged);

        // After a refresh the label holds the full name.
        QCOMPARE(rig.Label()->text(),
                 QStringLiteral("Bakerfield-Worthington-Smythe, Bartholomew Maximilian"));
        rig.SelectRow(1);
        QCOMPARE(rig.Label()->text(), QStringLiteral("Brown, Bob"));
        QCOMPARE(titles.last().at(0).toString(), QStringLiteral("Brown, Bob"));
        QCOMPARE(rig.List()->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Home: ").replace(QStringLiteral("Home"), QStringLiteral("Other")));
        QVERIFY(rig.Pane()->toPlainText().startsWith(
            QStringLiteral("Category: Business\nBob Brown\n\n")));
        // The user's choice of a long name shows it fitted into the label.
        rig.SelectRow(0);
        QVERIFY(rig.Label()->text().endsWith(QStringLiteral("...")));
        QVERIFY(rig.Label()->fontMetrics().horizontalAdvance(rig.Label()->text()) <=
                rig.Label()->width());
        QCOMPARE(titles.last().at(0).toString(),
                 QStringLiteral("Bakerfield-Worthington-Smythe, Bartholomew Maximilian"));
        QCOMPARE(rig.List()->model()->headerData(1, Qt::Horizontal).toString(), QString());

        const QRect row = rig.List()->visualRect(rig.List()->model()->index(1, 0));
        QTest::mouseClick(rig.List()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(rig.List()->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(edits, 1);
        QTest::mouseDClick(rig.List()->viewport(), Qt::LeftButton, {},
                           QPoint(row.center().x(), rig.List()->viewport()->height() - 2));
        // a double-click below the entries edits nothing
        QCOMPARE(edits, 1);
    }

    void thePhotoShowsBesideTheTextAndABadOneShowsNothing() {
        ViewRig rig;
        rig.Start();
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
        SetPhoto(rig.Add("Brown", "Bob").EditExtras(), png.toStdString(), "PNG");
        VCardProperty bad = VCardProperty::Text("PHOTO", "not*base64");
        bad.binary = true;
        rig.Add("Bryant").EditExtras().properties.push_back(bad);
        const CRecordExtras badBefore = *rig.doc.GetRecords().back()->Extras();
        rig.Activate(640, 420);
        QTest::mouseClick(rig.Tab('B'), Qt::LeftButton);
        auto* photo = rig.view->findChild<QLabel*>(QStringLiteral("IDC_DETAIL_PHOTO"));
        QVERIFY(photo);

        rig.SelectRow(0);
        QVERIFY(photo->isVisible() && !photo->pixmap().isNull());
        QVERIFY(photo->geometry().left() > rig.Pane()->viewport()->geometry().right());
        rig.SelectRow(1);
        QVERIFY(!photo->isVisible());
        QVERIFY(rig.Pane()->toPlainText().startsWith(QStringLiteral("Category: Business\nBryant")));
        QVERIFY(*rig.doc.GetRecords().back()->Extras() == badBefore);
    }

    void twinRowsEachReachTheirOwnRecord() {
        // Two records of one name (from a data file made elsewhere): each row shows,
        // selects and hands the commands its own record.
        ViewRig rig;
        rig.Start();
        CContactRecord& first = rig.Add("Smith", "John", 1);
        CContactRecord& second = rig.Add("SMITH", "JOHN", 2);
        rig.Activate();
        QTest::mouseClick(rig.Tab('S'), Qt::LeftButton);
        QCOMPARE(rig.ListNames(), L({"Smith, John", "SMITH, JOHN"}));
        const std::pair<CContactRecord*, QString> rows[] = {
            {&first, QStringLiteral("Category: Business\nJohn Smith")},
            {&second, QStringLiteral("Category: Personal\nJOHN SMITH")}};
        for (int row : {1, 0, 1}) {
            rig.SelectRow(row);
            std::size_t position = 99;
            QCOMPARE(rig.view->GetSelectedRecord(&position), rows[row].first);
            QCOMPARE(position, std::size_t(row));
            QVERIFY2(rig.Pane()->toPlainText().startsWith(rows[row].second),
                     qPrintable(rig.Pane()->toPlainText()));
        }
        // A record given to the refresh selects its own row.
        rig.view->RefreshView(&second, false);
        QCOMPARE(rig.List()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(rig.List()->selectionModel()->selectedRows().front().row(), 1);
        QCOMPARE(rig.view->GetSelectedRecord(), &second);
        // A record that is not listed leaves nothing selected.
        CContactRecord stranger;
        stranger.m_strLastName = "Smith";
        stranger.m_strFirstName = "John";
        rig.view->RefreshView(&stranger, false);
        QVERIFY(rig.List()->selectionModel()->selectedRows().isEmpty());
        QVERIFY(rig.Label()->text().isEmpty());
        QVERIFY(rig.Pane()->toPlainText().isEmpty());
        // A row whose record has left the book stands for nothing.
        rig.SelectRow(1);
        rig.doc.GetRecords().pop_back();
        QCOMPARE(rig.view->GetSelectedRecord(), nullptr);
    }

    void namesBeyondAToZAreListedUnderTheirTab() {
        ViewRig rig;
        rig.settings.WriteInt("Selected Index", 26);
        rig.Start();
        rig.Add("Adams");
        rig.Add("\xC3\x85ngstr\xC3\xB6m", "Anders");                 // Ångström
        rig.Add("\xC3\x98stergaard");                                // Østergaard
        rig.Add("\xC5\x81ukasz");                                    // Łukasz
        rig.Add("\xC9mile");                                         // Émile in Windows-1252
        rig.Add("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"); // Иванов
        rig.Add("\xE7\x94\xB0\xE4\xB8\xAD");                         // 田中
        rig.Add("#1 Club");
        rig.Add("", "Nobody");
        rig.Activate(700, 420);
        QCOMPARE(rig.Slider()->maximum(), 26);
        QCOMPARE(rig.Slider()->value(), 26);
        QCOMPARE(rig.Tab('#')->property("text").toString(), QStringLiteral("#"));
        QCOMPARE(rig.ListNames().size(), 4); // Иванов, 田中, #1 Club and the nameless one
        QVERIFY(rig.ListNames().contains(QString::fromUtf8("\xE7\x94\xB0\xE4\xB8\xAD")));
        QVERIFY(rig.ListNames().contains(QStringLiteral(", Nobody")));
        QVERIFY(RendersColour(rig.Tab('#'), kRed));
        QVERIFY(RendersColour(rig.Tab('A'), kBlue));
        QVERIFY(RendersColour(rig.Tab('B'), kGrey));
        QTest::mouseClick(rig.Tab('A'), Qt::LeftButton);
        QCOMPARE(rig.ListNames(), L({"Adams", "\xC3\x85ngstr\xC3\xB6m, Anders"}));
        QTest::mouseClick(rig.Tab('O'), Qt::LeftButton);
        QCOMPARE(rig.ListNames(), L({"\xC3\x98stergaard"}));
        QTest::mouseClick(rig.Tab('L'), Qt::LeftButton);
        QCOMPARE(rig.ListNames(), L({"\xC5\x81ukasz"}));
        QTest::mouseClick(rig.Tab('E'), Qt::LeftButton);
        QCOMPARE(rig.ListNames(), L({"\xC3\x89mile"}));
        QTest::mouseClick(rig.Tab('#'), Qt::LeftButton);
        QCOMPARE(rig.Slider()->value(), 26);
        QCOMPARE(rig.ListNames().size(), 4);
    }

    void filterChangesReportEmptyCategoriesAndEditCategoriesSaves() {
        ViewRig rig;
        rig.Start();
        rig.Add("Adams");
        rig.Activate();
        QVERIFY(rig.messageBox.shown.empty());
        QVERIFY(!std::filesystem::exists(rig.doc.GetDataPath()));

        rig.Filter()->setCurrentText(QStringLiteral("Personal"));
        QCOMPARE(rig.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(rig.messageBox.shown[0].text,
                 std::string("There are no items listed under category 'Personal'."));
        QCOMPARE(rig.messageBox.shown[0].caption, std::string("Empty Category"));
        QCOMPARE(rig.view->GetCurrentCategoryName(), std::string("Personal"));
        QCOMPARE(rig.view->GetCategoryRecordCount(), 0);
        // a plain change saves nothing
        QVERIFY(!std::filesystem::exists(rig.doc.GetDataPath()));

        rig.Filter()->setCurrentText(QStringLiteral("Business"));
        QCOMPARE(rig.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(rig.ListNames(), L({"Adams"}));

        // The category list dialog opens; closing it without a change still saves.
        WhenModal<QDialog>([](QDialog& dialog) { dialog.reject(); });
        rig.Filter()->setCurrentText(QStringLiteral("- Edit Categories"));
        QCOMPARE(rig.Filter()->currentText(), QStringLiteral("All"));
        QCOMPARE(rig.view->GetCurrentCategoryName(), std::string("All"));
        // the book is saved
        QVERIFY(std::filesystem::exists(rig.doc.GetDataPath()));
        QCOMPARE(rig.FilterItems().size(), 5);
    }

    void layoutAtSeveralWidths_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("listWidth");
        QTest::newRow("wide") << 900 << (900 - 16) / 2;
        QTest::newRow("exactly 476") << 476 << 230;
        QTest::newRow("narrower than 476") << 470 << 237;
    }
    void layoutAtSeveralWidths() {
        QFETCH(int, width);
        QFETCH(int, listWidth);
        ViewRig rig;
        rig.Start();
        QSignalSpy minimum(rig.view.get(), &CKinbookView::MinimumSizeChanged);
        rig.Activate(640, 420);
        rig.view->resize(width, 400);
        QCOMPARE(rig.List()->geometry().x(), 7);
        QCOMPARE(rig.List()->width(), listWidth);
        QCOMPARE(rig.Pane()->x(), listWidth + 11);
        QCOMPARE(rig.Pane()->width(), width - listWidth - 18);
        QCOMPARE(rig.Label()->width(), width - listWidth - 18);
        QCOMPARE(rig.Filter()->geometry().right() + 1, listWidth + 7);
        QCOMPARE(rig.Slider()->geometry().bottom() + 1, 400 - 3);
        const int bw = rig.Tab('A')->width();
        QCOMPARE(rig.Tab('A')->x(), (width - 27 * bw) / 2);
        QCOMPARE(rig.Tab('Z')->x(), (width - 27 * bw) / 2 + 25 * bw);
        QCOMPARE(rig.Tab('#')->x(), (width - 27 * bw) / 2 + 26 * bw);
        QCOMPARE(rig.Slider()->width(), 27 * bw + 12);
        QCOMPARE(rig.Tab('A')->y(), rig.List()->geometry().bottom() + 1 + 2);
        QVERIFY(minimum.count() >= 1);
        QCOMPARE(minimum.last().at(0).toSize(), QSize(28 * bw, 300));
        const int half = rig.List()->header()->sectionSize(0);
        QCOMPARE(rig.List()->header()->sectionSize(1), half);
        QVERIFY(half * 2 <= rig.List()->width() && half * 2 >= rig.List()->width() - 40);
    }

    void copyRecordTakesTheSelectionOrTheWholePane() {
        ViewRig rig;
        rig.Start();
        CContactRecord& r = rig.Add("Smith", "John");
        r.m_strNotes = "Met at the fair.";
        rig.Activate();
        QTest::mouseClick(rig.Tab('S'), Qt::LeftButton);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));

        rig.view->CopyRecord();
        QCOMPARE(clipboard->text(),
                 QStringLiteral("Category: Business\nJohn Smith\n\nNOTES: \nMet at the fair."));

        QTextCursor cursor = rig.Pane()->textCursor();
        cursor.setPosition(QStringLiteral("Category: Business\n").size());
        cursor.setPosition(QStringLiteral("Category: Business\nJohn Smith").size(),
                           QTextCursor::KeepAnchor);
        rig.Pane()->setTextCursor(cursor);
        rig.view->CopyRecord();
        QCOMPARE(clipboard->text(), QStringLiteral("John Smith"));

        // An empty pane copies nothing.
        clipboard->setText(QStringLiteral("kept"));
        QTest::mouseClick(rig.Tab('Q'), Qt::LeftButton);
        rig.view->CopyRecord();
        QCOMPARE(clipboard->text(), QStringLiteral("kept"));
    }

    void copyRecordKeepsTheTextExactly() {
        ViewRig rig;
        rig.Start();
        // A non-breaking space and a lone CR are the record's own characters.
        rig.Add("Smith", "John").m_strNotes = "a\xC2\xA0"
                                              "b\rc";
        rig.Activate();
        QTest::mouseClick(rig.Tab('S'), Qt::LeftButton);
        const QString whole = QStringLiteral("Category: Business\nJohn Smith\n\nNOTES: \na") +
                              QChar(0xA0) + QStringLiteral("b\rc");
        rig.view->CopyRecord();
        QCOMPARE(QGuiApplication::clipboard()->text(), whole);
        // A selection across both keeps them too.
        QTextCursor cursor = rig.Pane()->textCursor();
        cursor.setPosition(int(whole.size()) - 5);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        rig.Pane()->setTextCursor(cursor);
        rig.view->CopyRecord();
        QCOMPARE(QGuiApplication::clipboard()->text(), whole.right(5));
    }

    void theRestoredLetterIsTheAppliedOne() {
        ViewRig rig;
        rig.settings.WriteInt("Selected Index", 18);
        rig.Start();
        rig.Add("Adams");
        rig.Add("Smith");
        rig.Activate();
        QCOMPARE(rig.ListNames(), L({"Smith"}));
        rig.Slider()->setFocus();
        QTest::keyClick(rig.Slider(), Qt::Key_Home);
        QCOMPARE(rig.Slider()->value(), 0);
        QCOMPARE(rig.ListNames(), L({"Adams"}));
        QCOMPARE(rig.view->LetterColour(18), kBlue);
    }

    void editCategoriesOpensOnlyWhenPicked() {
        ViewRig rig;
        rig.Start();
        rig.Add("Adams");
        rig.Activate();
        QCOMPARE(rig.Filter()->currentText(), QStringLiteral("All"));
        QCOMPARE(rig.Filter()->itemText(0), QStringLiteral("- Edit Categories"));
        int dialogs = 0;
        WhenModal<QDialog>([&dialogs](QDialog& dialog) {
            ++dialogs;
            dialog.reject();
        });
        // The wheel and Up step through the closed filter without landing on it.
        const QPoint centre = rig.Filter()->rect().center();
        QWheelEvent wheel(centre, rig.Filter()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rig.Filter(), &wheel);
        rig.Filter()->setFocus();
        QTest::keyClick(rig.Filter(), Qt::Key_Up);
        QTest::keyClick(rig.Filter(), Qt::Key_Minus);
        QCOMPARE(rig.Filter()->currentText(), QStringLiteral("All"));
        QCOMPARE(dialogs, 0);
        QVERIFY(!std::filesystem::exists(rig.doc.GetDataPath()));
        QVERIFY(rig.messageBox.shown.empty());
        // Down still steps to the categories.
        QTest::keyClick(rig.Filter(), Qt::Key_Down);
        QCOMPARE(rig.Filter()->currentText(), QStringLiteral("Business"));

        // Picked from the open list with Enter, it opens the dialog.
        rig.Filter()->showPopup();
        QAbstractItemView* popup = rig.Filter()->view();
        QTRY_VERIFY(popup->isVisible());
        popup->setCurrentIndex(rig.Filter()->model()->index(0, 0));
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_COMPARE(dialogs, 1);
        QCOMPARE(rig.Filter()->currentText(), QStringLiteral("All"));
        QVERIFY(std::filesystem::exists(rig.doc.GetDataPath()));
    }

    void destructionWritesTheViewsSettings() {
        ViewRig rig;
        rig.Start();
        rig.Add("Adams");
        rig.Activate();
        QTest::mouseClick(rig.Tab('K'), Qt::LeftButton);
        rig.Filter()->setCurrentText(QStringLiteral("Business"));
        rig.view->GetPrintSettings().m_bBorder = true;
        rig.view.reset();
        QCOMPARE(std::get<int>(rig.settings.values.at("Selected Index")), 10);
        QCOMPARE(std::get<int>(rig.settings.values.at("Selected Category")), 2);
        QCOMPARE(std::get<std::string>(rig.settings.values.at("Current Path")),
                 rig.doc.GetDataPath());
        QCOMPARE(std::get<int>(rig.settings.values.at("Border")), 1);
    }

    void showingTheViewAgainReopensPrinting() {
        ViewRig rig;
        rig.Start();
        rig.Activate();
        int records = 0;
        int books = 0;
        rig.commands.SetHandler(ID_PRINT_RECORD, [&records] { ++records; });
        rig.commands.SetEnabler(ID_PRINT_RECORD, [] { return true; });
        rig.commands.SetHandler(ID_PRINT_BOOK, [&books] { ++books; });
        rig.view->SetReopenRecordPrint(true);
        rig.view->SetReopenBookPrint(true);
        rig.view->hide();
        rig.view->show();
        QTRY_COMPARE(records, 1);
        QCOMPARE(books, 0);
        rig.view->hide();
        rig.view->show();
        QTRY_COMPARE(books, 1);
        rig.view->hide();
        rig.view->show();
        QTest::qWait(20);
        QCOMPARE(records + books, 2);
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
