// The printer-driver port's panel: the spooler's printer queues.
#pragma once

#include "panels/portcfgpanel.h"
#include "port/portcfg.h"

class QTableWidget;

class CPrinterCfgDlg : public CPortCfgPanel
{
    Q_OBJECT

public:
    explicit CPrinterCfgDlg(const PanelProviders &providers, QWidget *parent = nullptr);

    PanelRowSelection SelectedRow() const;

    // The record that opens the printer port for queue `printerName`
    // (UTF-8, cut to 299 bytes at a character boundary).
    static tagPRINTER_CFG BuildRecord(const QString &printerName);

signals:
    // The spooler lists no printer: the view disables its open button. The
    // signal is queued from the constructor, so a view that connects right
    // after creating the panel receives it, and one whose panel is deleted
    // first does not.
    void noPrinterFound();

private:
    QTableWidget *m_pList = nullptr;
};
