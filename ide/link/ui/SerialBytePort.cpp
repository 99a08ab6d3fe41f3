// The board's serial line over QSerialPort (see SerialBytePort.h).
#include "link/ui/SerialBytePort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>

namespace zelk {

SerialBytePort::SerialBytePort(QSerialPort& port, QObject* parent) : QObject(parent), port_(port)
{
    connect(&port_, &QSerialPort::readyRead, this, &SerialBytePort::checkThreshold);
}

bool SerialBytePort::isOpen() const { return port_.isOpen(); }

bool SerialBytePort::open(std::string& errorText)
{
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (port_.open(QIODevice::ReadWrite)) {
        port_.clearError();
        return true;
    }
    errorText = port_.errorString().toStdString();
    port_.clearError();
    return false;
}

bool SerialBytePort::cts()
{
    if (!port_.isOpen())
        return false;
    port_.clearError();
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    const QSerialPort::SerialPortError e = port_.error();
    port_.clearError();
    if (e == QSerialPort::NoError)
        return pins.testFlag(QSerialPort::ClearToSendSignal);
    return e == QSerialPort::UnsupportedOperationError;
}

int SerialBytePort::waiting()
{
    return static_cast<int>(std::min<qint64>(port_.bytesAvailable(), INT32_MAX));
}

void SerialBytePort::discard()
{
    if (!port_.isOpen())
        return;
    // Bytes already read from the line into the port's buffer first, then
    // what the driver still holds.
    port_.readAll();
    port_.clear(QSerialPort::Input);
    port_.clearError();
}

void SerialBytePort::send(const uint8_t* data, size_t n)
{
    if (!port_.isOpen())
        return;
    port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(n));
    port_.flush();
}

std::vector<uint8_t> SerialBytePort::take(int count)
{
    const QByteArray b = count == 0 ? port_.readAll() : port_.read(count);
    return {b.begin(), b.end()};
}

std::vector<uint8_t> SerialBytePort::peek()
{
    const QByteArray b = port_.peek(port_.bytesAvailable());
    return {b.begin(), b.end()};
}

bool SerialBytePort::waitFor(int count, int ms, bool letEvents)
{
    QDeadlineTimer deadline = ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(ms);
    while (port_.isOpen() && port_.bytesAvailable() < count) {
        if (letEvents) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (!port_.isOpen() || port_.bytesAvailable() >= count)
                break;
        }
        qint64 left = deadline.remainingTime();  // -1 = forever
        if (left == 0)
            break;
        if (letEvents || left < 0)
            left = left < 0 ? 10 : std::min<qint64>(left, 10);
        if (!port_.waitForReadyRead(static_cast<int>(left))) {
            const QSerialPort::SerialPortError e = port_.error();
            port_.clearError();
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
                break;  // the line is gone: waiting longer cannot help
        }
    }
    return port_.isOpen() && port_.bytesAvailable() >= count;
}

void SerialBytePort::setThreshold(int count)
{
    threshold_ = std::max(0, count);
    if (threshold_ > 0 && port_.isOpen() && port_.bytesAvailable() >= threshold_)
        QTimer::singleShot(0, this, &SerialBytePort::checkThreshold);
}

void SerialBytePort::checkThreshold()
{
    if (threshold_ > 0 && port_.bytesAvailable() >= threshold_)
        emit receivedData();
}

} // namespace zelk
