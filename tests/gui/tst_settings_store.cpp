#include "app/QtSettingsStore.h"
#include "view/CSettingsSchema.h"
#include <QTemporaryDir>
#include <QtTest>

// The schema's values through the real settings file: what one run writes, the
// next run reads back unchanged.
class TestSettingsStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString File() const { return m_dir.filePath(QStringLiteral("Kinbook.conf")); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyValueSurvivesARun() {
        CPrintSettings print;
        print.m_nPrintData = 63;
        print.m_bBorder = true;
        print.m_bPause = false;
        print.m_dTopMargin = 0.5;
        print.m_dLeftMargin = 1.875;
        print.m_strSelectedSize = "Compact (4 1/4\" x 6 3/4\")";
        print.m_font.m_nHeight = -10;
        print.m_font.m_strFaceName = "DejaVu Sans, Book";
        const std::string path = "/home/j\xC3\xBCrgen/Kontakte; alt.kbk";
        {
            QtSettingsStore store(File());
            SettingsSchema::WriteViewSettings(store, print, 25, 3, path);
            SettingsSchema::WriteFrameSettings(store, {-8, 20, 1200, 900}, true, true);
            store.Raw().sync();
        }
        QtSettingsStore next(File());
        QCOMPARE(SettingsSchema::ReadPrintSettings(next), print);
        QCOMPARE(SettingsSchema::ReadSelectedIndex(next), 25);
        QCOMPARE(SettingsSchema::ReadSelectedCategory(next), 3);
        QCOMPARE(SettingsSchema::ReadCurrentPath(next), path);
        const SettingsSchema::CFrameSettings frame = SettingsSchema::ReadFrameSettings(next);
        QCOMPARE(frame.rect, (CWindowRect{-8, 20, 1200, 900}));
        QCOMPARE(frame.icon, 0);
        QCOMPARE(frame.max, 1);
        QCOMPARE(frame.showTray, 1);
        // Everything lives in the one section.
        next.Raw().beginGroup(QStringLiteral("Window size"));
        QCOMPARE(next.Raw().value(QStringLiteral("Top Margin")).toString(),
                 QStringLiteral("0.500000"));
        QCOMPARE(next.Raw().value(QStringLiteral("Rect")).toString(),
                 QStringLiteral("-008 0020 1200 0900"));
        QCOMPARE(next.Raw().childKeys().size(), 17);
        next.Raw().endGroup();
    }

    void unreadableValuesGiveTheDefaults() {
        QtSettingsStore store(File());
        store.Raw().setValue(QStringLiteral("Window size/Print Data"), QStringLiteral("lots"));
        store.Raw().setValue(QStringLiteral("Window size/Top Margin"), QStringLiteral("half"));
        store.Raw().setValue(QStringLiteral("Window size/Rect"), QStringLiteral("somewhere"));
        const CPrintSettings print = SettingsSchema::ReadPrintSettings(store);
        QCOMPARE(print.m_nPrintData, 12);
        QCOMPARE(print.m_dTopMargin, -1.0);
        QCOMPARE(SettingsSchema::ReadFrameSettings(store).rect, CWindowRect{});
    }
};

QTEST_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
