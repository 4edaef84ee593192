// What the core asks of a platform. The Qt layer implements these for real, the tests with
// scripted fakes, the command line for a terminal. Nothing here includes the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace solmir {

// The single user-interface thread's event loop and clock.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Handles the events pending now, without blocking.
  virtual void process_events() = 0;
  // Blocks until an event arrives or max_ms have passed (without spinning a core), then
  // handles what arrived.
  virtual void wait_for_events(int max_ms) = 0;
  // A monotonic millisecond clock.
  virtual std::int64_t uptime_ms() = 0;
  // Runs task on this thread after delay_ms (0: as soon as events are processed).
  virtual void post(int delay_ms, std::function<void()> task) = 0;
};

// Message boxes (titled "Solmir"), file dialogs and the mouse pointer.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box with an OK button only.
  virtual void message(const std::string& text) = 0;
  // A message box with Yes and No, No being the default. True for Yes.
  virtual bool ask_yes_no(const std::string& text) = 0;
  // A message box with OK and Annuler, OK being the default. True for OK.
  virtual bool ask_ok_cancel(const std::string& text) {
    message(text);
    return true;
  }
  // Filters are written "Name (*.ext)|*.ext|Tous (*.*)|*.*|"; the first one is selected.
  // Both return the chosen full path, or an empty text when the user cancels.
  virtual std::string open_file(const std::string& title, const std::string& filters,
                                const std::string& start_folder) = 0;
  virtual std::string save_file(const std::string& title, const std::string& filters,
                                const std::string& start_folder,
                                const std::string& proposed_name) = 0;
  virtual void set_busy(bool busy) = 0;
};

// The serial port of the link, 57600 baud, 8N1, no flow control.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // name: a port number in decimal digits or a device path. False when it cannot be opened.
  virtual bool open(const std::string& name) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  virtual void write(std::string_view bytes) = 0;
  // Reads at most n of the received bytes.
  virtual std::string read(std::size_t n) = 0;
  virtual std::size_t bytes_available() const = 0;
  // Drops both buffers: what was received and what was written but has not left yet.
  virtual void discard_buffers() = 0;
  // Drops only what was received; what was written still goes out.
  virtual void discard_received() {
    while (bytes_available() > 0)
      if (read(bytes_available()).empty()) break;
  }
  virtual void set_dtr(bool on) = 0;
  virtual void set_rts(bool on) = 0;
  // The device the open port is on (a path such as /dev/ttyACM0, or COM3); empty when the
  // port has no device of its own (a virtual board) or is closed.
  virtual std::string device_path() const { return {}; }

  // Set by the link; called on the user-interface thread when bytes have arrived.
  std::function<void()> on_bytes_arrived;
  // Set by the link; called when the open port went away (device unplugged, peer closed).
  std::function<void()> on_port_lost;
};

// The per-user settings store: text values by application, section and key.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string get(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& default_value) = 0;
  virtual void save(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) = 0;
};

// Starting a program and waiting for its end.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Returns the exit code, or -1 when the program could not be started.
  virtual int run_and_wait(const std::string& program, const std::vector<std::string>& args) = 0;
};

// Where the program and the user's documents are.
class Environment {
 public:
  virtual ~Environment() = default;
  virtual std::filesystem::path program_folder() = 0;
  virtual std::filesystem::path documents_folder() = 0;
};

}  // namespace solmir
