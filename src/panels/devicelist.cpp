#include "panels/devicelist.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const char kEmptyNoteName[] = "emptyNote";

// The note stands in the list's own area, so an empty list says why it is
// empty where the user looks for a row.
void AddEmptyNote(QTableWidget *list, const char *emptyNote)
{
    auto *note = new QLabel(QString::fromUtf8(emptyNote), list->viewport());
    note->setObjectName(QLatin1String(kEmptyNoteName));
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    auto *layout = new QVBoxLayout(list->viewport());
    layout->addWidget(note);
}
} // namespace

QTableWidget *CreateDeviceList(int id, const char *emptyNote, QWidget *parent)
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
    AddEmptyNote(list, emptyNote);
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
    if (auto *note = list->viewport()->findChild<QLabel *>(QLatin1String(kEmptyNoteName)))
        note->setVisible(list->rowCount() == 0);
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
