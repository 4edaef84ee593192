#include "qtport/qt_serial_port.h"

#include <QTimer>

#include "qtport/port_names.h"

namespace solmir::qt {

QtSerialPort::QtSerialPort(std::filesystem::path device_dir)
    : device_dir_(device_dir.empty() ? default_device_dir() : std::move(device_dir)) {
  QObject::connect(&port_, &QSerialPort::readyRead, &context_, [this] {
    if (on_bytes_arrived) on_bytes_arrived();
  });
  QObject::connect(&port_, &QSerialPort::errorOccurred, &context_,
                   [this](QSerialPort::SerialPortError e) { on_error(e); });
}

QtSerialPort::~QtSerialPort() {
  if (port_.isOpen()) port_.close();
}

bool QtSerialPort::open(const std::string& name) {
  if (port_.isOpen()) return false;
  const std::string dev = device_for_port(name, device_dir_);
#ifndef _WIN32
  std::error_code ec;
  if (!std::filesystem::exists(dev, ec)) return false;
#endif
  port_.setPortName(QString::fromStdString(dev));
  if (!port_.open(QIODevice::ReadWrite)) {
    port_.clearError();
    return false;
  }
  port_.setBaudRate(57600);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  port_.setDataTerminalReady(false);
  port_.setRequestToSend(false);
  port_.clearError();  // a pseudo-terminal has no modem lines
  device_ = dev;
  return true;
}

void QtSerialPort::close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
  device_.clear();
  lost_ = false;
}

bool QtSerialPort::is_open() const {
  return port_.isOpen() && !lost_;
}

void QtSerialPort::write(std::string_view bytes) {
  if (!is_open()) return;
  port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  port_.flush();
}

std::string QtSerialPort::read(std::size_t n) {
  if (!is_open()) return {};
  const QByteArray b = port_.read(static_cast<qint64>(n));
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::size_t QtSerialPort::bytes_available() const {
  return is_open() ? static_cast<std::size_t>(port_.bytesAvailable()) : 0;
}

void QtSerialPort::discard_buffers() {
  if (!is_open()) return;
  port_.clear(QSerialPort::AllDirections);
  port_.readAll();
}

void QtSerialPort::discard_received() {
  if (!is_open()) return;
  // Only the receive side: bytes written a moment ago may still sit in the driver's output
  // queue (a pseudo-terminal, a USB adapter), and they must reach the board.
  port_.clear(QSerialPort::Input);
  port_.readAll();
}

void QtSerialPort::set_dtr(bool on) {
  if (!is_open()) return;
  port_.setDataTerminalReady(on);
  port_.clearError();
}

void QtSerialPort::set_rts(bool on) {
  if (!is_open()) return;
  port_.setRequestToSend(on);
  port_.clearError();
}

void QtSerialPort::on_error(QSerialPort::SerialPortError e) {
  // A read error or a lost resource means the device is gone (a board unplugged reads as an
  // I/O error, the far end of a pseudo-terminal as an end of file). Qt would report it again
  // at every turn of the loop: the port counts as closed at once, and is closed from the
  // loop, outside Qt's own notification.
  if ((e != QSerialPort::ResourceError && e != QSerialPort::ReadError) || lost_ || !port_.isOpen())
    return;
  lost_ = true;
  QTimer::singleShot(0, &context_, [this] {
    if (!lost_) return;
    close();
    if (on_port_lost) on_port_lost();
  });
}

}  // namespace solmir::qt
