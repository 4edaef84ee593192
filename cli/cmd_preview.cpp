// preview: the card image of a MIDI file drawn as the preview window draws it, in a PNG or SVG
// picture, without a window.
#include <QGuiApplication>
#include <QString>
#include <iostream>
#include <memory>

#include "base/numbers.h"
#include "cli/cli.h"
#include "ui/render/card_preview_painter.h"

namespace solmir::cli {
namespace {

constexpr int kDefaultWidth = 1600;
constexpr int kMinWidth = 200;
constexpr int kMaxWidth = 30000;

bool ends_with(const std::string& s, const std::string& end) {
  if (s.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i) {
    char c = s[s.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

// Qt's painter draws text only with a GUI application; none is shown.
std::unique_ptr<QGuiApplication> offscreen_application() {
  if (QGuiApplication::instance()) return nullptr;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "solmir-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

int run_preview(const Args& a) {
  constexpr const char* kUsage =
      "Usage : solmir-cli preview FICHIER.mid -o carte.png|carte.svg [--width PIXELS] ...";
  if (a.positional.size() != 1 || !a.has("-o") || a.get("-o").empty()) throw CliError{kUsage, 2};
  const std::string out = a.get("-o");
  const bool svg = ends_with(out, ".svg");
  if (!svg && !ends_with(out, ".png"))
    throw CliError{"Option -o : fichier .png ou .svg attendu, reçu \"" + out + "\"", 2};
  int width = kDefaultWidth;
  if (a.has("--width")) {
    const auto v = parse_number(a.get("--width"));
    if (!v || *v < kMinWidth || *v > kMaxWidth)
      throw CliError{"Option --width : largeur en pixels de " + std::to_string(kMinWidth) + " à " +
                         std::to_string(kMaxWidth) + " attendue, reçu \"" + a.get("--width") + "\"",
                     2};
    width = static_cast<int>(*v);
  }
  StdEventLoop loop;
  Session s(loop, nullptr);
  s.start(a);
  s.open_midi(a.positional[0]);
  const auto app = offscreen_application();
  const score::CardPreview p = s.form().card_preview();
  const QString path = QString::fromStdString(out);
  const bool written = svg ? ui::write_preview_svg(p, width, path)
                           : ui::render_preview_image(p, width).save(path, "PNG");
  if (!written) throw CliError{"Impossible d'écrire l'image : " + out, 1};
  std::cerr << "Aperçu de la carte :" << str_num(static_cast<std::int64_t>(p.records.size()))
            << " enregistrements," << str_num(static_cast<std::int64_t>(p.dropped.size()))
            << " notes hors gamme -> " << out << std::endl;
  return 0;
}

Register preview{{"preview",
                  "FICHIER.mid -o carte.png|carte.svg [--width PIXELS] [--transpose N|auto] "
                  "[options de préparation]",
                  kPrepareFlags, run_preview}};

}  // namespace
}  // namespace solmir::cli
