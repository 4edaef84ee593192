#include "ui/form_windows.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>

#include "app/form1.h"
#include "ui/bindings.h"
#include "ui/widgets.h"

namespace solmir::ui {

namespace {

constexpr const char* kBrowserFailed = "Impossible d'ouvrir la page web du projet : ";

// A field for a small number (a MIDI note, a count of ticks).
QLineEdit* number_field(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setMaximumWidth(e->fontMetrics().horizontalAdvance("00000") + 16);
  e->setAlignment(Qt::AlignRight);
  return e;
}

// The dialog's confirm button, the default one, on the right of its own row.
QHBoxLayout* valider_row(Button& model, Bindings& b, QWidget* parent) {
  auto* valider = new QPushButton(parent);
  valider->setDefault(true);
  b.button(model, valider);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(valider);
  return row;
}

}  // namespace

Form2Window::Form2Window(score::Form2& m, Bindings& b, QWidget* parent) : QDialog(parent) {
  auto* frame = new QGroupBox(this);
  auto* grid = new QGridLayout(frame);
  Label* labels[3] = {&m.Label1, &m.Label2, &m.Label3};
  TextBox* fields[3] = {&m.Text1, &m.Text2, &m.Text3};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(frame);
    auto* field = number_field(frame);
    label->setBuddy(field);
    grid->addWidget(label, i, 0);
    grid->addWidget(field, i, 1);
    b.label(*labels[i], label);
    b.text(*fields[i], field);
  }
  grid->setColumnStretch(2, 1);
  b.frame(m.Frame1, frame);

  auto* marks = new QCheckBox(this);
  auto* loop = new QCheckBox(this);
  b.check(m.Check1, marks);
  b.check(m.Check2, loop);
  auto* options = new QHBoxLayout;
  options->addWidget(marks);
  options->addWidget(loop);
  options->addStretch();

  QHBoxLayout* buttons = valider_row(m.Valider, b, this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(options);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
}

Form3Window::Form3Window(Form3& m, Form1& form, Bindings& b, QWidget* parent) : QDialog(parent) {
  auto* text = new QLabel(this);
  QFont bold = text->font();
  bold.setBold(true);
  text->setFont(bold);
  text->setWordWrap(true);
  auto* version = new QLabel(this);
  auto* author = new QLabel(this);
  auto* link = new ClickableLabel(this);
  link->setCursor(Qt::PointingHandCursor);
  QFont underlined = link->font();
  underlined.setUnderline(true);
  link->setFont(underlined);
  link->setForegroundRole(QPalette::Link);
  b.label(m.Label1, text);
  b.label(m.Label2, version);
  b.label(m.Label3, author);
  b.label(m.Label4, link);
  // The desktop's own browser opens the project's page.
  QObject::connect(link, &ClickableLabel::clicked, this, [&m, &form, &b] {
    b.guard().run(m.Label4.caption(), [&m, &form] {
      const QString url = QString::fromStdString(m.Label4.caption());
      if (!QDesktopServices::openUrl(QUrl(url)))
        form.append_message(kBrowserFailed + m.Label4.caption());
    });
  });

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OK");
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, this,
                   [&m, &b] { b.guard().run(m.window.caption(), [&m] { m.window.hide(); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addSpacing(6);
  layout->addWidget(version);
  layout->addWidget(author);
  layout->addWidget(link);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // The program's description on two lines.
  text->setMinimumWidth(
      text->fontMetrics().horizontalAdvance(QString::fromStdString(m.Label1.caption())) * 3 / 5);
  b.window(m.window, this, true);
}

Form4Window::Form4Window(board::Form4& m, Bindings& b, QWidget* parent) : QDialog(parent) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  auto add = [&](Label& model, int row, int column, Qt::Alignment align = Qt::AlignLeft) {
    auto* w = new QLabel(this);
    w->setAlignment(align | Qt::AlignVCenter);
    b.label(model, w);
    grid->addWidget(w, row, column);
    return w;
  };
  const Qt::Alignment right = Qt::AlignRight;
  // card
  add(m.Label1, 0, 0);
  add(m.carte, 0, 1, right);
  add(m.Label4, 0, 2);
  // A: one of the two line labels is shown
  add(m.Label2, 1, 0);
  add(m.Label242, 1, 0);
  add(m.mA, 1, 1, right);
  add(m.Label5, 1, 2);
  add(m.titredeA, 1, 3);
  // B
  add(m.Label3, 2, 0);
  add(m.Label342, 2, 0);
  add(m.mB, 2, 1, right);
  add(m.Label6, 2, 2);
  add(m.titredeB, 2, 3);
  add(m.Label7, 2, 4);
  // free space
  add(m.Label9, 3, 0);
  add(m.Label11, 3, 1, right);
  add(m.Label10, 3, 2);
  grid->setColumnStretch(3, 1);
  // notes
  auto* notes = new QVBoxLayout;
  for (Label* l : {&m.Label8, &m.Label12}) {
    auto* w = new QLabel(this);
    b.label(*l, w);
    notes->addWidget(w);
  }
  // Room for a whole title between its quotes, so that the window keeps its width from one
  // card to the next.
  for (QLabel* t : findChildren<QLabel*>())
    if (t->objectName().startsWith("titrede"))
      t->setMinimumWidth(t->fontMetrics().horizontalAdvance("\"MMMMMMMMMM\""));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(4);
  layout->addLayout(notes);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
}

Form8Window::Form8Window(score::Form8& m, Bindings& b, QWidget* parent) : QDialog(parent) {
  auto* grid = new QGridLayout;
  Label* labels[2] = {&m.Label1, &m.Label2};
  TextBox* fields[2] = {&m.Text1, &m.Text2};
  for (int i = 0; i < 2; ++i) {
    auto* label = new QLabel(this);
    auto* field = number_field(this);
    label->setBuddy(field);
    grid->addWidget(label, i, 0);
    grid->addWidget(field, i, 1);
    b.label(*labels[i], label);
    b.text(*fields[i], field);
  }
  auto* note = new QLabel(this);
  b.label(m.Label3, note);
  note->setWordWrap(true);
  // The note's sentences are set apart by a run of blanks: as wide as its longest sentence,
  // the note wraps there and shows one sentence a line.
  int widest = 0;
  static const QRegularExpression gap("\\s{3,}");
  for (const QString& part : QString::fromStdString(m.Label3.caption()).split(gap))
    widest = std::max(widest, note->fontMetrics().horizontalAdvance(part));
  note->setFixedWidth(widest + note->fontMetrics().averageCharWidth() * 2);

  QHBoxLayout* buttons = valider_row(m.Valider, b, this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(note);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
}

}  // namespace solmir::ui
