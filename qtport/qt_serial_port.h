// The link's serial port on Qt SerialPort: 57600 baud, 8 data bits, no parity, 1 stop bit,
// no flow control. A port name is a number (see port_names.h) or a device path. Arrivals are
// reported from Qt's readyRead, on the user-interface thread; a port that goes away (a board
// unplugged, the far end of a pseudo-terminal closed) closes and reports on_port_lost.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <filesystem>

#include "base/ports.h"

namespace solmir::qt {

class QtSerialPort : public SerialPort {
 public:
  explicit QtSerialPort(std::filesystem::path device_dir = {});
  ~QtSerialPort() override;

  bool open(const std::string& name) override;
  void close() override;
  bool is_open() const override;
  void write(std::string_view bytes) override;
  std::string read(std::size_t n) override;
  std::size_t bytes_available() const override;
  void discard_buffers() override;
  void discard_received() override;
  void set_dtr(bool on) override;
  void set_rts(bool on) override;

  // The device the port was opened on.
  const std::string& device() const { return device_; }
  std::string device_path() const override { return is_open() ? device_ : std::string(); }

 private:
  void on_error(QSerialPort::SerialPortError e);

  std::filesystem::path device_dir_;
  QSerialPort port_;
  QObject context_;
  std::string device_;
  bool lost_ = false;
};

}  // namespace solmir::qt
