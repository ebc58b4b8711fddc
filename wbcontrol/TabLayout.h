#pragma once
// The tab strip's arithmetic, kept apart from the controls it places.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace wbcontrol {

constexpr int16_t kMinTabWidth = 1000;
constexpr int16_t kMaxTabWidth = 2700;
constexpr float kTabHeight = 420;
constexpr float kStripHeight = 480; // the tabs and the lines under them

// A place in twips, relative to the container.
struct Rect {
    float left, top, width, height;
};

struct Size {
    float width, height;
};

// The width every open tab gets: the control's width shared out, to the
// nearest twip with halves to even, then kept within 1000 ... 2700.
int16_t tabWidth(double controlWidth, int openTabs);

// A tab's left edge. Wide arithmetic, so any number of tabs lays out; those
// past the right edge just lie outside the strip.
inline double tabLeft(int position, int16_t width)
{
    return double(position) * width;
}

// A tab's pieces, in the tab body's terms. Lengths that are halved stay in
// single precision, as the controls keep them.

// The skin: two 120-wide ends and the middle stretched between them.
struct SkinPieces {
    Rect left, center, right;
};
SkinPieces skinPieces(float tabWidth);

// The icon 60 in from the left, centred in the tab's height.
Rect iconRect(float tabHeight, Size icon);
// Tab 0's icon from the start until the first layout: 20 lower.
Rect startIconRect(float tabHeight, Size icon);
// A fitted caption, as measured, 320 in from the left and centred in height.
Rect captionRect(float tabHeight, Size caption);
// A caption before its first fitting sits in the middle of its tab.
Rect centredCaptionRect(Size tab, Size caption);
// The room a caption has: what the icon and the close button leave.
inline float captionRoom(float tabWidth)
{
    return tabWidth - 600;
}
// The close button 60 inside the tab's right edge, centred in height.
Rect closeButtonRect(Size tab, Size button);

// The page of the selected tab fills the control below the strip.
Rect pageRect(Size control);
// The browser overhangs its page by 20 on every side; its own border is
// clipped off.
Rect browserRect(Size page);
// Where a finished load leaves the browser: 25 past the right, level with
// the bottom.
Rect loadedBrowserRect(Size page);

// What a caption may show, best first: the whole title, then its first 10
// down to 3 characters followed by "...". A title shorter than a count keeps
// all its characters and still gets "...".
QStringList captionCandidates(const QString &title);

// The first candidate whose measured width is not greater than room; the
// first character and "..." when none fits.
QString fitCaption(const QString &title, double room, const std::function<double(const QString &)> &measure);

} // namespace wbcontrol
