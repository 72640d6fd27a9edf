// The serial port's settings panel: port, baud rate, data bits, stop bits,
// parity and handshake, remembered in the serial part of PortCfgData().
#pragma once

#include "panels/portcfgpanel.h"
#include "port/portcfg.h"

class QComboBox;
class QGridLayout;

class CSerialCfgDlg : public CPortCfgPanel
{
    Q_OBJECT

public:
    explicit CSerialCfgDlg(const PanelProviders &providers, QWidget *parent = nullptr);

    // The record that opens the port: COM number, baud and data bits read
    // as numbers from the list texts, the other fields from entry indexes.
    tagSERIAL_CFG BuildRecord() const;

    // Stores the entry indexes, the baud number and the marker.
    void StoreToBlock() override;

signals:
    // The user chose another entry in one of the six lists (typing in the
    // baud box does not count). An open port must close so that the new
    // settings apply at the next open.
    void settingChanged();

private:
    QComboBox *AddList(QGridLayout *grid, const QString &label, int id, const QStringList &entries,
                       int defaultIndex);
    void ShowStoredChoices(const tagSERIAL_CFG &stored);
    uint32_t FlowControl() const;

    QComboBox *m_pPort = nullptr;
    QComboBox *m_pBaud = nullptr;
    QComboBox *m_pDataBits = nullptr;
    QComboBox *m_pStopBits = nullptr;
    QComboBox *m_pParity = nullptr;
    QComboBox *m_pFlow = nullptr;
};
