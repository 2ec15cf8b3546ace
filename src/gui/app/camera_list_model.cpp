#include "gui/app/camera_list_model.h"

#include <numeric>

CCameraListModel::CCameraListModel(const CCameraList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

int CCameraListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

int CCameraListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant CCameraListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= m_nRows || size_t(row) >= m_list.Rows().size()) return {};
    if (role == Qt::UserRole && index.column() == 0) return m_vecItemData[size_t(row)];
    if (role != Qt::DisplayRole) return {};
    const CameraRow& r = m_list.Rows()[size_t(row)];
    const std::wstring* texts[4] = {&r.strMode, &r.strName, &r.strIP, &r.strPort};
    return QString::fromStdWString(*texts[index.column()]);
}

QVariant CCameraListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < m_headers.size() ? m_headers[section] : QVariant();
}

void CCameraListModel::SetHeaders(const QStringList& headers) {
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, 3);
}

void CCameraListModel::RowInserted(int nRow) {
    beginInsertRows({}, nRow, nRow);
    ++m_nRows;
    m_vecItemData.insert(m_vecItemData.begin() + nRow, nRow);
    endInsertRows();
}

void CCameraListModel::RowRemoved(int nRow) {
    beginRemoveRows({}, nRow, nRow);
    --m_nRows;
    m_vecItemData.erase(m_vecItemData.begin() + nRow);
    endRemoveRows();
}

void CCameraListModel::RowRefreshed(int nRow) { emit dataChanged(index(nRow, 0), index(nRow, 3)); }

void CCameraListModel::Reload() {
    beginResetModel();
    m_nRows = m_list.Count();
    m_vecItemData.resize(size_t(m_nRows));
    std::iota(m_vecItemData.begin(), m_vecItemData.end(), 0);
    endResetModel();
}
