#include "twain_ds/video_window.h"

#include "twain_ds/data_source_app.h"

namespace twain_ds {

DEFINE_MESSAGE_MAP(CVideoWnd, CWnd,
                   {
                       afx::OnWmNcDestroy<&CVideoWnd::OnNcDestroy>(),
                       afx::OnWmMove<&CVideoWnd::OnMove>(),
                       afx::OnWmPaint<&CVideoWnd::OnPaint>(),
                   })

CVideoWnd::~CVideoWnd() {
  if (background_) DeleteObject(background_);
}

BOOL CVideoWnd::Start() {
  started_ = false;
  if (!ops_.start(m_hWnd, frozen_)) return FALSE;
  UpdateColorKey();
  started_ = true;
  return TRUE;
}

void CVideoWnd::Stop() {
  ops_.stop(frozen_);
  started_ = false;
}

void CVideoWnd::Freeze() {
  if (frozen_) return;
  frozen_ = true;
  ops_.freeze();
}

void CVideoWnd::Unfreeze() {
  if (!frozen_) return;
  ops_.unfreeze();
  frozen_ = false;
}

void CVideoWnd::ReplaceBrush() {
  HBRUSH old = background_;
  background_ = CreateSolidBrush(FormatSettings().color_key);
  if (old) DeleteObject(old);
}

void CVideoWnd::UpdateColorKey() {
  if (ops_.update_color_key) ops_.update_color_key();
  ReplaceBrush();
  Invalidate();
  UpdateWindow();
}

void CVideoWnd::UpdateGrabWindow() {
  if (!ops_.update_grab_window(m_hWnd, frozen_)) return;
  Stop();
  Start();
  Invalidate();
}

void CVideoWnd::OnNcDestroy() {
  CWnd::OnNcDestroy();
  Stop();
}

void CVideoWnd::OnMove(int x, int y) {
  CWnd::OnMove(x, y);
  Moved();
}

void CVideoWnd::Moved() {
  if (started_) ops_.moved(m_hWnd);
}

void CVideoWnd::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  RECT client;
  GetClientRect(&client);
  if (!background_) ReplaceBrush();
  FillRect(dc, &client, background_);
  EndPaint(m_hWnd, &paint);
  if (ops_.painted) ops_.painted(m_hWnd);
}

}  // namespace twain_ds
