// The card preview: its picture against the records it draws (PNG and SVG), and the window
// opened from the main window, zoomed, and following the image.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTest>
#include <QWheelEvent>

#include <optional>
#include "score/card_image.h"
#include "score/scales.h"
#include "tests/gui/gui_rig.h"
#include "tests/support/note_lists.h"
#include "ui/preview_window.h"
#include "ui/render/card_preview_painter.h"

namespace solmir::test {
namespace {

const QColor kBar(31, 78, 156);

NoteTable base_table() {
  NoteTable t{};
  for (std::size_t k = 0; k < score::kBaseScale.size(); ++k) t[k] = score::kBaseScale[k];
  return t;
}

// A small tune: a chord, a run, a long silence (fillers) and a last note, with the marks.
score::CardPreview crafted(std::vector<std::string>& records) {
  const score::NoteList l = list_of({{0, 48, true},
                                     {120, 48, false},
                                     {0, 60, true},
                                     {60, 60, false},
                                     {60, 62, true},
                                     {120, 62, false},
                                     {120, 64, true},
                                     {180, 64, false},
                                     {150, 86, true},
                                     {300, 86, false},
                                     {2600, 72, true},
                                     {2700, 72, false}});
  records =
      score::build_records(l, base_table(), score::RecordLayout::notes29, 400, true).Liste_tran;
  return score::preview_card(records, score::RecordLayout::notes29, base_table(), false,
                             {0.25, 240}, true);
}

struct Sample {
  int x, y;
  bool on;
};

// Points in the middle of every row between two records wide enough to be read, with whether
// the record before turns the output on, read from its digits.
std::vector<Sample> samples(const score::CardPreview& p, const ui::PreviewGeometry& g,
                            const std::vector<std::string>& records) {
  std::vector<Sample> v;
  for (std::size_t i = 0; i + 1 < p.records.size(); ++i) {
    const double a = g.x_of(p, p.records[i].time);
    const double b = g.x_of(p, p.records[i + 1].time);
    if (b - a < 4) continue;
    const std::string& r = records[i];
    for (int k = 0; k < 29; ++k) {
      const bool on = r[static_cast<std::size_t>(11 + 28 - k)] == '1';
      v.push_back({static_cast<int>((a + b) / 2),
                   g.row_top(p, k) + ui::PreviewGeometry::kRowHeight / 2, on});
    }
  }
  return v;
}

TEST(PreviewPicture, BarsExactlyWhereTheRecordsTurnOutputsOnInPngAndSvg) {
  std::vector<std::string> records;
  const score::CardPreview p = crafted(records);
  ASSERT_EQ(records.size(), p.records.size());
  const int width = 1400;
  const QImage png = ui::render_preview_image(p, width);
  const ui::PreviewGeometry g = ui::fitted_geometry(p, width);
  ASSERT_EQ(png.height(), g.height(p));

  TempDir dir;
  const QString svg_path = QString::fromStdString((dir.path() / "carte.svg").string());
  ASSERT_TRUE(ui::write_preview_svg(p, width, svg_path));
  QSvgRenderer renderer(svg_path);
  ASSERT_TRUE(renderer.isValid());
  QImage svg(png.size(), QImage::Format_RGB32);
  svg.fill(Qt::white);
  QPainter painter(&svg);
  renderer.render(&painter);
  painter.end();

  const auto points = samples(p, g, records);
  int on = 0;
  for (const Sample& s : points) {
    on += s.on;
    EXPECT_EQ(png.pixelColor(s.x, s.y) == kBar, s.on) << "png x " << s.x << " y " << s.y;
    EXPECT_EQ(svg.pixelColor(s.x, s.y) == kBar, s.on) << "svg x " << s.x << " y " << s.y;
  }
  EXPECT_GE(on, 6);  // every note of the tune was sampled at least once
  // Nothing of a bar in the label column, on the dropped strip or on the rulers.
  for (int x = 0; x < width; x += 3) {
    for (int y : {2, ui::PreviewGeometry::kRulerHeight + 4, png.height() - 3})
      EXPECT_NE(png.pixelColor(x, y), kBar) << x << " " << y;
  }
}

TEST(PreviewWindow, OpensZoomsAndFollowsTheImage) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  w.open_midi(QString::fromStdString(shared_midi("BoosterMusic-04-FrereJacques.mid").string()));
  ASSERT_EQ(rig.form->last_failure, "");
  ui::PreviewWindow* preview = w.preview_window();
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(preview->isVisible());
  auto* button = rig.find<QPushButton>("Apercu_carte");
  ASSERT_NE(button, nullptr);
  button->click();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
  EXPECT_EQ(preview->windowTitle(), "Aperçu de la carte");
  EXPECT_EQ(preview->preview().rows.size(), 29u);
  EXPECT_FALSE(preview->preview().spans.empty());
  EXPECT_FALSE(preview->stale());

  const double fitted = preview->zoom();
  QTest::keyClick(preview, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_GT(preview->zoom(), fitted);
  const double zoomed = preview->zoom();
  QWheelEvent wheel(QPointF(200, 60), preview->canvas()->mapToGlobal(QPointF(200, 60)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(preview->canvas(), &wheel);
  EXPECT_GT(preview->zoom(), zoomed);
  QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_LT(preview->zoom(), zoomed * 1.3);
  rig.find_in<QPushButton>(preview, "Ajuster")->click();
  EXPECT_DOUBLE_EQ(preview->zoom(), fitted);

  // A scale box changed: the image is stale, the preview greyed; the file again: followed.
  rig.find<QCheckBox>("mode42")->click();
  EXPECT_TRUE(preview->stale());
  w.open_midi(QString::fromStdString(shared_midi("BoosterMusic-04-FrereJacques.mid").string()));
  EXPECT_FALSE(preview->stale());
  EXPECT_EQ(preview->preview().rows.size(), 45u);
  EXPECT_EQ(preview->preview().records.size(), rig.form->Liste_tran.size());

  // The cursor hook draws a play position.
  preview->set_cursor_tick(500);
  const QImage shot = preview->canvas()->grab().toImage();
  EXPECT_FALSE(shot.isNull());
}

TEST(PreviewWindow, CtrlPOpensIt) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  QAction* entry = nullptr;
  for (QAction* a : w.findChildren<QAction*>())
    if (a->objectName() == "Apercu") entry = a;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->shortcut(), QKeySequence("Ctrl+P"));
  EXPECT_EQ(entry->text(), "Aperçu de la carte");
  entry->trigger();
  EXPECT_TRUE(rig.form->Apercu_window.visible());
  EXPECT_TRUE(w.preview_window()->isVisible());
}

// While the card plays, its position reaches the preview as a cursor; the space bar there
// plays (or stops) as "Écouter" does.
TEST(PreviewWindow, FollowsThePlayingCardAndTheSpaceBarPlays) {
  GuiRig rig;
  ui::MainWindow& w = rig.start();
  Form1& f = *rig.form;
  ui::PreviewWindow* preview = w.preview_window();
  f.Apercu.click();
  ASSERT_TRUE(f.on_play_position);
  f.on_play_position(240);
  EXPECT_EQ(preview->canvas()->look.cursor, std::optional<std::int64_t>(240));
  f.on_play_position(std::nullopt);
  EXPECT_FALSE(preview->canvas()->look.cursor.has_value());

  int clicks = 0;
  f.Ecouter.on_click = [&] { ++clicks; };
  QApplication::setActiveWindow(preview);
  preview->setFocus();
  QTest::keyClick(preview, Qt::Key_Space);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace solmir::test
