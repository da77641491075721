#pragma once
#include "model/CRecordList.h"
#include <QDialog>
#include <QStringList>

class CCategoryList;
class CRecordUids;
class CRowDragSwapper;
class QComboBox;
class QListWidget;
struct AppServices;

// "Export Fields": which fields go out, in which order, from which category.
class CExportFieldsDlg : public QDialog {
    Q_OBJECT
public:
    CExportFieldsDlg(QWidget* parent, const CRecordList& records, const CCategoryList& categories,
                     AppServices& services, CRecordUids* uids = nullptr);

    QStringList ContactNames() const;
    QStringList ExportNames() const;
    QListWidget* ContactList() const { return m_contactFields; }
    QListWidget* ExportList() const { return m_exportFields; }
    CRowDragSwapper* Dragger() const { return m_drag; }

    void OnAdd();
    void OnRemove();
    void OnAddAll();
    void OnRemoveAll();
    void OnUp();
    void OnDown();
    // "&Export": checks the choice, asks for the file and runs the export records dialog.
    void OnExport();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MoveExportRow(int delta);
    void SwapExportRows(int a, int b);

    const CRecordList& m_records;
    const CCategoryList& m_categories;
    AppServices& m_services;
    CRecordUids* m_pUids;
    QListWidget* m_contactFields;
    QListWidget* m_exportFields;
    QComboBox* m_category;
    CRowDragSwapper* m_drag;
};
