#pragma once
#include "view/ContactListing.h"
#include <QAbstractTableModel>
#include <vector>

// The main contact list's rows: only the entries of the shown category and letter,
// already in display order, so a refresh costs nothing per record of the book.
class CContactListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(std::vector<CContactListEntry> entries);
    const CContactListEntry* Entry(int row) const;
    int Count() const { return static_cast<int>(m_entries.size()); }
    // Only the text changes, never the width.
    void SetItemHeader(const QString& caption);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<CContactListEntry> m_entries;
    QString m_strItemHeader;
};
