#include "app/window_state.h"

namespace solmir {

bool WindowState::board_busy() const {
  for (Activity a : {Activity::reading_card, Activity::programming, Activity::writing_title,
                     Activity::copying, Activity::erasing_testing, Activity::board_settings,
                     Activity::firmware_upload, Activity::port_scan})
    if (runs(a)) return true;
  return false;
}

bool WindowState::stale(const ImageInputs& now) const {
  // A piece read back from a card was shaped by no box: only a new image replaces it.
  if (image.source == ImageSource::card_copy) return false;
  return image.present && image.built_from != now;
}

Enables derive_enables(const WindowState& s, bool stale) {
  Enables e;
  const bool link = s.link_open;
  const bool busy = s.board_busy();
  const bool opening = s.runs(Activity::opening_midi);
  const bool uploading = s.runs(Activity::firmware_upload);
  // Exchanges other than the transfer itself: while a piece goes out the button stays
  // enabled (a second click is refused), any other exchange takes it away.
  WindowState others = s;
  others.running[static_cast<std::size_t>(Activity::programming)] = 0;
  const bool other_busy = others.board_busy();

  const CardImage& im = s.image;
  e.programmer_caption = im.present && stale ? kCaptionRefresh : kCaptionProgram;
  // A stale image is never sent: the click reloads the file, so the button may be enabled
  // whatever the builder said of the old image.
  e.programmer = link && im.present && (stale || im.programmable) && !opening && !other_busy;
  e.Sauve_midi = im.present && im.saveable && !opening && !uploading;
  e.Infos_carte = link && !busy;
  e.Effacer_carte = link && !busy && !s.copy_mode;
  e.Tester_carte = e.Effacer_carte;
  e.Copier_carte = link && !busy && !s.copy_mode && !opening;
  e.fenetre_params = link && !busy;
  e.Prog_demo =
      link && !s.runs(Activity::board_settings) && !uploading && !s.runs(Activity::port_scan);
  e.option32N = link && !uploading;
  e.scale_boxes = !s.custom_scale && !s.runs(Activity::programming);
  return e;
}

}  // namespace solmir
