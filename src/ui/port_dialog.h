#pragma once

#include <QComboBox>
#include <QDialog>

namespace klv {

struct Station;
class SerialPort;

// frmCom: the serial port and the range of device numbers to scan.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    // searchPort is a port object of the dialog's own: a search never touches the live port.
    PortDialog(Station& station, SerialPort& searchPort, QWidget* parent = nullptr);

    // On opening: search the ports, show the last connected one when found, devices 1 to 6.
    void prepare();

Q_SIGNALS:
    // cmdConn: the port number (COM7 gives 7) and the device numbers as chosen (1..6).
    void chosen(int portNumber, int startNumber, int stopNumber);

private:
    void searchPorts();
    Station& station_;
    SerialPort& searchPort_;
    QComboBox* comPort_;
    QComboBox* cmbStart_;
    QComboBox* cmbStop_;
};

}  // namespace klv
