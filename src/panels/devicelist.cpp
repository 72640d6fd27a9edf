#include "panels/devicelist.h"

#include <QHeaderView>

QTableWidget *CreateDeviceList(int id, QWidget *parent)
{
    auto *list = new QTableWidget(0, 1, parent);
    list->setObjectName(PanelControlName(id));
    list->setHorizontalHeaderLabels({QStringLiteral("chk0")});
    list->horizontalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    return list;
}

void FillDeviceList(QTableWidget *list, const QStringList &labels)
{
    list->setRowCount(0);
    for (const QString &label : labels) {
        const int row = std::min(1, list->rowCount());
        list->insertRow(row);
        list->setItem(row, 0, new QTableWidgetItem(label));
    }
    if (list->rowCount() > 0)
        list->selectRow(0);
}

PanelRowSelection SelectedDeviceRow(const QTableWidget *list)
{
    if (list->rowCount() == 0)
        return {RowChoice::EmptyList, {}};
    const QList<QTableWidgetItem *> chosen = list->selectedItems();
    if (chosen.isEmpty())
        return {RowChoice::NoSelection, {}};
    return {RowChoice::Selected, chosen.first()->text()};
}
