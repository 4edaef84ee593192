// The card image builder of the main window, run at the end of every note extraction.
#include "app/form1.h"
#include "base/failure.h"
#include "score/card_image.h"
#include "score/road.h"

namespace solmir {

void Form1::cree_fichier_carte() {
  // Until the new image is whole there is none: a failure on the way leaves nothing to send.
  card_image_dropped();
  append_message(score::kMsgBuildingImage);
  ports.loop.process_events();

  const TextBox& delay_box = mode_demo ? Delai_init_demo : Delai_init;
  const double millimetres = box_number(delay_box, "Le délai initial");
  const double pas = box_number(Pas_ech, "Le pas d'échantillonnage");
  if (pas == 0) throw RunFailure(score::kMsgZeroStep);
  const auto initial = score::initial_delay_ticks(millimetres, pas);
  if (!initial) throw RunFailure(score::kMsgBadDelay + delay_box.text() + " mm");

  const score::RecordLayout layout =
      score::record_layout(mode42.value(), Option32.value(), mode_demo);
  gauge1.set_max(static_cast<std::int64_t>(Liste1.size()));
  gauge1.set_value(0);
  score::Records r = score::build_records(
      Liste1, score::record_note_table(table_notes, mode42.value(), mode_demo), layout, *initial,
      Check_marque.value() || Check_boucle.value(),
      [this](std::size_t done) { gauge1.set_value(static_cast<std::int64_t>(done)); });
  if (r.too_long) throw RunFailure(score::kMsgImageTooLong);
  Liste_tran = std::move(r.Liste_tran);
  nb_macro_evenements = r.nb_macro_evenements;

  score::CardImageOptions o;
  o.layout = layout;
  o.demo = mode_demo;
  o.marks = Check_marque.value();
  o.loop = Check_boucle.value();
  o.link_open = link->is_open();
  o.duree_action_totale = duree_action_totale;
  const score::CardImageSummary s = score::summarize_card_image(nb_macro_evenements, o);
  taille_requise = s.taille_requise;
  duree_prog_estimee = s.duree_prog_estimee;
  evenements_par_seconde = s.evenements_par_seconde;
  Text1.set_text(std::to_string(static_cast<std::int64_t>(duree_prog_estimee)));

  append_message(s.message);
  // The state takes the image and its inputs: "Programmer" and "Sauver fichier Midi..." follow.
  card_image_made(ImageSource::midi_file, s.programmer != score::ProgrammerRule::disable);
  write_log(s.log);
  notify_image();
}

}  // namespace solmir
