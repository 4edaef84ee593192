// File dialog filters: the program writes them "Name (*.mid)|*.mid|Tous (*.*)|*.*|" (pairs of
// a name and its patterns, patterns separated by ';'); Qt wants "Name (*.mid)" entries.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace solmir::ui {

// One Qt filter per pair, in order: the name without any "(...)" it ends with, then the pair's
// own patterns in parentheses. A name without patterns keeps "*".
QStringList qt_filters(const std::string& filters);

// The extension of the first filter's first pattern when it is a plain "*.ext" ("mid"),
// empty otherwise: the suffix a save dialog adds to a name typed without one.
QString default_suffix(const std::string& filters);

}  // namespace solmir::ui
