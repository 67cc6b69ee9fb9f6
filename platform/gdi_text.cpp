// Text in the built-in font: TextOutA, DrawTextA with alignment, word breaks and
// mnemonic prefixes, and text extents.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bitmap_font.h"
#include "platform/device_context.h"

using namespace platform;

namespace {

struct Line {
  std::string text;
  int underline = -1;  // index of the mnemonic character
};

// Draws one line with its top-left at (x, y), within `bounds` (DC coordinates).
void DrawLineLocked(HDC__& dc, int x, int y, const Line& line, const RECT& bounds) {
  auto fill = [&](const RECT& r, COLORREF c) {
    RECT cut = Intersect(r, bounds);
    if (!IsEmptyRect(cut)) FillLocked(dc, cut, c);
  };
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    int cx = x + static_cast<int>(i) * kFontCellWidth;
    if (dc.bk_mode == OPAQUE) fill(RECT{cx, y, cx + kFontCellWidth, y + kFontCellHeight}, dc.bk_color);
    for (int col = 0; col < kGlyphWidth; ++col)
      for (int row = 0; row < kGlyphHeight; ++row)
        if (GlyphInk(line.text[i], col, row))
          fill(RECT{cx + col, y + kGlyphTop + row, cx + col + 1, y + kGlyphTop + row + 1}, dc.text_color);
    if (static_cast<int>(i) == line.underline)
      fill(RECT{cx, y + kUnderlineRow, cx + kGlyphWidth, y + kUnderlineRow + 1}, dc.text_color);
  }
}

bool DrawLine(HDC dc, int x, int y, const Line& line, const RECT& bounds) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  if (!d) return false;
  DrawLineLocked(*d, x, y, line, bounds);
  return true;
}

int Width(const std::string& s) { return static_cast<int>(s.size()) * kFontCellWidth; }

// "&x" underlines x, "&&" is a plain ampersand.
Line TakePrefixes(const std::string& s) {
  Line line;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != '&') line.underline = static_cast<int>(line.text.size());
    }
    line.text += s[i];
  }
  return line;
}

// Breaks a paragraph at spaces so that each line fits `width`; a word longer than
// the width keeps a line of its own.
void BreakWords(const std::string& paragraph, int width, std::vector<std::string>* lines) {
  std::size_t columns = static_cast<std::size_t>(std::max(width / kFontCellWidth, 1));
  std::string rest = paragraph;
  while (rest.size() > columns) {
    std::size_t cut = rest.rfind(' ', columns);
    if (cut == std::string::npos || cut == 0) cut = rest.find(' ');
    if (cut == std::string::npos) break;
    lines->push_back(rest.substr(0, cut));
    rest = rest.substr(cut + 1);
  }
  lines->push_back(rest);
}

std::vector<std::string> SplitLines(const std::string& text, UINT format, int width) {
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    std::string one;
    for (char c : text)
      if (c != '\r' && c != '\n') one += c;
    lines.push_back(one);
    return lines;
  }
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    paragraph.erase(std::remove(paragraph.begin(), paragraph.end(), '\r'), paragraph.end());
    if (format & DT_WORDBREAK)
      BreakWords(paragraph, width, &lines);
    else
      lines.push_back(paragraph);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

}  // namespace

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (!text || length < 0) return FALSE;
  Line line{std::string(text, static_cast<std::size_t>(length))};
  RECT everywhere{-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF};
  return DrawLine(dc, x, y, line, everywhere) ? TRUE : FALSE;
}

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  if (!text || !rect) return 0;
  std::string s(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
  std::vector<Line> lines;
  for (const std::string& l : SplitLines(s, format, Width(*rect)))
    lines.push_back((format & DT_NOPREFIX) ? Line{l} : TakePrefixes(l));
  int height = static_cast<int>(lines.size()) * kFontCellHeight;
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, Width(l.text));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (Height(*rect) - kFontCellHeight) / 2;
    if (format & DT_BOTTOM) y = rect->bottom - kFontCellHeight;
  }
  for (const Line& line : lines) {
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (Width(*rect) - Width(line.text)) / 2;
    if (format & DT_RIGHT) x = rect->right - Width(line.text);
    if (!DrawLine(dc, x, y, line, *rect)) return 0;
    y += kFontCellHeight;
  }
  return height;
}

BOOL GetTextExtentPoint32A(HDC, LPCSTR text, int length, SIZE* size) {
  if (!text || length < 0 || !size) return FALSE;
  *size = SIZE{length * kFontCellWidth, kFontCellHeight};
  return TRUE;
}
