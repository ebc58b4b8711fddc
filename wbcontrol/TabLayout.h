#pragma once
// The tab strip's arithmetic, kept apart from the controls it places.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace tabstrip {

constexpr int16_t kMinTabWidth = 1000;
constexpr int16_t kMaxTabWidth = 2700;

// The width every open tab gets: the control's width shared out, to the
// nearest twip with halves to even, then kept within 1000 ... 2700.
int16_t tabWidth(double controlWidth, int openTabs);

// A tab's left edge. Wide arithmetic, so any number of tabs lays out; those
// past the right edge just lie outside the strip.
inline double tabLeft(int position, int16_t width) { return double(position) * width; }

// What a caption may show, best first: the whole title, then its first 10
// down to 3 characters followed by "...". A title shorter than a count keeps
// all its characters and still gets "...".
QStringList captionCandidates(const QString &title);

// The first candidate whose measured width is not greater than room; the
// first character and "..." when none fits.
QString fitCaption(const QString &title, double room,
                   const std::function<double(const QString &)> &measure);

} // namespace tabstrip
