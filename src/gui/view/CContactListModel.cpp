#include "view/CContactListModel.h"
#include "app/TextCodec.h"

void CContactListModel::SetEntries(std::vector<CContactListEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

const CContactListEntry* CContactListModel::Entry(int row) const {
    if (row < 0 || row >= Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(row)];
}

void CContactListModel::SetItemHeader(const QString& caption) {
    if (caption == m_strItemHeader)
        return;
    m_strItemHeader = caption;
    emit headerDataChanged(Qt::Horizontal, 1, 1);
}

int CContactListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int CContactListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CContactListModel::data(const QModelIndex& index, int role) const {
    const CContactListEntry* entry = Entry(index.row());
    if (!entry || role != Qt::DisplayRole)
        return {};
    // Multi-line items show on one line, as the list control did.
    return index.column() == 0 ? ToQString(entry->displayName) : ToQString(entry->itemText);
}

QVariant CContactListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == 0)
        return QStringLiteral("Contact");
    if (section == 1)
        return m_strItemHeader;
    return {};
}
