#include "ui/qt_card_player.h"

#include <QMetaObject>
#include <QString>
#include <QStringList>

#include "audio/live_player.h"
#include "audio/sound_font.h"

namespace solmir::ui {

namespace {
std::vector<std::string> drivers() {
  const QString asked = qEnvironmentVariable("SOLMIR_AUDIO_DRIVER");
  if (asked.isEmpty()) return audio::LivePlayer::default_drivers();
  std::vector<std::string> v;
  for (const QString& d : asked.split(',', Qt::SkipEmptyParts))
    v.push_back(d.trimmed().toStdString());
  return v;
}
}  // namespace

QtCardPlayer::QtCardPlayer(QObject* parent) : QObject(parent) {}

QtCardPlayer::~QtCardPlayer() {
  stop();
}

void QtCardPlayer::play(const score::CardSound& sound, int program,
                        std::function<void(std::int64_t tick)> on_position,
                        std::function<void(const std::string& failure)> on_finished) {
  stop();
  const auto sound_font = audio::find_sound_font();
  const std::uint64_t generation = ++generation_;
  auto player = std::make_unique<audio::LivePlayer>(drivers());
  audio::LivePlayer::Callbacks c;
  c.position = [this, generation, on_position](std::int64_t t) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, on_position, t] {
          if (generation == generation_ && on_position) on_position(t);
        },
        Qt::QueuedConnection);
  };
  c.finished = [this, generation, on_finished](const std::string& failure) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, on_finished, failure] {
          if (generation != generation_) return;
          stop();
          if (on_finished) on_finished(failure);
        },
        Qt::QueuedConnection);
  };
  player->play(sound, program, sound_font, std::move(c));
  player_ = std::move(player);
}

void QtCardPlayer::stop() {
  ++generation_;
  if (player_) player_->stop();
  player_.reset();
}

}  // namespace solmir::ui
