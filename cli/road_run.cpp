#include "cli/road_run.h"

#include <iostream>

#include "base/file_read.h"
#include "base/numbers.h"
#include "base/std_event_loop.h"
#include "score/passes.h"

namespace solmir::cli {

namespace {

// A service message on standard error, its CR LF line ends as LF.
void say(const std::string& m) {
  std::string out;
  out.reserve(m.size() + 1);
  for (char c : m)
    if (c != '\r') out += c;
  std::cerr << out << '\n';
}

[[noreturn]] void stop(const std::string& why) {
  say(score::kMsgStopped + why);
  throw CliError{why, 1};
}

double number_of(const TextBox& box, const char* what) {
  try {
    return box_number(box, what);
  } catch (const RunFailure& e) {
    stop(e.what());
  }
}

}  // namespace

RoadRun run_road(const Args& a, const std::string& path, RoadEnd end) {
  RoadRun r;
  // The preparation options go through the window's rules (scale, extra notes, solmir.ini,
  // log) once; the road itself is pure.
  StdEventLoop loop;
  Session s(loop, nullptr);
  s.start(a);
  Form1& f = s.form();
  const std::string started = score::started_text();

  std::string bytes;
  try {
    bytes = read_regular_file(path, kMidiFileLimit, score::kMsgUnreadableMidi);
  } catch (const FileReadFailure& e) {
    stop(e.what());
  }
  score::ReadOptions o;
  for (int i = 0; i < 16; ++i) o.ticked[static_cast<std::size_t>(i)] = f.Midi_channel(i).value();
  const auto speed = parse_number(f.vitesse.text());
  const auto step = parse_number(f.Pas_ech.text());
  o.vitesse = speed.value_or(0);
  o.pas_ech = step && *step != 0 ? *step : 1;

  r.layout = score::record_layout(f.mode42.value(), f.Option32.value(), f.mode_demo);
  r.table = score::record_note_table(f.table_notes, f.mode42.value(), f.mode_demo);
  try {
    o.shift = score::Transposition{f.transposition_value(), f.percussion_scale()};
  } catch (const RunFailure& e) {
    stop(e.what());
  }
  r.read = score::read_notes(bytes, path, o);
  if (a.get("--transpose") == "auto" && !r.read.listing.incomplete()) {
    // The shift that keeps the most notes, then the file again under it.
    const score::BestTransposition b =
        score::best_transposition(r.read.notes.keys, r.table, r.layout, o.shift.semitones);
    say(score::best_transposition_message(b));
    if (b.semitones != o.shift.semitones) {
      o.shift.semitones = b.semitones;
      r.read = score::read_notes(bytes, path, o);
    }
  }
  std::string().swap(bytes);
  const midi::ListingResult& l = r.read.listing;
  say(score::kMsgDisassembly);
  if (l.end == midi::ListingEnd::format_error) say(l.message_erreur_midi);
  if (l.sequences_played_together) say(midi::kMsgSequencesTogether);
  if (l.end == midi::ListingEnd::abnormal) stop(l.abnormal_message);
  if (midi::not_midi(l)) stop(midi::kMsgNotMidi + path);
  number_of(f.vitesse, "La vitesse");
  if (number_of(f.Pas_ech, "Le pas d'échantillonnage") == 0) stop(score::kMsgZeroStep);

  r.dropped = score::dropped_notes(r.read.notes.Liste1, r.table, r.layout, r.read.notes.outside);
  const std::string dropped = score::dropped_summary(r.dropped);
  if (!dropped.empty()) say(dropped);
  std::vector<std::string> log = score::extraction_log(path, started, r.read.notes);
  if (o.shift.semitones != 0)
    log.push_back("Transposition : " + score::semitones_text(o.shift.semitones));
  if (!dropped.empty()) log.push_back(dropped);
  f.write_log(log, true);
  if (!l.incomplete() && score::no_note(r.read.notes)) stop(score::kMsgNoNote + path);
  r.Liste1 = std::move(r.read.notes.Liste1);

  const double S = number_of(f.separe_note, "L'écartement entre notes");
  if (S > 0) {
    say(score::separation_message(f.separe_note.text()));
    score::PassResult p = score::separate_notes(std::move(r.Liste1), S);
    r.Liste1 = std::move(p.Liste1);
    f.write_log(score::separation_log(S, p.count));
  }
  const double A = number_of(f.aligne_note, "Le réalignement des débuts de notes");
  if (A > 0) {
    say(score::alignment_message(f.aligne_note.text()));
    score::PassResult p = score::align_notes(std::move(r.Liste1), A);
    r.Liste1 = std::move(p.Liste1);
    f.write_log(score::alignment_log(A, p.count));
  }
  if (end == RoadEnd::notes) return r;

  say(score::kMsgBuildingImage);
  const TextBox& delay_box = f.mode_demo ? f.Delai_init_demo : f.Delai_init;
  const double millimetres = number_of(delay_box, "Le délai initial");
  const double pas = number_of(f.Pas_ech, "Le pas d'échantillonnage");
  if (pas == 0) stop(score::kMsgZeroStep);
  const auto initial = score::initial_delay_ticks(millimetres, pas);
  if (!initial) stop(score::kMsgBadDelay + delay_box.text() + " mm");
  r.image = score::build_records(r.Liste1, r.table, r.layout, *initial,
                                 f.Check_marque.value() || f.Check_boucle.value());
  if (r.image->too_long) stop(score::kMsgImageTooLong);
  score::CardImageOptions io;
  io.layout = r.layout;
  io.demo = f.mode_demo;
  io.marks = f.Check_marque.value();
  io.loop = f.Check_boucle.value();
  io.link_open = false;
  io.duree_action_totale = r.read.notes.duree_action_totale;
  r.summary = score::summarize_card_image(r.image->nb_macro_evenements, io);
  say(r.summary.message);
  f.write_log(r.summary.log);
  return r;
}

int finish_road(const RoadRun& r) {
  if (!r.incomplete()) return 0;
  std::cerr << midi::incomplete_file_message(r.read.listing, r.read.notes.pairs) << std::endl;
  return 1;
}

void print_image_summary(const RoadRun& r) {
  std::cerr << "Image de la carte :" << str_num(std::int64_t{r.image->nb_macro_evenements})
            << " enregistrements," << str_num(std::int64_t{r.summary.taille_requise})
            << " octets, programmation estimée à" << str_num(r.summary.duree_prog_estimee) << " s"
            << std::endl;
}

}  // namespace solmir::cli
