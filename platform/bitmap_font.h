// The built-in bitmap font: 5 x 7 glyphs of printable ASCII in a 6 x 13 cell.
#pragma once

namespace platform {

// Rows of the cell above the glyph and the row that underlines a mnemonic.
constexpr int kGlyphTop = 3;
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kUnderlineRow = 11;

// True where the glyph of `c` has ink; characters outside printable ASCII are blank.
bool GlyphInk(char c, int column, int row);

}  // namespace platform
