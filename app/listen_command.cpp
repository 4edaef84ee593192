// "Écouter": the card image played as the reader board will play it, without blocking the
// window or the card operations; "Arrêter" stops it.
#include "app/card_player.h"
#include "app/form1.h"
#include "base/failure.h"
#include "base/numbers.h"
#include "board/board_busy.h"
#include "score/card_sound.h"

namespace solmir {

namespace {
constexpr const char* kListen = "Écouter";
constexpr const char* kStop = "Arrêter";
constexpr const char* kListenEntry = "Écouter la carte";
constexpr const char* kStopEntry = "Arrêter l'écoute";
constexpr const char* kNoImage = "Pas d'image de carte à écouter : ouvrir d'abord un fichier midi";
constexpr const char* kBusy = "Écoute impossible pendant une opération sur la carte";
constexpr const char* kNoPlayer = "Écoute impossible : aucune sortie son dans ce programme";
constexpr const char* kBadTiming = "Écoute impossible : la vitesse et le pas doivent être positifs";
constexpr const char* kPlaying = "Écoute de la carte (";
constexpr const char* kEnded = "Écoute terminée";
constexpr const char* kStopped = "Écoute arrêtée";
constexpr const char* kSettingsKey = "son";
}  // namespace

std::vector<std::string> organ_sound_names() {
  std::vector<std::string> names;
  for (const auto& s : score::kOrganSounds) names.emplace_back(s.name);
  return names;
}

void Form1::wire_listening() {
  Ecouter.on_click = [this] { Ecouter_Click(); };
  Ecoute_carte.on_click = [this] { Ecouter_Click(); };
  // The user's choice is kept at once; the one read at start-up is not written back.
  Son.on_change = [this] {
    if (!reading_son_) save_son_setting();
  };
}

bool Form1::card_operation_running() const {
  return programming_running || !board::board_idle(*this);
}

int Form1::son_program() const {
  const int i = Son.index();
  const auto& sounds = score::kOrganSounds;
  return sounds[i >= 0 && i < static_cast<int>(sounds.size()) ? static_cast<std::size_t>(i) : 0]
      .program;
}

void Form1::save_son_setting() {
  ports.settings.save(kAppName, kSection, kSettingsKey, std::to_string(son_program()));
}

void Form1::read_son_setting() {
  const std::string saved =
      ports.settings.get(kAppName, kSection, kSettingsKey, std::to_string(son_program()));
  int chosen = 0;
  for (std::size_t i = 0; i < score::kOrganSounds.size(); ++i)
    if (std::to_string(score::kOrganSounds[i].program) == saved) chosen = static_cast<int>(i);
  reading_son_ = true;
  Son.select(chosen);
  reading_son_ = false;
}

double Form1::listening_tick_seconds() const {
  const auto speed = parse_number(vitesse.text());
  const auto step = parse_number(Pas_ech.text());
  if (!speed || !step) return 0;
  return score::tick_seconds(*speed, *step).value_or(0);
}

void Form1::show_listening(bool on) {
  ecoute_en_cours = on;
  Ecouter.set_caption(on ? kStop : kListen);
  Ecoute_carte.set_caption(on ? kStopEntry : kListenEntry);
  if (!on && on_play_position) on_play_position(std::nullopt);
}

void Form1::stop_listening() {
  if (!ecoute_en_cours) return;
  if (card_player) card_player->stop();
  show_listening(false);
  append_message(kStopped);
}

void Form1::Ecouter_Click() {
  if (ecoute_en_cours) {
    stop_listening();
    return;
  }
  if (card_operation_running()) {
    append_message(kBusy);
    return;
  }
  if (Liste_tran.empty()) {
    append_message(kNoImage);
    return;
  }
  if (!card_player) {
    append_message(kNoPlayer);
    return;
  }
  const double tick = listening_tick_seconds();
  if (tick <= 0) {
    append_message(kBadTiming);
    return;
  }
  const score::CardSound sound = score::card_sound(
      Liste_tran, score::record_layout(mode42.value(), Option32.value(), mode_demo),
      score::record_note_table(table_notes, mode42.value(), mode_demo),
      mode42.value() && Midi_channel(9).value() && !mode_demo, tick);
  try {
    card_player->play(
        sound, son_program(),
        [this](std::int64_t t) {
          if (ecoute_en_cours && on_play_position) on_play_position(t);
        },
        [this](const std::string& failure) {
          if (!ecoute_en_cours) return;
          show_listening(false);
          append_message(failure.empty() ? kEnded : failure);
        });
  } catch (const RunFailure& e) {
    // Nothing plays: the window stays as it was, the reason told.
    append_message(e.what());
    return;
  }
  show_listening(true);
  append_message(kPlaying +
                 std::string(Son.text().empty() ? score::kOrganSounds[0].name : Son.text()) + ", " +
                 std::to_string(static_cast<std::int64_t>(sound.duration() + 0.5)) + " s)");
}

}  // namespace solmir
