// The card image heard for real: rendered by FluidSynth with the General MIDI sound font, the
// WAV file's note onsets fall at the records' times and it is silent where the card is.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "audio/audio_failure.h"
#include "audio/live_player.h"
#include "audio/sound_font.h"
#include "audio/wav_render.h"
#include "score/card_image.h"
#include "score/card_sound.h"
#include "score/scales.h"
#include "tests/audio/sound_measure.h"
#include "tests/support/fakes.h"
#include "tests/support/midi_builder.h"
#include "tests/support/note_lists.h"

namespace solmir::audio {
namespace {

using score::RecordLayout;

// One synthesizer for the whole run: loading the sound font takes seconds.
Synth& synth() {
  static Synth s(find_sound_font(), kSampleRate);
  return s;
}

constexpr double kOnThreshold = 300;  // RMS of a sounding note starts far above this
constexpr double kSilence = 8;        // a dry synthesizer with nothing sounding gives 0
constexpr double kTolerance = 0.010;  // seconds

struct Note {
  std::int64_t start, length;  // ticks of the note list
  int note;
};

NoteTable table_for(RecordLayout layout, bool percussion) {
  NoteTable t{};
  if (percussion) {
    for (std::size_t k = 0; k < score::kPercussionLow.size(); ++k) t[k] = score::kPercussionLow[k];
    for (std::size_t k = 0; k < score::kPercussionHigh.size(); ++k)
      t[16 + k] = score::kPercussionHigh[k];
  } else if (layout == RecordLayout::notes42) {
    for (std::size_t k = 0; k < score::k42Low.size(); ++k) t[k] = score::k42Low[k];
    for (std::size_t k = 0; k < score::kBaseScale.size(); ++k) t[16 + k] = score::kBaseScale[k];
  } else {
    for (std::size_t k = 0; k < score::kBaseScale.size(); ++k) t[k] = score::kBaseScale[k];
  }
  return t;
}

TEST(RenderedCard, OnsetsFallAtTheRecordsTimesAndTheCardsSilencesAreSilent) {
  struct Case {
    const char* what;
    RecordLayout layout;
    bool percussion;
    double tick;           // seconds
    std::int64_t initial;  // ticks
    double release;        // seconds a note may take to die away
    std::vector<Note> notes;
  };
  // Notes apart, so that each onset rises out of silence; long silences go through fillers.
  const Case cases[] = {
      {"27/29 notes at 1/240 s",
       RecordLayout::notes29,
       false,
       1.0 / 240,
       400,
       0.6,
       {{0, 60, 60}, {300, 30, 72}, {600, 120, 48}, {3400, 48, 86}}},
      {"27/29 notes at 30 mm/s (1/120 s)",
       RecordLayout::notes29,
       false,
       1.0 / 120,
       200,
       0.6,
       {{0, 30, 64}, {150, 30, 67}, {1200, 60, 55}}},
      {"32 notes, delays in units of 16 ticks",
       RecordLayout::notes32,
       false,
       1.0 / 240,
       400,
       0.6,
       {{0, 64, 60}, {320, 32, 74}, {640, 96, 53}}},
      {"42 notes, the low extra outputs",
       RecordLayout::notes42,
       false,
       1.0 / 240,
       400,
       0.6,
       {{0, 60, 49}, {300, 60, 85}, {600, 60, 61}, {900, 60, 89}}},
      {"percussion on the drum channel",
       RecordLayout::notes42,
       true,
       1.0 / 240,
       240,
       1.2,
       {{0, 24, 35}, {480, 24, 38}, {960, 24, 76}, {1440, 24, 81}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    score::NoteList l;
    for (const Note& n : c.notes) {
      l.push_back({n.start, n.note, true, true});
      l.push_back({n.start + n.length, n.note, false, true});
    }
    score::sort_notes(l);
    const NoteTable table = table_for(c.layout, c.percussion);
    const score::Records r = score::build_records(l, table, c.layout, c.initial, false);
    const score::CardSound sound =
        score::card_sound(r.Liste_tran, c.layout, table, c.percussion, c.tick);
    test::TempDir dir;
    const auto wav_path = dir.path() / "carte.wav";
    write_wav(wav_path, render_samples(synth(), sound, 20), static_cast<int>(kSampleRate));
    const test::Wav wav = test::read_wav(wav_path);
    ASSERT_EQ(wav.sample_rate, 44100);
    ASSERT_EQ(wav.channels, 2);
    const auto env = test::envelope_ms(wav.samples, wav.channels, wav.sample_rate);
    const auto found = test::onsets(wav.samples, wav.channels, wav.sample_rate, kOnThreshold);
    ASSERT_EQ(found.size(), c.notes.size());
    for (std::size_t i = 0; i < c.notes.size(); ++i) {
      const double on = double(c.initial + c.notes[i].start) * c.tick;
      const double off = double(c.initial + c.notes[i].start + c.notes[i].length) * c.tick;
      EXPECT_NEAR(found[i], on, kTolerance) << "note " << i;
      // Silence before the note: from the end of the previous one (or the start of the card).
      const double from =
          i == 0 ? 0.0
                 : double(c.initial + c.notes[i - 1].start + c.notes[i - 1].length) * c.tick +
                       c.release;
      if (from < on - 0.005) {
        EXPECT_LT(test::loudest(env, from, on - 0.005), kSilence) << "before note " << i;
      }
      EXPECT_GT(test::loudest(env, on, off), kOnThreshold) << "note " << i;
    }
    // And after the last note to the end of the file.
    const double end = double(c.initial + c.notes.back().start + c.notes.back().length) * c.tick;
    EXPECT_LT(test::loudest(env, end + c.release, 1e9), kSilence);
    EXPECT_NEAR(double(env.size()) / 1000.0, sound.duration() + kTailSeconds, 0.002);
  }
}

// The records exported as a MIDI file and played by FluidSynth's own MIDI file player.
std::vector<std::int16_t> play_midi_file(const std::filesystem::path& midi) {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setint(settings, "synth.reverb.active", 0);
  fluid_settings_setint(settings, "synth.chorus.active", 0);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_synth_t* s = new_fluid_synth(settings);
  EXPECT_NE(fluid_synth_sfload(s, find_sound_font().string().c_str(), 1), FLUID_FAILED);
  fluid_player_t* player = new_fluid_player(s);
  EXPECT_EQ(fluid_player_add(player, midi.string().c_str()), FLUID_OK);
  fluid_player_play(player);
  std::vector<std::int16_t> out;
  constexpr int kBlock = 64;
  std::int16_t buf[kBlock * 2];
  while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && out.size() < 44100u * 2 * 600) {
    fluid_synth_write_s16(s, kBlock, buf, 0, 2, buf, 1, 2);
    out.insert(out.end(), buf, buf + kBlock * 2);
  }
  delete_fluid_player(player);
  delete_fluid_synth(s);
  delete_fluid_settings(settings);
  return out;
}

TEST(RenderedCard, TheImageOfAFileAndItsMidiExportHaveTheSameOnsets) {
  // A tune with rests, one of them longer than a record's delay holds (fillers), read through
  // the whole road: extraction, card image, export.
  test::TrackBuilder t;
  const int notes[] = {60, 64, 67, 72, 69, 65, 62, 74, 57, 79, 55, 84};
  const std::uint32_t rests[] = {0, 120, 160, 240, 121, 300, 2600, 130, 200, 480, 150, 250};
  for (std::size_t i = 0; i < std::size(notes); ++i) {
    t.note_on(rests[i], 1, notes[i]);
    t.note_off(std::uint32_t(30 + 10 * i), 1, notes[i]);
  }
  t.end();
  test::Rig rig;
  const auto tune = rig.dir.path() / "silences.mid";
  test::write_file(tune, test::smf(0, 120, {t}));
  Form1& f = rig.start();
  f.Midi_channel(0).set_value(true);
  f.chemin_midi = tune.string();
  f.recharger_fichier = true;
  f.Ouvre_midi_Click();
  ASSERT_TRUE(f.last_failure.empty()) << f.last_failure;
  const auto exported = rig.dir.path() / "export.mid";
  rig.dialogs.paths.push_back(exported.string());
  f.Sauve_midi_Click();
  ASSERT_TRUE(f.last_failure.empty()) << f.last_failure;

  const score::CardSound sound = score::card_sound(
      f.Liste_tran, RecordLayout::notes29, f.table_notes, false, f.listening_tick_seconds());
  // The program of the export (79) for both.
  const auto ours = test::onsets(render_samples(synth(), sound, 79), 2, 44100, kOnThreshold);
  const auto theirs = test::onsets(play_midi_file(exported), 2, 44100, kOnThreshold);
  ASSERT_EQ(ours.size(), std::size(notes));
  ASSERT_EQ(theirs.size(), ours.size());
  for (std::size_t i = 0; i < ours.size(); ++i)
    EXPECT_NEAR(ours[i], theirs[i], kTolerance) << "onset " << i;
}

TEST(SoundFailures, SayInFrenchWhatIsMissing) {
  test::TempDir dir;
  const auto not_sf2 = dir.path() / "faux.sf2";
  test::write_file(not_sf2, "pas une banque de sons");
  const auto kept = dir.path() / "garde.wav";
  test::write_file(kept, "ancien");
  struct Case {
    const char* what;
    std::function<void()> run;
    std::string message;
  };
  const Case cases[] = {
      {"a sound font asked for that is not there",
       [&] { find_sound_font((dir.path() / "absente.sf2").string()); },
       kMsgSoundFontMissing + (dir.path() / "absente.sf2").string()},
      {"a file that is not a sound font", [&] { Synth s(not_sf2, kSampleRate); },
       kMsgBadSoundFont + not_sf2.string()},
      {"a WAV file in a folder that does not exist",
       [&] {
         write_wav(dir.path() / "non" / "carte.wav", {0, 0}, 44100);
       },
       kMsgWavNotWritten + (dir.path() / "non" / "carte.wav").string()},
      {"a program out of General MIDI", [&] { render_samples(synth(), {}, 128); },
       std::string(kMsgBadProgram) + "128"},
      {"a sound longer than a WAV file holds (7 hours)",
       [&] {
         score::CardSound s;
         s.end_tick = 7 * 3600 * 240;
         render_wav(s, 20, find_sound_font(), dir.path() / "long.wav");
       },
       kMsgSoundTooLong},
      {"no sound output",
       [&] {
         LivePlayer p({"aucune"});
         p.play({}, 20, not_sf2, {});
       },
       kMsgNoSoundOutput},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.run();
      ADD_FAILURE() << "no failure";
    } catch (const AudioFailure& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(test::read_file(kept), "ancien");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "long.wav"));
}

TEST(LivePlayer, PlaysThroughADriverToTheEndTellingWhereItIs) {
  // FluidSynth's "file" driver plays in real time like a sound card, into a file.
  test::TempDir dir;
  score::CardSound sound;
  sound.tick_seconds = 1.0 / 240;
  sound.events = {{24, score::kMelodyChannel, 60, true}, {120, score::kMelodyChannel, 60, false}};
  sound.end_tick = 144;
  LivePlayer player({"file"}, {{"audio.file.name", (dir.path() / "sortie.raw").string()}});
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::int64_t> positions;
  bool finished = false;
  std::string failure = "pas fini";
  player.play(sound, 20, find_sound_font(),
              {[&](std::int64_t t) {
                 std::lock_guard<std::mutex> l(m);
                 positions.push_back(t);
               },
               [&](const std::string& f) {
                 std::lock_guard<std::mutex> l(m);
                 finished = true;
                 failure = f;
                 cv.notify_all();
               }});
  {
    std::unique_lock<std::mutex> l(m);
    ASSERT_TRUE(cv.wait_for(l, std::chrono::seconds(60), [&] { return finished; }));
  }
  EXPECT_EQ(failure, "");
  EXPECT_FALSE(player.playing());
  ASSERT_FALSE(positions.empty());
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(positions.back(), 144);
  player.stop();
  // The note went out through the driver (16-bit samples).
  const std::string raw = test::read_file(dir.path() / "sortie.raw");
  bool loud = false;
  for (std::size_t i = 0; i + 1 < raw.size() && !loud; i += 2)
    loud = std::abs(std::int16_t(std::uint8_t(raw[i]) | (std::uint8_t(raw[i + 1]) << 8))) > 100;
  EXPECT_TRUE(loud);
}

}  // namespace
}  // namespace solmir::audio
