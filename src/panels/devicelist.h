// The one-column device list shared by the USB and printer panels, and the
// order in which both insert their rows.
#pragma once

#include "panels/portcfgpanel.h"

#include <QTableWidget>

// A single-selection list without headers, full-row selection and grid
// lines; its one column fills the width. While it has no rows it shows
// `emptyNote`, a caption (QT_TRANSLATE_NOOP in the "Caption" context).
QTableWidget *CreateDeviceList(int id, const char *emptyNote, QWidget *parent);

// Replaces the rows: the first label becomes row 0 and every later one is
// inserted as row 1, so the rows read: first label, then the others in
// reverse order. Selects row 0 when there is one.
void FillDeviceList(QTableWidget *list, const QStringList &labels);

// The chosen row, telling an empty list apart from one with no choice.
PanelRowSelection SelectedDeviceRow(const QTableWidget *list);
