// The one state of the main window: what the program is doing, the card image and whether it
// is still fresh, copy mode and the link. Every enable that depends on it, and the caption of
// `programmer`, come from derive_enables(); Form1::apply_state() puts them on the controls after
// every change. Nothing here reads a control: the window model hands the inputs over.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace solmir {

class Form1;

// What runs now. Several can run at once (a MIDI file opened during a transfer), so the state
// counts each of them.
enum class Activity {
  opening_midi,     // "Ouvrir fichier Midi..." or a reload: the image is being rebuilt
  reading_card,     // "Infos"
  programming,      // "Programmer"
  writing_title,    // Alt+T: the title alone is written again
  copying,          // "Copier": the piece is read back
  erasing_testing,  // "Effacer", "Tester"
  board_settings,   // "Paramètres", its dialog's commands, the odometer and EEPROM utilities
  firmware_upload,  // avrdude has the port
  port_scan,        // ports 32 down to 0 are tried
  count_
};

inline constexpr std::size_t kActivityCount = static_cast<std::size_t>(Activity::count_);

// The inputs of the card image, by name, as the boxes held them (texts, "1"/"0" for ticks).
// A new box that shapes the image joins Form1::image_inputs() with one line.
using ImageInputs = std::vector<std::pair<std::string, std::string>>;

// Where the image in Liste_tran came from.
enum class ImageSource {
  midi_file,  // built from chemin_midi by the card image builder
  card_copy,  // read back from a card ("Copier")
};

struct CardImage {
  bool present = false;  // Liste_tran holds at least one record of a card image
  ImageSource source = ImageSource::midi_file;
  // The MIDI file could not be read whole: the image holds only what was read before the error.
  bool incomplete_file = false;
  // The builder's rule: false for a demo piece above its size limit ("Morceau trop long").
  bool programmable = true;
  // "Sauver fichier Midi..." may write it (set when the image is made, cleared once programmed
  // and when the link goes down, as the menu entry always did).
  bool saveable = false;
  ImageInputs built_from;  // the inputs as they were when the image was made
};

struct WindowState {
  std::array<int, kActivityCount> running{};
  bool link_open = false;
  // A piece read back from a card waits to be programmed onto another card.
  bool copy_mode = false;
  CardImage image;
  // solmir.ini gave the organ's own scale: the scale boxes must not replace it.
  bool custom_scale = false;

  bool runs(Activity a) const { return running[static_cast<std::size_t>(a)] > 0; }
  // Any exchange with the board (or avrdude, or the scan) holds the port now.
  bool board_busy() const;
  // The image was made from other inputs than `now`.
  bool stale(const ImageInputs& now) const;
};

inline constexpr const char* kCaptionProgram = "Programmer";
inline constexpr const char* kCaptionRefresh = "Rafraichir";

// Everything the state decides on the main window.
struct Enables {
  bool programmer = false;
  std::string programmer_caption = kCaptionProgram;
  bool Sauve_midi = false;
  bool Infos_carte = false;
  bool Effacer_carte = false;
  bool Tester_carte = false;
  bool Copier_carte = false;
  bool fenetre_params = false;
  bool Prog_demo = false;
  bool option32N = false;
  bool scale_boxes = true;  // mode42 and Option32 (a custom scale keeps them disabled)

  bool operator==(const Enables&) const = default;
};

// stale: the image no longer matches the boxes (WindowState::stale).
Enables derive_enables(const WindowState& s, bool stale);

// "An activity runs now" for as long as the object lives; the window gets its enables from the
// state when it starts and again when it ends, however it ends.
class ActivityScope {
 public:
  ActivityScope(Form1& f, Activity a);
  ~ActivityScope();
  ActivityScope(const ActivityScope&) = delete;
  ActivityScope& operator=(const ActivityScope&) = delete;

 private:
  Form1& f_;
  Activity a_;
};

}  // namespace solmir
