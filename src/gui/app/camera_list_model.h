// The camera list view's model: shows the rows of a CCameraList (mode, name, address,
// port), and learns of every row change from the window as it applies the core's
// changes, so the view follows exactly. It keeps only the view's row count and each
// row's item data (its row index at insertion); the texts are read from the core list.
#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "camlist/camera_list.h"

class CCameraListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CCameraListModel(const CCameraList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void SetHeaders(const QStringList& headers);
    // The core list gained row nRow / lost row nRow / changed the texts of row nRow.
    void RowInserted(int nRow);
    void RowRemoved(int nRow);
    void RowRefreshed(int nRow);
    // The core list changed wholesale (many rows at once, or emptied).
    void Reload();

private:
    const CCameraList& m_list;
    int m_nRows = 0;
    std::vector<int> m_vecItemData;
    QStringList m_headers;
};
