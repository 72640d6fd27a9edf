// The network port's panel: network type, host, port number and protocol,
// remembered in the network part of PortCfgData().
//
// The controls are read into the members in the order radio groups, port,
// host. A port text that is not a number from 1 to 65535 brings up a
// message and stops the reading there, so the previous port and host stay
// in the members and are what the record and the block get. An empty port
// box is port 0, a port not chosen yet (the box shows 0 as empty).
#pragma once

#include "panels/portcfgpanel.h"
#include "port/portcfg.h"

#include <cstdint>
#include <optional>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;

class CEthPortCfgDlg : public CPortCfgPanel
{
    Q_OBJECT

public:
    explicit CEthPortCfgDlg(QWidget *parent = nullptr);

    // Reads the controls (possibly showing the port number message), then
    // builds the record that opens the port: host cut to 49 bytes, the
    // port, connection kind 0 (the port always connects over TCP).
    tagETHERNET_CFG BuildRecord();

    // Reads the controls like BuildRecord, then stores host, port, the
    // connection kind (2 IPX, else 1 UDP, 0 TCP) and the marker.
    void StoreToBlock() override;

    static constexpr int kHostMaxLength = 50;

    enum NetType : uint32_t
    {
        TcpIp = 0,
        Ipx = 1
    };
    enum Protocol : uint32_t
    {
        Tcp = 0,
        Udp = 1
    };

    // The text of the port box as a port number, or nothing with the
    // message the user gets.
    struct PortText
    {
        std::optional<uint16_t> port;
        QString error;
    };
    static PortText ParsePortText(const QString &text);

    // The host and port as last read from the controls.
    const QString &Host() const { return m_strHost; }
    uint16_t Port() const { return m_nPort; }

private:
    void BuildControls();
    QRadioButton *AddRadio(QGridLayout *grid, int row, int column, const QString &text, int id);
    void ShowStoredChoices(const tagETHERNET_CFG &stored);
    void ShowMembers();
    bool ReadControls();
    void OnNetTypeClicked();
    void ShowProtocolRadios(bool visible);

    // What the controls showed when they were last read without error.
    uint32_t m_nNetType = TcpIp;
    uint32_t m_nProtocol = Tcp;
    uint16_t m_nPort = 0;
    QString m_strHost;

    QRadioButton *m_pTcpIp = nullptr;
    QRadioButton *m_pIpx = nullptr;
    QComboBox *m_pHost = nullptr;
    QLineEdit *m_pPort = nullptr;
    QRadioButton *m_pTcp = nullptr;
    QRadioButton *m_pUdp = nullptr;
};
