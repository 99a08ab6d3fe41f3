// The board's serial line over QSerialPort: the BytePort the board target
// talks through, and the port's notifications for the main window.
//
// Waiting sleeps in QSerialPort::waitForReadyRead for the rest of the reply
// window (in slices of at most 10 ms while window messages run), so a silent
// board costs the window, not a core. receivedData() fires when at least the
// receive threshold's count of bytes waits (threshold 0: never); lowering
// the threshold below what already waits fires it once more, so bytes that
// arrived while notifications were off are not forgotten.
//
// CTS: pinoutSignals() on a pseudo-terminal reports no lines and sets
// UnsupportedOperationError; that counts as CTS asserted (the error is
// cleared). Any other failure to read the lines counts as no board.
#pragma once

#include "link/BytePort.h"

#include <QObject>

class QSerialPort;

namespace zelk {

class SerialBytePort final : public QObject, public BytePort {
    Q_OBJECT
public:
    explicit SerialBytePort(QSerialPort& port, QObject* parent = nullptr);

    QSerialPort& serial() { return port_; }
    // Applied by the next open(): speed, 8 data bits, no parity, 1 stop bit.
    void setBaudRate(int baud) { baud_ = baud; }
    int baudRate() const { return baud_; }

    bool isOpen() const override;
    bool open(std::string& errorText) override;
    bool cts() override;
    int waiting() override;
    void discard() override;
    void send(const uint8_t* data, size_t n) override;
    std::vector<uint8_t> take(int count) override;
    std::vector<uint8_t> peek() override;
    bool waitFor(int count, int ms, bool letEvents) override;
    void setThreshold(int count) override;
    int threshold() const override { return threshold_; }

signals:
    // At least threshold() bytes wait (the data notification).
    void receivedData();

private:
    void checkThreshold();

    QSerialPort& port_;
    int baud_ = 38400;
    int threshold_ = 6;
};

} // namespace zelk
