#pragma once
// The pictures of the image lists, each drawn in the 32 x 32 unit square.
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

#include "ArtDraw.h"

namespace artgen {

using TDrawFn = std::function<void(const TArt &)>;

struct TListPicture {
  QString Name; // what it shows, for the contact sheet
  TDrawFn Draw;
};

// The lists in index order.
std::vector<TListPicture> HotPictures();
std::vector<TListPicture> ProfilePictures();
std::vector<TListPicture> StoryPictures();
std::vector<TListPicture> TreyPictures();

// The 14 user pictures and the 25 still emoticons, in list order.
std::vector<TListPicture> UserPictures();
std::vector<TListPicture> StillEmoticons();

// The program icon in the unit square; Notice 1..3 adds the pulsing dot of
// the tray frames.
void DrawProgramIcon(const TArt &A, int Notice);
// The program icon at Size pixels (drawn with more detail when large).
QImage ProgramIconImage(int Size);

// Renders a picture at Size pixels for a list of logical size ListSize.
QImage Render(const TDrawFn &Draw, int Size, int ListSize);

} // namespace artgen
