// How the FLTK driver shows a model font. "MS Sans Serif" is a raster font on Windows: the font
// mapper takes the nearest of its few cell heights, so the program's tiny heights (7 and 9
// pixels) come out at the smallest cell, 13 pixels. The driver does the same and shows each cell
// height with Helvetica at a size of the same visual height.
#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <strings.h>

#include <array>
#include <cstdlib>

#include "platform/posix/driver/fltk/fltk_driver.h"

namespace fltk_driver {
namespace {

// A raster cell height of "MS Sans Serif" and the Helvetica size that matches it on screen.
struct RasterSize {
  int cellHeight;
  Fl_Fontsize size;
};

constexpr std::array<RasterSize, 6> kRasterSizes = {{
    {13, 12},
    {16, 14},
    {20, 17},
    {24, 20},
    {29, 24},
    {37, 31},
}};

constexpr const char* kRasterFace = "MS Sans Serif";

// The system font of a control that was given none: bold, at the smallest cell.
constexpr FontChoice kSystemFont = {FL_HELVETICA_BOLD, 12, false};

// From FW_SEMIBOLD up a weight shows bold.
constexpr LONG kBoldWeight = 600;

// A negative height asks for the character height; the cell adds about a fifth for leading.
constexpr int kLeadingDivisor = 5;

// Returns the cell height that `height` asks for.
int cellHeightOf(LONG height) {
  if (height >= 0) return static_cast<int>(height);
  const int characterHeight = static_cast<int>(-height);
  return characterHeight + characterHeight / kLeadingDivisor;
}

// Returns the Helvetica size of the raster cell nearest to `cellHeight` (the smaller on a tie).
Fl_Fontsize nearestRasterSize(int cellHeight) {
  const RasterSize* best = &kRasterSizes.front();
  for (const RasterSize& candidate : kRasterSizes) {
    if (std::abs(candidate.cellHeight - cellHeight) < std::abs(best->cellHeight - cellHeight)) {
      best = &candidate;
    }
  }
  return best->size;
}

// A scalable face's character height is about five sixths of its cell height; below 12 pixels
// a scalable face is no longer comfortable to read.
constexpr int kCharacterPerCellNumerator = 5;
constexpr int kCharacterPerCellDenominator = 6;
constexpr Fl_Fontsize kSmallestComfortable = 12;

// Returns a Helvetica size for a scalable face of the given cell height, never below legible.
Fl_Fontsize scalableSize(int cellHeight) {
  const int size = cellHeight * kCharacterPerCellNumerator / kCharacterPerCellDenominator;
  return size < kSmallestComfortable ? kSmallestComfortable : size;
}

// A caption that does not fit its control at the chosen size is shown narrower or a little
// smaller (Windows' raster font is much narrower than the desktop's sans face), but never below
// this size.
constexpr Fl_Fontsize kSmallestFitted = 10;
constexpr int kFittingSteps = 2;

// The condensed faces of FL_HELVETICA, its bold, italic and bold italic (in FLTK's order),
// registered once as FLTK's free fonts; where the desktop has no condensed
// sans face, fontconfig gives the ordinary one and only the smaller sizes help.
constexpr Fl_Font kCondensedFaces = FL_FREE_FONT;
constexpr const char* kCondensedNames[] = {" DejaVu Sans Condensed", "BDejaVu Sans Condensed",
                                           "IDejaVu Sans Condensed", "PDejaVu Sans Condensed"};

// Returns the condensed face of a Helvetica face.
Fl_Font condensedOf(Fl_Font face) {
  static bool registered = false;
  if (!registered) {
    int offset = 0;
    for (const char* name : kCondensedNames) Fl::set_font(kCondensedFaces + offset++, name);
    registered = true;
  }
  return kCondensedFaces + (face - FL_HELVETICA);
}

// True when `text` drawn in `font` is at most `width` pixels wide.
bool fits(const FontChoice& font, const char* text, int width) {
  fl_font(font.face, font.size);
  return fl_width(text) <= width;
}

}  // namespace

// Returns the Helvetica face and size that show `font`; the system font when it is empty.
FontChoice chooseFont(const std::optional<LOGFONTA>& font) {
  if (!font) return kSystemFont;
  char face[LF_FACESIZE + 1] = {};
  for (int i = 0; i < LF_FACESIZE; ++i) face[i] = font->lfFaceName[i];
  const int cellHeight =
      font->lfHeight == 0 ? kRasterSizes.front().cellHeight : cellHeightOf(font->lfHeight);
  const bool raster = strcasecmp(face, kRasterFace) == 0;
  const bool bold = font->lfWeight >= kBoldWeight;
  const bool italic = font->lfItalic != 0;
  Fl_Font faceChoice = FL_HELVETICA;
  if (bold && italic) {
    faceChoice = FL_HELVETICA_BOLD_ITALIC;
  } else if (bold) {
    faceChoice = FL_HELVETICA_BOLD;
  } else if (italic) {
    faceChoice = FL_HELVETICA_ITALIC;
  }
  const Fl_Fontsize size = raster ? nearestRasterSize(cellHeight) : scalableSize(cellHeight);
  return FontChoice{faceChoice, size, font->lfUnderline != 0};
}

// Returns `base` when `text` fits `width` pixels in it, else the first narrower or smaller face
// that fits (condensed first, then a step smaller), else the smallest of them.
FontChoice fitFont(const FontChoice& base, const char* text, int width) {
  if (text == nullptr || fits(base, text, width)) return base;
  FontChoice candidate = base;
  for (int step = 0; step <= kFittingSteps; ++step) {
    const Fl_Fontsize size = base.size - step;
    if (size < kSmallestFitted) break;
    candidate = FontChoice{condensedOf(base.face), size, base.underline};
    if (fits(candidate, text, width)) return candidate;
    const FontChoice plain{base.face, size, base.underline};
    if (step > 0 && fits(plain, text, width)) return plain;
  }
  return candidate;
}

}  // namespace fltk_driver
